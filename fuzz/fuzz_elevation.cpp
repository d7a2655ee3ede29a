// The elevation services' answers: any body gives an altitude in whole
// metres, an empty one for no data, or a failure with its message.
#include "Elevation.h"
#include "FuzzInput.h"

namespace {

void check(const ElevationOutcome &outcome)
{
    if (outcome.failure == ElevationOutcome::Failure::None) {
        FUZZ_ASSERT(outcome.message.isEmpty());
        if (!outcome.altitude.isEmpty()) {
            bool whole = false;
            outcome.altitude.toInt(&whole);
            FUZZ_ASSERT(whole);
        }
    } else {
        FUZZ_ASSERT(!outcome.message.isEmpty());
        FUZZ_ASSERT(outcome.altitude.isEmpty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    check(parseElevationBody(body));
    check(parseOpenTopoBody(body));
    return 0;
}
