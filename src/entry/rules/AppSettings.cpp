#include "AppSettings.h"

#include "PickedCoordinate.h"
#include "ProfileFile.h"

namespace AppSettings {

QString settingsPath(const QString &settingsDir)
{
    return settingsDir + QLatin1String(FileName);
}

bool uncertaintyRadiusRequired(const QString &settingsDir)
{
    const QString value = ProfileFile(settingsPath(settingsDir)).readString("Settings", "USR", "TRUE");
    if (value == QLatin1String("TRUE"))
        return true;
    return value != QLatin1String("FALSE");
}

MapLocation readStartLocation(const QString &settingsDir)
{
    // The values go into the map document as they stand: anything but a
    // plain number in range (a hand edit, a damaged file) gives the default.
    const ProfileFile profile(settingsPath(settingsDir));
    const auto point = plainPoint(profile.readString("Map", "StartingLocationLat", DefaultStartLat),
                                  profile.readString("Map", "StartingLocationLong", DefaultStartLong));
    if (!point)
        return {QLatin1String(DefaultStartLat), QLatin1String(DefaultStartLong)};
    return {point->lat, point->lng};
}

bool writeStartLocation(const QString &settingsDir, const MapLocation &location, QString *error)
{
    const auto point = plainPoint(location.lat, location.lng);
    if (!point) {
        if (error)
            *error = QStringLiteral("Ungültiger Eintrag");
        return false;
    }
    const ProfileFile profile(settingsPath(settingsDir));
    return profile.writeStrings("Map", {{"StartingLocationLat", point->lat}, {"StartingLocationLong", point->lng}},
                                error);
}

std::optional<WindowGeometry> readWindowGeometry(const QString &settingsDir)
{
    const ProfileFile profile(settingsPath(settingsDir));
    int values[4];
    const char *keys[] = {"Links", "Oben", "Breite", "Hoehe"};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = profile.readString("Fenster", keys[i], QString()).toInt(&ok);
        if (!ok || qAbs(values[i]) > 100000)
            return std::nullopt;
    }
    if (values[2] < 100 || values[3] < 100)
        return std::nullopt;
    return WindowGeometry{values[0], values[1], values[2], values[3]};
}

bool writeWindowGeometry(const QString &settingsDir, const WindowGeometry &g, QString *error)
{
    const ProfileFile profile(settingsPath(settingsDir));
    return profile.writeStrings("Fenster",
                                {{"Links", QString::number(g.x)},
                                 {"Oben", QString::number(g.y)},
                                 {"Breite", QString::number(g.width)},
                                 {"Hoehe", QString::number(g.height)}},
                                error);
}

QString positionFolder(const QString &settingsDir)
{
    return ProfileFile(settingsPath(settingsDir)).readString("Settings", "PositionFolder", QString());
}

bool writePositionFolder(const QString &settingsDir, const QString &folder, QString *error)
{
    // One line of the file: a name with a line break is not kept.
    for (const QChar c : folder)
        if (c.category() == QChar::Other_Control) {
            if (error)
                *error = QStringLiteral("Ungültiger Eintrag");
            return false;
        }
    return ProfileFile(settingsPath(settingsDir)).writeStrings("Settings", {{"PositionFolder", folder}}, error);
}

QString geoNamesUser(const QString &settingsDir)
{
    return ProfileFile(settingsPath(settingsDir)).readString("Map", "GeoNamesUser", QString());
}

} // namespace AppSettings
