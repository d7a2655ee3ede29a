#include "RecordCheck.h"

#include "CoordinateValidation.h"
#include "NembraError.h"
#include "TextFunctions.h"

namespace {

RecordFault missing(RecordField field, const char *message)
{
    return {field, Verdict::fault(QString::fromUtf8(message)), false};
}

} // namespace

std::optional<RecordFault> checkCompleteness(const ObservationRecord &record, bool radiusRequired)
{
    if (record.taxa.isEmpty())
        return missing(RecordField::TaxonInput, "Ohne Arten macht das Ganze keinen Sinn!");
    if (record.locality.isEmpty())
        return missing(RecordField::Locality, "Sie müssen einen Fundort eingeben");
    if (record.date.isEmpty())
        return missing(RecordField::Date, "Sie müssen ein Datum eingeben");

    const bool hasReference = !record.spatialReference.isEmpty();
    const bool hasSystem = !record.systemText.isEmpty();
    if (!hasReference && !hasSystem)
        return missing(RecordField::SpatialReference,
                       "Sie müssen einen Raumbezug und ein passendes Raumbezugssystem eingeben");
    if (hasReference && !hasSystem)
        return missing(RecordField::ReferenceSystem, "Sie müssen ein Raumbezugssystem auswählen");
    if (!hasReference && hasSystem)
        return missing(RecordField::SpatialReference, "Sie müssen einen Raumbezug eingeben");
    const Verdict reference = checkReference(spatialReferenceSystem(record.systemText), record.spatialReference);
    if (!reference.ok)
        return RecordFault{RecordField::SpatialReference, reference, true};

    if (radiusRequired && record.radius.isEmpty())
        return missing(RecordField::Radius, "Sie müssen einen Unschärferadius eingeben");
    if (!record.radius.isEmpty()) {
        int value = 0;
        if (!toInt32(record.radius, &value))
            throw NembraError(QStringLiteral("''%1'' ist kein gültiger Integer-Wert").arg(record.radius));
        if (value == 0)
            return missing(RecordField::Radius, "Ein Unschärferadius von 0 ist nicht möglich");
    }

    if (record.observers.isEmpty())
        return missing(RecordField::Observers, "Sie müssen mindestens einen Kartierer auswählen");
    return std::nullopt;
}
