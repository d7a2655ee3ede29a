#pragma once

#include <QString>
#include <QStringList>

// The map page and the script texts the map picker runs in it.
namespace MapDocument {

// The host of the map API script named in the page. The program answers
// requests to it itself, from its own resources; it never reaches a network.
inline constexpr auto DefaultApiHost = "maps.nembra.localhost";

// The 77 lines of the page with the start centre in line 46.
QStringList lines(const QString &Lat, const QString &Long, const QString &apiHost = QLatin1String(DefaultApiHost));
// The lines joined by CR LF, without a line end after the last one.
QString compose(const QString &Lat, const QString &Long, const QString &apiHost = QLatin1String(DefaultApiHost));
// What the browser is given: every line of the text followed by CR LF, in
// Windows-1252.
QByteArray bytesOf(const QString &HTMLCode);

QString clearMarkersScript();
QString setMarkerScript(const QString &sLat, const QString &sLong);
QString setMapCenterScript(const QString &sLat, const QString &sLong);
QString getMapCenterScript();
QString resizeScript(int height);

} // namespace MapDocument
