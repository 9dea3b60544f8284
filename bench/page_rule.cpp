// The page rule's cost for one request (it runs for every picture and style
// of every page), next to the rule it replaced, which the station asked the
// same way: a picture inside the station's folder, addressed as the engine
// hands it over.
#include "Report.h"

#include "base/ContentFolders.h"
#include "base/PageRule.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

// The rule as it was, for comparison only: Qt's decoding of the address, its
// folder worked out from the executable for every request.
namespace before {

QString WithSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool Within(const QString& path, const QString& folder)
{
    return path.size() > folder.size() && path.startsWith(folder);
}

bool SameFile(const QString& a, const QString& b)
{
    std::error_code error;
    return std::filesystem::equivalent(QFile::encodeName(a).toStdString(), QFile::encodeName(b).toStdString(), error) &&
           !error;
}

class PageRule {
public:
    explicit PageRule(const QString& folder)
        : folder_(WithSlash(QDir::cleanPath(folder))), key_(folder_ + QString::fromUtf8(station::KeyFile))
    {
        const QString real = QFileInfo(folder_).canonicalFilePath();
        realFolder_ = real.isEmpty() ? folder_ : WithSlash(real);
    }

    bool Allows(const QUrl& url) const
    {
        if (!url.isLocalFile() || !url.host().isEmpty())
            return false;
        const QString path = url.toLocalFile();
        if (path.isEmpty() || path.endsWith(u'/'))
            return false;
        const QString cleaned = QDir::cleanPath(path);
        if (!Within(cleaned, folder_) || cleaned == key_)
            return false;
        const QFileInfo info(cleaned);
        if (!info.exists())
            return true;
        const QString real = info.canonicalFilePath();
        return info.isFile() && Within(real, realFolder_) && !SameFile(real, key_);
    }

private:
    QString folder_;
    QString realFolder_;
    QString key_;
};

// ForStation(): the executable's folder, read anew for each request.
bool Allows(const QString& folder, const QUrl& url)
{
    std::error_code error;
    (void)std::filesystem::read_symlink("/proc/self/exe", error);
    return PageRule(folder).Allows(url);
}

} // namespace before

template <class Ask>
double MicrosecondsPerRequest(Ask ask)
{
    constexpr int Requests = 20000;
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer clock;
        clock.start();
        int allowed = 0;
        for (int k = 0; k < Requests; ++k)
            allowed += ask() ? 1 : 0;
        rounds.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e3 / Requests);
        if (allowed != Requests)
            throw std::runtime_error("the picture was refused");
    }
    return bench::Median(rounds);
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/station/");
    QDir().mkpath(folder + QStringLiteral("res"));
    QDir().mkpath(folder + QStringLiteral("TESTS"));
    for (const char* name : {"res/INSTR.htm", "res/plan.png", "TESTS/ANS.a"}) {
        QFile file(folder + QString::fromUtf8(name));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("x");
    }
    const QUrl picture = QUrl::fromLocalFile(folder + QStringLiteral("res/plan.png"));

    const double old = MicrosecondsPerRequest([&] { return before::Allows(folder, picture); });
    const station::PageRule rule(QFile::encodeName(folder).toStdString());
    const double now = MicrosecondsPerRequest([&] {
        const QByteArray address = picture.toEncoded();
        return rule.Allows(std::string_view(address.constData(), static_cast<std::size_t>(address.size())));
    });
    const std::string how = "median of 5 rounds of 20,000 requests for " + std::string("res/plan.png") +
                            " in a temporary station folder, the address as a QUrl as the engine hands it over";
    bench::PrintRow("Page rule per request", bench::Fixed(now, 2), "µs",
                    how + "; the rule built once, toEncoded() and PageRule::Allows");
    bench::PrintRow("Page rule per request, the former rule", bench::Fixed(old, 2), "µs",
                    how + "; the former toolkit rule, kept in the benchmark only, with its per-request "
                          "/proc/self/exe and folder resolution");
    return 0;
}
