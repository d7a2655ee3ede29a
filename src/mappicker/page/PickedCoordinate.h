#pragma once

#include <optional>

#include <QString>

// The coordinate picked on the map ("lat, lng" as the page reports it, "."
// as decimal point) in the latitude/longitude notation of the spatial
// reference: "49,45187N;6,66071E". Decimals beyond the fifth are dropped; the
// text is not checked here.
QString pickedCoordinateToLtln(const QString &T);

// A coordinate value from the map page as a plain decimal number ("-12.5",
// "49.451870") within -limit..limit, or nothing. The page's numbers go into
// the settings file and into the next map document, so nothing else may pass;
// a number the page wrote with an exponent (a point within a hair of the
// equator) is written out in plain digits.
std::optional<QString> plainDecimal(const QString &text, double limit);

// A latitude and a longitude, each a plain decimal in range, or nothing.
struct PlainPoint {
    QString lat;
    QString lng;
};
std::optional<PlainPoint> plainPoint(const QString &lat, const QString &lng);
// The same for "lat, lng" as the picker shows a point (blanks around the
// parts are allowed, since the user may edit the text).
std::optional<PlainPoint> plainPoint(const QString &coordinate);
