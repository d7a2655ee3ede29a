#pragma once

#include <optional>

#include <QString>

#include "MapGrid.h"

// The two locations of a record: the spatial reference (a point) and the
// grid reference (a cell), each with the system named in its combo box.

// The grid system a grid combo text names, as the form's checks find it;
// nothing for a text that names none.
std::optional<MapGrid::Notation> gridNotationOf(const QString &systemText);
// The Gauss-Krüger strip (2 to 5) a reference-system text names, when the
// form's checks find a strip in it; else 0.
int gaussKruegerStripOf(const QString &systemText);
// The WGS84 point of a spatial reference in LTLN or a Gauss-Krüger strip;
// nothing for another system or a text that is no such reference.
std::optional<MapGrid::LatLng> pointOfReference(const QString &reference, const QString &systemText);

// When both are valid and the point lies outside the cell by more than the
// datum transformation may be off, the question to ask before saving;
// nothing when they agree or cannot be compared.
std::optional<QString> locationDisagreement(const QString &spatialReference, const QString &referenceSystem,
                                            const QString &gridReference, const QString &gridSystem);
