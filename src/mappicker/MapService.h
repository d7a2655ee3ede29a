#pragma once

#include <functional>

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QWebEngineProfile;
class ScriptBridge;

// What the map page reaches besides its own document: the map API and its
// files, served by the program itself under the scheme "nembra", and the
// bridge to the native external object. One browser profile serves all.
namespace MapService {

inline constexpr auto Scheme = "nembra";

// Must run before the application object is made.
void registerSchemes();

QWebEngineProfile *profile();

struct TileSource {
    QString url;         // {z}/{x}/{y} template
    QString attribution; // shown in the map, as the tile provider requires
    int maxZoom = 19;
};
struct Config {
    QString apiHost;
    TileSource satellite;
    TileSource street;
};
Config &config();

// Where tile providers can reach the program's makers; part of the User-Agent.
inline constexpr auto ContactUrl = "https://nembra.de/";
// The tiles' disk cache between runs.
inline constexpr qint64 CacheBytes = 200LL * 1024 * 1024;

// Whether the page may load url with method: the program's own scheme, data
// the page made, and tiles of the two tile layers; nothing else.
bool allowedRequest(const QByteArray &method, const QUrl &url);
QString userAgent();

// The bridge of a map container; requests carry its number.
int registerBridge(ScriptBridge *bridge);
void unregisterBridge(int id);
QString bridgeEndpoint(int id);

// The map API script as the page gets it: settings, Leaflet, the API.
QByteArray apiScript();

} // namespace MapService
