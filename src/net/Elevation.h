#pragma once

#include <QByteArray>
#include <QString>

// The altitude of a point from an online elevation service, over HTTPS:
// - with an account name (GeoNamesUser in the settings), GeoNames' SRTM3
//   service: "/srtm3?lat=…&lng=…&username=…", one integer in metres;
// - without one, the public OpenTopoData API (EU-DEM 25 m, no key):
//   "/v1/eudem25m?locations=LAT,LNG", JSON.
// The caller shows a failure's message.
struct ElevationService {
    static constexpr auto DefaultHost = "api.geonames.org";
    static constexpr auto DefaultOpenHost = "api.opentopodata.org";
    QString host = QString::fromLatin1(DefaultHost);
    QString openHost = QString::fromLatin1(DefaultOpenHost);
    // Tests talk plain HTTP to a server on this machine.
    QString scheme = QStringLiteral("https");
    // The GeoNames account; empty: OpenTopoData.
    QString user;
    // The whole lookup, redirects included; without an answer by then it
    // ends like a broken connection.
    int timeoutMs = 20000;
    // An answer longer than this is no altitude.
    static constexpr qint64 MaxBodyBytes = 512;
};

// What a lookup gave: the altitude text (empty for a point without data), or
// the kind of failure with its German message.
struct ElevationOutcome {
    enum class Failure {
        None,
        Connection, // no answer: refused, broken, timed out
        Unknown,    // an answer that is no altitude, a redirect loop, an HTTP error
        Service,    // the service's own refusal ("ERR:…", a status other than OK)
    };
    Failure failure = Failure::None;
    QString altitude;
    QString message;
};

// GeoNames' answer body: an integer with a line end, "-32768" for no data,
// "ERR:…" for a refusal.
ElevationOutcome parseElevationBody(const QByteArray &body);
// OpenTopoData's answer: {"results":[{"elevation":263.4,…}],"status":"OK"};
// the altitude rounded to whole metres, null for no data.
ElevationOutcome parseOpenTopoBody(const QByteArray &body);

// Coordinate is "lat, lng"; the GUI keeps painting while the request runs.
ElevationOutcome LookupElevation(const QString &Coordinate, const ElevationService &service);

// The request's URL for a coordinate.
QString elevationUrl(const QString &Coordinate, const ElevationService &service);
