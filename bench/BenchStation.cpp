#include "BenchStation.h"

#include "base/ContentFolders.h"
#include "app/WindowSet.h"
#include "testing/QuestionBank.h"

#include "toolkit/Application.h"
#include "toolkit/HtmlView.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <stdexcept>
#include <vector>

namespace {
std::vector<QEventLoop*> waiting;

void CopyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw std::runtime_error("cannot copy " + from.toStdString());
}
} // namespace

int BenchStation::AnswerAtOnce::Show(const tk::BoxRequest& request)
{
    shown << request.text;
    return request.flags == tk::MB_YESNO ? tk::IDNO : tk::IDOK;
}

BenchStation::BenchStation(int& argc, char** argv)
{
    tk::Initialize(argc, argv);
    tk::SetEngineModule(QStringLiteral(BENCH_ENGINE_MODULE)); // the benchmark does not lie beside it
    tk::SetDialogService(&boxes_);
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    CopyContent();
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    tk::SetStationFolder(QFile::encodeName(dir_.path() + u'/').toStdString());
    station::CreateWindowSet(*tk::Application());
    // No entry window is put on screen here: the browser engine starts at once.
    tk::ReleaseHtmlViews();
}

BenchStation::~BenchStation()
{
    tk::Finalize();
    tk::SetDialogService(nullptr);
    tk::SetStationFolder("");
    QDir::setCurrent(previousDir_);
}

void BenchStation::CopyContent()
{
    const QDir source(QStringLiteral(BENCH_CONTENT_DIR));
    QDir target(dir_.path());
    const QString study = QString::fromUtf8(station::StudyFolder) + u'/';
    const QString bank = QString::fromUtf8(station::BankFolder) + u'/';
    target.mkpath(study);
    target.mkpath(bank);
    for (const QString& name : QDir(source.filePath(study)).entryList(QDir::Files))
        CopyFile(source.filePath(study + name), target.filePath(study + name));
    const QDir tests(source.filePath(bank));
    for (const QString& name : tests.entryList(QDir::Files)) {
        if (name == QLatin1String(station::KeyName))
            continue;
        CopyFile(tests.filePath(name), target.filePath(bank + name));
    }
    pages_ = static_cast<int>(testrun::ListPages(target.filePath(QString::fromUtf8(station::PageSearchPattern)).toStdString()).size());
    if (pages_ < testrun::QuestionsPerRun)
        throw std::runtime_error("the demo bank in " BENCH_CONTENT_DIR " has fewer than five pages");
    QFile key(target.filePath(QString::fromUtf8(station::KeyFile)));
    if (!key.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the key");
    for (int n = 0; n < pages_; ++n)
        key.write("1\r\n");
}

bool BenchStation::WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    bool timedOut = false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    limit.start(timeoutMs);
    waiting.push_back(&loop);
    while (!done() && !timedOut)
        loop.exec();
    waiting.pop_back();
    return done();
}

void BenchStation::Wake()
{
    if (!waiting.empty())
        waiting.back()->quit();
}

void BenchStation::RunFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
