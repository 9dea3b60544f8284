#pragma once
// The HTML view: shows a local page given by its full path. Loading is
// asynchronous and nothing is ever read back from the view.
//
// The person stays inside the station's pages (see SetViewFolder), and the back
// and forward gestures (Alt+Left, Alt+Right, Backspace outside a text field,
// the mouse's back and forward buttons) move only through pages reached by
// links since the station's own last Navigate: what the station showed
// before can never come back.
#include "toolkit/engine/Process.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <string>

namespace tk {

class TCppWebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit TCppWebBrowser(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
    // The url is the page's full local path, as a wide string; returns at once.
    virtual void Navigate(const QString& url) = 0;
    // Shows a page the station holds in memory as the page at url (its full
    // local path): what it links to, its pictures and styles come from its
    // folder as if it had been loaded from there, and the character set it
    // declares holds. Returns at once. A page that does not fit (HeldPageFits)
    // is not shown: the view says so instead.
    virtual void ShowHeld(const QString& url, const QByteArray& bytes) = 0;

signals:
    // A load in the view ended: true when its page is shown, false when it
    // failed or was refused. The station itself never listens; benchmarks and tests do.
    void PageLoaded(bool ok);
    // A page asked to go somewhere it may not; the view stayed where it was.
    void Refused(const QUrl& url);
};

// Whether the engine takes the page from memory (see core/HeldPage.h).
bool HeldPageFits(const QByteArray& bytes);
// What the view shows in place of a page that does not fit.
QString HeldPageTooLargeText();

using HtmlViewFactory = std::function<TCppWebBrowser*(QWidget* parent)>;

// The view every window gets; by default the browser engine, falling back to a
// plain notice when the engine cannot run on this machine. Tests install their own.
void SetHtmlViewFactory(HtmlViewFactory factory);
TCppWebBrowser* CreateHtmlView(QWidget* parent);

// The browser-engine view, and the notice shown when there is none
// (WebEngineAvailable() tells which).
TCppWebBrowser* CreateWebEngineView(QWidget* parent);
TCppWebBrowser* CreateUnavailableView(QWidget* parent);
// The engine's module lies beside the program; tests and benchmarks, whose
// programs lie elsewhere, name the one built with them.
void SetEngineModule(const QString& path);

// The station's folder: the views' pages stay inside it (see base/PageRule.h),
// and the engine's module lies in it. Set with the folder at start-up.
void SetViewFolder(const std::string& folder);

// The text shown in place of the pages when the engine is missing.
QString UnavailableViewText();

// The browser engine takes a good part of a second to start. While views are
// held, a browser-engine view keeps the page it is sent to and starts nothing;
// ReleaseHtmlViews starts the engine in every view and loads their pages.
// Start-up holds the views until the first window has been drawn.
void HoldHtmlViews();
void ReleaseHtmlViews();
// Releases the held views once this window has been put on screen and drawn.
void ReleaseHtmlViewsWhenShown(QWidget* window);

} // namespace tk
