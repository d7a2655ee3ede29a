#pragma once

#include <QByteArray>

#include "FieldPosition.h"

// The waypoints of a GPX 1.0 or 1.1 document in file order; when it has none,
// its track points, at most one a minute (a point without a time counts only
// as a track's first). Coordinates outside their ranges refuse the file.
PositionRead readGpx(const QByteArray &document);
