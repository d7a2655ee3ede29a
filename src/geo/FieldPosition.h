#pragma once

#include <optional>

#include <QDateTime>
#include <QList>
#include <QString>

// A position taken in the field: a GPS receiver's waypoint or track point,
// or where a photo was taken. Only what the file holds is set.
struct FieldPosition {
    QString name;                          // the waypoint's name; empty when the file gives none
    double latitude = 0;                   // WGS84 degrees, north positive
    double longitude = 0;                  // WGS84 degrees, east positive
    std::optional<double> altitude;        // metres above sea level
    QDateTime time;                        // invalid when absent; UTC (GPX) or local time (photo)
    std::optional<double> horizontalError; // metres

    // The time as the clock of this computer shows it.
    QDateTime localTime() const { return time.isValid() ? time.toLocalTime() : QDateTime(); }
    // "lat, lng" with "." as decimal point, as the map reports a picked point.
    QString pickedText() const;
};

// What a position file gave: its positions in file order, or a German
// sentence saying why there are none.
struct PositionRead {
    QList<FieldPosition> positions;
    QString error;
};

// A GPX file larger than this is refused rather than read.
inline constexpr qint64 MaxGpxBytes = 64 * 1024 * 1024;
// Of a photo only its start is read: the EXIF block lies in the first
// segments, and it is at most 64 KB.
inline constexpr qint64 PhotoHeadBytes = 1024 * 1024;

// A GPX file or a JPEG photo, told apart by its first bytes.
PositionRead readPositionFile(const QString &path);
