#pragma once

#include <array>
#include <optional>

#include <QString>

// The German map-sheet grid (TK25 "MTB" sheets with quadrants, 16ths, 64ths
// and minute fields) and the Gauss-Krüger strips, for points given in WGS84.
// Both are defined on the old German datum DHDN (Potsdam, Bessel ellipsoid);
// PROJ carries points between the datums, with the NTv2 grid BETA2007 where
// it is installed and the published seven parameters otherwise.
//
// Not thread-safe: every call comes from the program's main thread.
namespace MapGrid {

struct LatLng {
    double lat = 0; // degrees, north positive
    double lng = 0; // degrees, east positive
};

// A cell of the sheet grid in DHDN degrees.
struct Bounds {
    double south = 0, west = 0, north = 0, east = 0;
    bool contains(const LatLng &p) const { return p.lat >= south && p.lat < north && p.lng >= west && p.lng < east; }
};

enum class Notation {
    QQQ, // sheet/quadrant, 16th, 64th: "5408/132"
    QYX, // sheet/quadrant, minute-field row and column: "5408/235"
};

enum class Datum {
    Beta2007,        // NTv2 grid of the AdV, about 1 m (PROJ's rating)
    SevenParameters, // EPSG:1777, about 3 m in the west, worse in the east
};

// The transformation the program uses: the grid when PROJ finds it.
Datum datum();
// How far a point may lie outside a cell before the two are said to
// disagree: what the datum transformation may be off by.
double toleranceMetres();

std::optional<LatLng> toDhdn(const LatLng &wgs84);
std::optional<LatLng> toWgs84(const LatLng &dhdn);

// The cell of a point: in QQQ to the 64th, in QYX to the minute field.
// Nothing for a point outside the grid (rows and columns 01 to 99).
std::optional<QString> cellOf(const LatLng &wgs84, Notation notation);
// The DHDN bounds of a reference ("5408", "5408/1", "5408/13", "5408/132";
// "5408/2", "5408/235"); nothing for a text that is none.
std::optional<Bounds> cellBounds(const QString &reference, Notation notation);
// Its corners in WGS84: south-west, south-east, north-east, north-west.
std::optional<std::array<LatLng, 4>> cellCorners(const QString &reference, Notation notation);
// How many metres a WGS84 point lies outside a cell: 0 inside.
std::optional<double> metresOutside(const LatLng &wgs84, const QString &reference, Notation notation);

// The Gauss-Krüger coordinate of a point in strip 2 to 5 as the form writes
// it: "3512345,67;5412345,89" (easting with the strip digit first, northing;
// seven-digit whole parts, centimetres). Nothing for a point more than 3°
// from the strip's central meridian or outside 46° to 56° north.
std::optional<QString> gaussKrueger(const LatLng &wgs84, int strip);
// The WGS84 point of a Gauss-Krüger text of strip 2 to 5 ("," or "." as
// decimal point, at most five decimals); nothing for a text that is none.
std::optional<LatLng> fromGaussKrueger(const QString &text, int strip);
// The WGS84 point of an LTLN text ("49,45187N;6,66071E"): the numbers as
// they stand, hemisphere letters S and W making them negative.
std::optional<LatLng> fromLtln(const QString &text);

} // namespace MapGrid
