#pragma once

#include <QString>

// The altitude of a point from the SRTM3 elevation service: one HTTP GET
// "/srtm3?lat=…&lng=…". The caller shows a failure's message.
struct ElevationService {
    static constexpr auto DefaultHost = "api.geonames.org";
    QString host = QString::fromLatin1(DefaultHost);
    // The service's account name, sent as "username" when set.
    QString user;
    // A request without an answer ends like a broken connection.
    int timeoutMs = 20000;
};

// What a lookup gave: the altitude text (empty for a point without data), or
// the kind of failure with its German message.
struct ElevationOutcome {
    enum class Failure {
        None,
        Connection, // no answer: refused, broken, timed out
        Unknown,    // an answer that is no altitude
        Service,    // the service's own refusal ("ERR:…")
    };
    Failure failure = Failure::None;
    QString altitude;
    QString message;
};

// The answer body of the service as an outcome.
ElevationOutcome parseElevationBody(const QByteArray &body);

// Coordinate is "lat, lng"; the GUI keeps painting while the request runs.
ElevationOutcome LookupElevation(const QString &Coordinate, const ElevationService &service);

// The request's URL for a coordinate.
QString elevationUrl(const QString &Coordinate, const ElevationService &service);
