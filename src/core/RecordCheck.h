#pragma once

#include <optional>

#include "ObservationRecord.h"
#include "Verdict.h"

// The field of the observation form that a failed check puts the focus into.
enum class RecordField {
    TaxonInput,
    Locality,
    Date,
    SpatialReference,
    ReferenceSystem,
    Radius,
    Observers
};

// The first check a record fails before it may be saved.
struct RecordFault {
    RecordField field;
    Verdict verdict;
    // A validator's fault is an error; a missing entry is an input check.
    bool invalidEntry = false;
};

// The completeness check before saving, in the order the user is told about
// faults: taxa, locality, date, spatial reference and its system, the
// uncertainty radius (when required, and never 0), at least one observer.
// A radius that is no integer throws NembraError, as the conversion does.
std::optional<RecordFault> checkCompleteness(const ObservationRecord &record, bool radiusRequired);
