// The map grid's arithmetic: the cell of a point contains it, and its
// corners, carried back to WGS84, name the same cell for a point inside.
#include <cmath>
#include <cstring>

#include "FuzzInput.h"
#include "MapGrid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 16)
        return 0;
    double lat = 0, lng = 0;
    std::memcpy(&lat, data, 8);
    std::memcpy(&lng, data + 8, 8);
    if (!std::isfinite(lat) || !std::isfinite(lng))
        return 0;
    // Over and around the grid's area.
    const MapGrid::LatLng point{44 + std::fmod(std::abs(lat), 14), 2 + std::fmod(std::abs(lng), 18)};
    for (const MapGrid::Notation notation : {MapGrid::Notation::QQQ, MapGrid::Notation::QYX}) {
        const auto cell = MapGrid::cellOf(point, notation);
        if (!cell)
            continue;
        const auto bounds = MapGrid::cellBounds(*cell, notation);
        const auto dhdn = MapGrid::toDhdn(point);
        FUZZ_ASSERT(bounds && dhdn);
        FUZZ_ASSERT(bounds->contains(*dhdn));
        const auto corners = MapGrid::cellCorners(*cell, notation);
        FUZZ_ASSERT(corners);
        MapGrid::LatLng middle;
        for (const MapGrid::LatLng &corner : *corners) {
            middle.lat += corner.lat / 4;
            middle.lng += corner.lng / 4;
        }
        FUZZ_ASSERT(MapGrid::cellOf(middle, notation) == cell);
        const auto outside = MapGrid::metresOutside(point, *cell, notation);
        FUZZ_ASSERT(outside && *outside == 0);
        // A text the parser takes is a cell the grid knows.
        const QString typed = QString::fromLatin1(reinterpret_cast<const char *>(data + 16), qsizetype(size - 16));
        if (const auto other = MapGrid::cellBounds(typed, notation))
            FUZZ_ASSERT(other->south < other->north && other->west < other->east);
    }
    return 0;
}
