#include "AppSettings.h"

#include "PickedCoordinate.h"
#include "ProfileFile.h"

namespace AppSettings {

QString settingsPath(const QString &appDir)
{
    return appDir + QLatin1String(FileName);
}

bool uncertaintyRadiusRequired(const QString &appDir)
{
    const QString value = ProfileFile(settingsPath(appDir)).readString("Settings", "USR", "TRUE");
    if (value == QLatin1String("TRUE"))
        return true;
    return value != QLatin1String("FALSE");
}

MapLocation readStartLocation(const QString &appDir)
{
    // The values go into the map document as they stand: anything but a
    // plain number in range (a hand edit, a damaged file) gives the default.
    const ProfileFile profile(settingsPath(appDir));
    const auto lat = plainDecimal(profile.readString("Map", "StartingLocationLat", DefaultStartLat), 90);
    const auto lng = plainDecimal(profile.readString("Map", "StartingLocationLong", DefaultStartLong), 180);
    if (!lat || !lng)
        return {QLatin1String(DefaultStartLat), QLatin1String(DefaultStartLong)};
    return {*lat, *lng};
}

bool writeStartLocation(const QString &appDir, const MapLocation &location, QString *error)
{
    const auto lat = plainDecimal(location.lat, 90);
    const auto lng = plainDecimal(location.lng, 180);
    if (!lat || !lng) {
        if (error)
            *error = QStringLiteral("Ungültiger Eintrag");
        return false;
    }
    const ProfileFile profile(settingsPath(appDir));
    return profile.writeStrings("Map", {{"StartingLocationLat", *lat}, {"StartingLocationLong", *lng}},
                                error);
}

} // namespace AppSettings
