#pragma once

#include <optional>

#include <QString>

// The settings of Nembra.ini: every key is read and written here alone. Every
// call reads the file afresh, so edits made while the program runs count at
// the next use.
namespace AppSettings {

inline constexpr auto FileName = "Nembra.ini";
inline constexpr auto DefaultStartLat = "49.451870";
inline constexpr auto DefaultStartLong = "6.6607189";

// settingsDir is the folder of Nembra.ini and ends with a path separator.
QString settingsPath(const QString &settingsDir);

// True unless key USR of section Settings holds exactly "FALSE": only then is
// the uncertainty radius optional.
bool uncertaintyRadiusRequired(const QString &settingsDir);

struct MapLocation {
    QString lat;
    QString lng;
};

MapLocation readStartLocation(const QString &settingsDir);
bool writeStartLocation(const QString &settingsDir, const MapLocation &location, QString *error = nullptr);

// The size and place of the main window the user gave it (section Fenster,
// keys Links, Oben, Breite, Hoehe); nothing when they are not all whole
// numbers, the size at least 100 × 100.
struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
std::optional<WindowGeometry> readWindowGeometry(const QString &settingsDir);
bool writeWindowGeometry(const QString &settingsDir, const WindowGeometry &geometry, QString *error = nullptr);

// The folder of the position file chosen last (key PositionFolder of section
// Settings); empty when none is stored.
QString positionFolder(const QString &settingsDir);
bool writePositionFolder(const QString &settingsDir, const QString &folder, QString *error = nullptr);

// The GeoNames account of key GeoNamesUser in section Map; empty when none
// is set, and the public elevation service answers instead.
QString geoNamesUser(const QString &settingsDir);

} // namespace AppSettings
