#pragma once

#include <QString>

// The altitude of a point from the SRTM3 elevation service: one HTTP GET
// "/srtm3?lat=…&lng=…". Failures show their warning and give an empty text.
struct ElevationService {
    static constexpr auto DefaultHost = "api.geonames.org";
    QString host = QString::fromLatin1(DefaultHost);
    // The service's account name, sent as "username" when set.
    QString user;
    // A request without an answer ends like a broken connection.
    int timeoutMs = 20000;
};

// Coordinate is "lat, lng"; the GUI keeps painting while the request runs.
QString LookupElevation(const QString &Coordinate, const ElevationService &service);

// The request's URL for a coordinate.
QString elevationUrl(const QString &Coordinate, const ElevationService &service);
