#pragma once

#include <QByteArray>

#include "FieldPosition.h"

// The message for a photo that carries no position.
inline constexpr auto NoPhotoPosition = "Das Foto enthält keine Position.";

// Where a JPEG photo was taken, from its EXIF GPS tags: latitude and
// longitude with their references, altitude with its reference, the
// horizontal positioning error and DateTimeOriginal (local time). jpeg may be
// the start of the file only.
PositionRead readPhotoPosition(const QByteArray &jpeg, bool wholeFile);
