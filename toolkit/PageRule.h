#pragma once
// Where a page in the HTML view may lead. The pages are the operator's files
// beside the station: they may open other pages, pictures and styles of that
// folder like any browser would, and nothing else: no web address, no file
// elsewhere on the machine, no folder listing, and never the answer key.
#include <QString>
#include <QUrl>

namespace tk {

class PageRule {
public:
    // folder: the station's folder, ending with '/'.
    explicit PageRule(const QString& folder);
    // The rule for the folder of the running station (beside its executable).
    static PageRule ForStation();

    // A page, frame or file that may be shown or read.
    bool Allows(const QUrl& url) const;

private:
    QString folder_;     // lexically cleaned, ending with '/'
    QString realFolder_; // the same with links resolved
    QString key_;        // the answer key inside it
};

} // namespace tk
