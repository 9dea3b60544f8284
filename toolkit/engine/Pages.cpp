#include "toolkit/engine/Pages.h"

#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

#include <utility>

namespace tk {

namespace {

class PageRequests final : public QWebEngineUrlRequestInterceptor {
public:
    PageRequests(std::function<bool(const QUrl&)> mayRead, QObject* parent)
        : QWebEngineUrlRequestInterceptor(parent), mayRead_(std::move(mayRead))
    {
    }
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const auto type = info.resourceType();
        if (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame ||
            type == QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
            return;
        const QString scheme = info.requestUrl().scheme();
        if (scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
            return;
        if (!mayRead_ || !mayRead_(info.requestUrl()))
            info.block(true);
    }

private:
    std::function<bool(const QUrl&)> mayRead_;
};

// Peer-to-peer connections send packets to any address a page names, past
// every check on requests; every page and frame starts without them, and
// without the dialogs of colour and file fields and the file pickers. Both the profile and each page carry the
// script: only the profile's reaches a frame a page has just made, and only
// the page's outlives a new renderer.
QWebEngineScript PageLimits()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("page-limits"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(
        "(function () {"
        "['RTCPeerConnection', 'webkitRTCPeerConnection', 'RTCDataChannel', 'RTCIceTransport', 'WebTransport']"
        ".forEach(function (name) { delete window[name]; });"
        // A colour or file field and the file pickers ask the engine for a
        // dialog, which the page and the view would then have to cancel; a
        // click that does nothing and a picker that is cancelled at once ask
        // for none (the page's and the view's refusals stay for whatever gets
        // past this).
        "var asks = function (t) { return t && t.tagName === 'INPUT' &&"
        " ['color', 'file'].indexOf(String(t.type).toLowerCase()) >= 0; };"
        "window.addEventListener('click', function (e) { if (asks(e.target)) e.preventDefault(); }, true);"
        "if (window.HTMLInputElement && HTMLInputElement.prototype.showPicker) {"
        " var show = HTMLInputElement.prototype.showPicker;"
        " HTMLInputElement.prototype.showPicker = function () { if (!asks(this)) return show.call(this); }; }"
        "['showOpenFilePicker', 'showSaveFilePicker', 'showDirectoryPicker'].forEach(function (name) {"
        " if (window[name]) window[name] = function () {"
        " return Promise.reject(new DOMException('The user aborted a request.', 'AbortError')); }; });"
        "})();"));
    return script;
}

} // namespace

QuietPage::QuietPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{
    // A file or folder handed over by other means than a picker stays closed too.
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    scripts().insert(PageLimits());
}

QWebEngineProfile* NewPagesProfile(QObject* owner, std::function<bool(const QUrl&)> mayRead)
{
    auto* profile = new QWebEngineProfile(owner); // no storage name: off the record
    // Even off the record the engine makes folders for the pages' storage
    // there; where nothing can be made, pages keep their storage in memory.
    profile->setPersistentStoragePath(QStringLiteral("/dev/null"));
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    profile->setUrlRequestInterceptor(new PageRequests(std::move(mayRead), profile));
    profile->scripts()->insert(PageLimits());
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    return profile;
}

} // namespace tk
