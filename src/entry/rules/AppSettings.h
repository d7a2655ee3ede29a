#pragma once

#include <QString>

// The settings of Nembra.ini beside the program. Every call reads the file
// afresh, so edits made while the program runs count at the next use.
namespace AppSettings {

inline constexpr auto FileName = "Nembra.ini";
inline constexpr auto DefaultStartLat = "49.451870";
inline constexpr auto DefaultStartLong = "6.6607189";

// appDir ends with a path separator.
QString settingsPath(const QString &appDir);

// True unless key USR of section Settings holds exactly "FALSE": only then is
// the uncertainty radius optional.
bool uncertaintyRadiusRequired(const QString &appDir);

struct MapLocation {
    QString lat;
    QString lng;
};

MapLocation readStartLocation(const QString &appDir);
bool writeStartLocation(const QString &appDir, const MapLocation &location, QString *error = nullptr);

} // namespace AppSettings
