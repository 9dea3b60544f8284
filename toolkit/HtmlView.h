#pragma once
// The HTML view: shows a local page given by its full path. Loading is
// asynchronous and nothing is ever read back from the view.
#include <QString>
#include <QWidget>

#include <functional>

namespace tk {

class TCppWebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit TCppWebBrowser(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
    // The url is the page's full local path, as a wide string; returns at once.
    virtual void Navigate(const QString& url) = 0;

signals:
    // A page finished loading. The station itself never listens; benchmarks do.
    void PageLoaded(bool ok);
};

using HtmlViewFactory = std::function<TCppWebBrowser*(QWidget* parent)>;

// The view every window gets; by default the browser engine, falling back to a
// plain notice when the engine cannot run on this machine. Tests install their own.
void SetHtmlViewFactory(HtmlViewFactory factory);
TCppWebBrowser* CreateHtmlView(QWidget* parent);

// The browser-engine view, and the notice shown when there is none.
TCppWebBrowser* CreateWebEngineView(QWidget* parent);
TCppWebBrowser* CreateUnavailableView(QWidget* parent);
bool WebEngineAvailable();

// The text shown in place of the pages when the engine is missing.
QString UnavailableViewText();

} // namespace tk
