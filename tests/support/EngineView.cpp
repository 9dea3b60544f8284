#include "EngineView.h"

#include "toolkit/Application.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace engine {

namespace {
constexpr int LoadTimeoutMs = 60000;
constexpr int SettleMs = 200;
}

StationFolder::StationFolder()
{
    // For the views made here, and for a start-up, which works the folder out itself.
    tk::SetStationFolder(QFile::encodeName(Base()).toStdString());
    tk::SetExeNameOverride(QFile::encodeName(Path("briefing-station")).toStdString());
}

StationFolder::~StationFolder()
{
    tk::SetStationFolder("");
    tk::SetExeNameOverride("");
}

void UseBuiltEngine()
{
    tk::SetEngineModule(QStringLiteral(STATION_ENGINE_MODULE));
}

namespace {
// The engine's view on top: the one beneath, drawing the next page, takes no input.
QWebEngineView* OnScreen(tk::TCppWebBrowser* view)
{
    for (QWebEngineView* engineView : view->findChildren<QWebEngineView*>())
        if (engineView->isEnabled())
            return engineView;
    return nullptr;
}
} // namespace

QWebEnginePage* PageOf(tk::TCppWebBrowser* view)
{
    QWebEngineView* engineView = OnScreen(view);
    return engineView ? engineView->page() : nullptr;
}

QWidget* InputOf(tk::TCppWebBrowser* view)
{
    QWebEngineView* engineView = OnScreen(view);
    return engineView ? engineView->focusProxy() : nullptr;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

void Wait(int ms)
{
    WaitFor([] { return false; }, ms);
}

bool Navigate(tk::TCppWebBrowser* view, const QString& path)
{
    bool loaded = false;
    const auto connection = QObject::connect(view, &tk::TCppWebBrowser::PageLoaded, [&](bool) { loaded = true; });
    view->Navigate(path);
    const bool shown = WaitFor(
        [&] {
            QWebEnginePage* page = PageOf(view);
            return loaded && page && !page->isLoading() &&
                   QDir::cleanPath(page->history()->currentItem().url().toLocalFile()) == QDir::cleanPath(path);
        },
        LoadTimeoutMs);
    QObject::disconnect(connection);
    Wait(SettleMs);
    return shown;
}

QVariant Evaluate(tk::TCppWebBrowser* view, const QString& script)
{
    QWebEnginePage* page = PageOf(view);
    if (!page)
        return {};
    auto result = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    page->runJavaScript(script, [result](const QVariant& value) { *result = {true, value}; });
    if (!WaitFor([&] { return result->first; }, 10000))
        return {};
    return result->second;
}

QString Title(tk::TCppWebBrowser* view)
{
    QWebEnginePage* page = PageOf(view);
    return page ? page->title() : QString();
}

bool Shows(tk::TCppWebBrowser* view, const QString& title, int timeoutMs)
{
    // The title comes before the load has ended, and the page's signals a
    // little after it: all of that must be over.
    const auto shown = [&] {
        QWebEnginePage* page = PageOf(view);
        return page && !page->isLoading() && Title(view) == title;
    };
    if (!WaitFor(shown, timeoutMs))
        return false;
    Wait(SettleMs);
    return shown();
}

bool StaysOn(tk::TCppWebBrowser* view, const QString& title, int ms)
{
    QWebEnginePage* page = PageOf(view);
    if (!page)
        return false;
    const QUrl before = page->history()->currentItem().url();
    int shownLoads = 0;
    const auto connection =
        QObject::connect(view, &tk::TCppWebBrowser::PageLoaded, [&](bool ok) { shownLoads += ok ? 1 : 0; });
    Wait(ms);
    QObject::disconnect(connection);
    return shownLoads == 0 && Title(view) == title && page->history()->currentItem().url() == before;
}

void Perform(tk::TCppWebBrowser* view, Gesture gesture)
{
    QWidget* input = InputOf(view);
    const QPoint middle = input ? input->rect().center() : QPoint();
    switch (gesture) {
    case Gesture::AltLeft:
        QTest::keyClick(input, Qt::Key_Left, Qt::AltModifier);
        break;
    case Gesture::AltRight:
        QTest::keyClick(input, Qt::Key_Right, Qt::AltModifier);
        break;
    case Gesture::Backspace:
        QTest::keyClick(input, Qt::Key_Backspace);
        break;
    case Gesture::MouseBack:
        QTest::mouseClick(input, Qt::BackButton, {}, middle);
        break;
    case Gesture::MouseForward:
        QTest::mouseClick(input, Qt::ForwardButton, {}, middle);
        break;
    case Gesture::ScriptBack:
        Evaluate(view, QStringLiteral("history.back(); 1"));
        break;
    case Gesture::ScriptGoBack:
        Evaluate(view, QStringLiteral("history.go(-1); 1"));
        break;
    }
}

ViewWindow::ViewWindow() : window(std::make_unique<QWidget>())
{
    UseBuiltEngine();
    window->resize(985, 633);
    view = tk::CreateWebEngineView(window.get());
    view->resize(985, 633);
    window->show();
}

} // namespace engine
