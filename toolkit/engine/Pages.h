#pragma once
// The browser engine as it shows the operator's pages, wherever they are
// shown: in the station's view and in the bank tool's print. Both must agree
// on what a page may read and do, so both take it from here.
#include <QWebEnginePage>

#include <functional>

class QObject;
class QUrl;
class QWebEngineProfile;

namespace tk {

// A profile kept in memory only (no cache, cookies or storage on disk) that
// reaches nothing outside: pictures, styles, scripts and everything else a
// page reads go through mayRead (text in the page itself, data: and blob:,
// always may); pages and frames are left to the page's
// acceptNavigationRequest. Owned by owner.
QWebEngineProfile* NewPagesProfile(QObject* owner, std::function<bool(const QUrl&)> mayRead);

// The operator's pages may run scripts, but may not pop up windows, boxes or
// file pickers, nor write to the program's output.
class QuietPage : public QWebEnginePage {
public:
    QuietPage(QWebEngineProfile* profile, QObject* parent);

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    // Every file picker (an upload field, a folder, the page's own open and
    // save pickers) ends as if the person had cancelled it: no dialog, no file.
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }
};

} // namespace tk
