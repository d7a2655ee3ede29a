// The GPX reader: any document gives positions or a reason, never both, and
// every position lies on the globe.
#include <cmath>

#include "FuzzInput.h"
#include "GpxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const PositionRead read = readGpx(bytes);
    FUZZ_ASSERT(read.error.isEmpty() != read.positions.isEmpty());
    for (const FieldPosition &p : read.positions) {
        FUZZ_ASSERT(std::abs(p.latitude) <= 90 && std::abs(p.longitude) <= 180);
        FUZZ_ASSERT(!p.altitude || std::isfinite(*p.altitude));
        p.localTime();
    }
    return 0;
}
