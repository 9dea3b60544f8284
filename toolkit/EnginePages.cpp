#include "toolkit/EnginePages.h"

#include <QWebEngineProfile>
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

} // namespace

QWebEngineProfile* NewPagesProfile(QObject* owner, std::function<bool(const QUrl&)> mayRead)
{
    auto* profile = new QWebEngineProfile(owner); // no storage name: off the record
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    profile->setUrlRequestInterceptor(new PageRequests(std::move(mayRead), profile));
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    return profile;
}

} // namespace tk
