#pragma once

#include <QString>

// The coordinate picked on the map ("lat, lng" as the page reports it, "."
// as decimal point) in the latitude/longitude notation of the spatial
// reference: "49,45187N;6,66071E". Decimals beyond the fifth are dropped; the
// text is not checked here.
QString pickedCoordinateToLtln(const QString &T);
