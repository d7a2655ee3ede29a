#include "LocationCheck.h"

#include "ReferenceSystem.h"

std::optional<MapGrid::Notation> gridNotationOf(const QString &systemText)
{
    switch (gridSystem(systemText)) {
    case ReferenceSystem::QYX:
        return MapGrid::Notation::QYX;
    case ReferenceSystem::QQQ:
        return MapGrid::Notation::QQQ;
    default:
        return std::nullopt;
    }
}

int gaussKruegerStripOf(const QString &systemText)
{
    return gaussKruegerStrip(spatialReferenceSystem(systemText));
}

std::optional<MapGrid::LatLng> pointOfReference(const QString &reference, const QString &systemText)
{
    const ReferenceSystem system = spatialReferenceSystem(systemText);
    if (const int strip = gaussKruegerStrip(system))
        return MapGrid::fromGaussKrueger(reference, strip);
    if (system != ReferenceSystem::LTLN)
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
