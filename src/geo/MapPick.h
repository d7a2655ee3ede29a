#pragma once

#include <optional>

#include <QString>

#include "MapGrid.h"

// What the observation form asks of the map picker, and what it gets back.
struct MapPickRequest {
    std::optional<MapGrid::Notation> grid; // the form's grid system
    int strip = 0;                         // the form's Gauss-Krüger strip, 0 for none
};
struct MapPickResult {
    QString coordinate;    // "lat, lng" as the picker shows it
    QString gridReference; // the cell of that point in the requested grid, or empty
};
