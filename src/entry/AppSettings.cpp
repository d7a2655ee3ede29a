#include "AppSettings.h"

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
    const ProfileFile profile(settingsPath(appDir));
    return {profile.readString("Map", "StartingLocationLat", DefaultStartLat),
            profile.readString("Map", "StartingLocationLong", DefaultStartLong)};
}

bool writeStartLocation(const QString &appDir, const MapLocation &location, QString *error)
{
    const ProfileFile profile(settingsPath(appDir));
    return profile.writeStrings("Map", {{"StartingLocationLat", location.lat}, {"StartingLocationLong", location.lng}},
                                error);
}

} // namespace AppSettings
