#include "MapService.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

#include "BridgeCall.h"
#include "MapDocument.h"
#include "ScriptBridge.h"
#include "TileRequest.h"

static void initMapApiResources()
{
    Q_INIT_RESOURCE(mapapi);
}

namespace MapService {

namespace {

const QUrl PageOrigin(QStringLiteral("http://localhost"));
const QByteArray WebRtcPolicy("--force-webrtc-ip-handling-policy=disable_non_proxied_udp");

QHash<int, ScriptBridge *> &bridges()
{
    static QHash<int, ScriptBridge *> map;
    return map;
}

QByteArray resource(const QString &name)
{
    initMapApiResources();
    QFile file(QStringLiteral(":/mapapi/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Interceptor : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl url = info.requestUrl();
        const Config &c = config();
        // The map API named in the page comes from the program's resources.
        if (url.scheme() == QLatin1String("http") && url.host() == c.apiHost && url.path() == QLatin1String("/maps")) {
            info.redirect(QUrl(QStringLiteral("nembra://api/maps.js")));
            return;
        }
        if (!allowedRequest(info.requestMethod(), url))
            info.block(true);
    }
};

class SchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        const QUrl url = job->requestUrl();
        if (url.host() == QLatin1String("api"))
            serveApi(job, url.path());
        else if (url.host() == QLatin1String("bridge"))
            serveBridge(job, url);
        else
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    }

private:
    static void reply(QWebEngineUrlRequestJob *job, const QByteArray &mime, const QByteArray &data)
    {
        auto *buffer = new QBuffer(job);
        buffer->setData(data);
        buffer->open(QIODevice::ReadOnly);
        job->reply(mime, buffer);
    }

    static void serveApi(QWebEngineUrlRequestJob *job, const QString &path)
    {
        if (path == QLatin1String("/maps.js"))
            return reply(job, "application/javascript", apiScript());
        if (path == QLatin1String("/leaflet.css"))
            return reply(job, "text/css", resource(QStringLiteral("leaflet.css")));
        if (path.startsWith(QLatin1String("/images/"))) {
            const QByteArray image = resource(path.mid(1));
            if (!image.isEmpty())
                return reply(job, "image/png", image);
        }
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    }

    static void serveBridge(QWebEngineUrlRequestJob *job, const QUrl &url)
    {
        // Only the program's own document may reach the native objects.
        if (job->initiator() != PageOrigin) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        const std::optional<BridgeCall> call = bridgeCallOf(url);
        ScriptBridge *bridge = call ? bridges().value(call->bridge) : nullptr;
        if (!bridge) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        reply(job, "application/json", bridge->handle(call->request));
    }
};

} // namespace

bool allowedRequest(const QByteArray &method, const QUrl &url)
{
    // The page needs its own files, data it made itself, and map tiles;
    // nothing else leaves the program (no favicon, no beacon to a third host,
    // nothing but tiles to the tile servers).
    const QString scheme = url.scheme();
    if (scheme == QLatin1String(Scheme) || scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
        return true;
    const Config &c = config();
    for (const TileSource *source : {&c.satellite, &c.street})
        if (isTileRequest(method, url, source->url, source->maxZoom))
            return true;
    return false;
}

QString userAgent()
{
    // The tile servers' usage policies ask for a program name and a contact.
    return QStringLiteral("Nembra/%1 (+%2)").arg(QCoreApplication::applicationVersion(), QLatin1String(ContactUrl));
}

void registerSchemes()
{
    // The page has no way to send UDP: WebRTC may go only through a proxy,
    // and the program's browser has none. Chromium reads its switches from
    // here when the first page is made; the last of a switch given twice wins.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains(WebRtcPolicy))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + ' ' + WebRtcPolicy);

    QWebEngineUrlScheme scheme(Scheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled
                    | QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(scheme);
}

Config &config()
{
    static Config c = [] {
        Config d;
        d.apiHost = QString::fromLatin1(MapDocument::DefaultApiHost);
        d.satellite = {
            QStringLiteral(
                "https://server.arcgisonline.com/ArcGIS/rest/services/World_Imagery/MapServer/tile/{z}/{y}/{x}"),
            QStringLiteral("Tiles &copy; Esri &mdash; Source: Esri, i-cubed, USDA, USGS, AEX, GeoEye, "
                           "Getmapping, Aerogrid, IGN, IGP, UPR-EGP, and the GIS User Community"),
            19};
        d.street = {
            QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png"),
            QStringLiteral("&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap</a>-Mitwirkende"),
            19};
        return d;
    }();
    return c;
}

QWebEngineProfile *profile()
{
    static QWebEngineProfile *p = [] {
        // A named profile keeps a disk cache of the tiles between runs; two
        // running copies of the program must not share one, so a second copy
        // keeps its cache in memory.
        static QLockFile *lock = nullptr;
        const QString cacheRoot = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        const QString folder = cacheRoot + QStringLiteral("/nembra/karte");
        QWebEngineProfile *profile = nullptr;
        if (!cacheRoot.isEmpty() && QDir().mkpath(folder)) {
            lock = new QLockFile(folder + QStringLiteral("/.lock"));
            lock->setStaleLockTime(0);
            if (!lock->tryLock(0)) {
                delete lock;
                lock = nullptr;
            }
        }
        if (lock) {
            profile = new QWebEngineProfile(QStringLiteral("Nembra"), QCoreApplication::instance());
            profile->setPersistentStoragePath(folder + QStringLiteral("/profil"));
            profile->setCachePath(folder + QStringLiteral("/cache"));
            profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
            profile->setHttpCacheMaximumSize(CacheBytes);
            profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        } else {
            profile = new QWebEngineProfile(QCoreApplication::instance());
            profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        }
        profile->setHttpUserAgent(userAgent());
        profile->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
        profile->settings()->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
        profile->installUrlSchemeHandler(Scheme, new SchemeHandler(profile));
        profile->setUrlRequestInterceptor(new Interceptor(profile));
        return profile;
    }();
    return p;
}

int registerBridge(ScriptBridge *bridge)
{
    static int next = 1;
    bridges().insert(next, bridge);
    return next++;
}

void unregisterBridge(int id)
{
    bridges().remove(id);
}

QString bridgeEndpoint(int id)
{
    return ::bridgeEndpoint(id);
}

QByteArray apiScript()
{
    const Config &c = config();
    auto source = [](const TileSource &t) {
        return QJsonObject{{QStringLiteral("url"), t.url},
                           {QStringLiteral("attribution"), t.attribution},
                           {QStringLiteral("maxZoom"), t.maxZoom}};
    };
    const QJsonObject settings{{QStringLiteral("base"), QStringLiteral("nembra://api/")},
                               {QStringLiteral("tiles"),
                                QJsonObject{{QStringLiteral("satellite"), source(c.satellite)},
                                            {QStringLiteral("street"), source(c.street)}}}};
    return "window.__nembraMapConfig = " + QJsonDocument(settings).toJson(QJsonDocument::Compact) + ";\n"
        + resource(QStringLiteral("leaflet.js")) + "\n" + resource(QStringLiteral("gmap2.js"));
}

} // namespace MapService
