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

QString geoNamesUser(const QString &settingsDir)
{
    return ProfileFile(settingsPath(settingsDir)).readString("Map", "GeoNamesUser", QString());
}

} // namespace AppSettings
