#include "LocationCheck.h"

std::optional<MapGrid::Notation> gridNotationOf(const QString &systemText)
{
    if (systemText.contains(QLatin1String("QYX")))
        return MapGrid::Notation::QYX;
    if (systemText.contains(QLatin1String("QQQ")))
        return MapGrid::Notation::QQQ;
    return std::nullopt;
}

int gaussKruegerStripOf(const QString &systemText)
{
    for (int strip = 2; strip <= 5; ++strip)
        if (systemText.contains(QStringLiteral("GKr%1").arg(strip)))
            return strip;
    return 0;
}

std::optional<MapGrid::LatLng> pointOfReference(const QString &reference, const QString &systemText)
{
    if (const int strip = gaussKruegerStripOf(systemText))
        return MapGrid::fromGaussKrueger(reference, strip);
    // The grid codes come before LTLN in the form's search.
    if (gridNotationOf(systemText) || !systemText.contains(QLatin1String("LTLN")))
        return std::nullopt;
    return MapGrid::fromLtln(reference);
}

std::optional<QString> locationDisagreement(const QString &spatialReference, const QString &referenceSystem,
                                            const QString &gridReference, const QString &gridSystem)
{
    const auto notation = gridNotationOf(gridSystem);
    const auto point = pointOfReference(spatialReference, referenceSystem);
    if (!notation || !point || !MapGrid::cellBounds(gridReference, *notation))
        return std::nullopt;
    const auto outside = MapGrid::metresOutside(*point, gridReference, *notation);
    if (!outside || *outside <= MapGrid::toleranceMetres())
        return std::nullopt;
    const auto actual = MapGrid::cellOf(*point, *notation);
    const QString where = actual ? QStringLiteral("im Raster \"%1\"").arg(*actual)
                                 : QStringLiteral("außerhalb des MTB-Rasters");
    return QStringLiteral("Der Raumbezug \"%1\" liegt nicht im Raster \"%2\", sondern %3 (%4 m entfernt).\n\r"
                          "Trotzdem speichern?")
        .arg(spatialReference.trimmed(), gridReference.trimmed(), where)
        .arg(qRound(*outside));
}
