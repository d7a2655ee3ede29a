#include "AppVersion.h"

QString formatFileVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(mostSignificant >> 16)
        .arg(mostSignificant & 0xFFFFu)
        .arg(leastSignificant >> 16)
        .arg(leastSignificant & 0xFFFFu);
}

QString GetAppVersion()
{
#if defined(NEMBRA_VERSION_MAJOR)
    return formatFileVersion((std::uint32_t(NEMBRA_VERSION_MAJOR) << 16) | NEMBRA_VERSION_MINOR,
                             (std::uint32_t(NEMBRA_VERSION_PATCH) << 16) | NEMBRA_VERSION_TWEAK);
#else
    return QString();
#endif
}

QString &appVersionText()
{
    static QString text;
    return text;
}
