#include "toolkit/PageRule.h"

#include "toolkit/Application.h"

#include "toolkit/core/FilePath.h"

#include "app/ContentFolders.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace tk {

namespace {

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

} // namespace

PageRule::PageRule(const QString& folder)
    : folder_(WithSlash(QDir::cleanPath(folder))),
      key_(folder_ + QString::fromUtf8(station::KeyFile))
{
    const QString real = QFileInfo(folder_).canonicalFilePath();
    realFolder_ = real.isEmpty() ? folder_ : WithSlash(real);
}

PageRule PageRule::ForStation()
{
    return PageRule(QString::fromStdString(ExtractFilePath(ExeName())));
}

bool PageRule::Allows(const QUrl& url) const
{
    // file://host/... would name another machine's share.
    if (!url.isLocalFile() || !url.host().isEmpty())
        return false;
    const QString path = url.toLocalFile();
    // A path ending in '/' names a folder, whose listing is no page of ours.
    if (path.isEmpty() || path.endsWith(u'/'))
        return false;
    // Judged as written, with "." and ".." taken out, so that no "../" leads out.
    const QString cleaned = QDir::cleanPath(path);
    if (!Within(cleaned, folder_) || cleaned == key_)
        return false;
    const QFileInfo info(cleaned);
    if (!info.exists())
        return true; // the view shows its own page for a missing file
    // Judged once more where it really lies: a link in the folder must not
    // lead out of it, and no second name may reach the key.
    const QString real = info.canonicalFilePath();
    return info.isFile() && Within(real, realFolder_) && !SameFile(real, key_);
}

} // namespace tk
