// A photo's position from its EXIF tags: any bytes, whole or only the start
// of a file, give a position on the globe or a reason, never both.
#include <cmath>

#include "FuzzInput.h"
#include "PhotoPosition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const bool wholeFile : {true, false}) {
        const PositionRead read = readPhotoPosition(bytes, wholeFile);
        FUZZ_ASSERT(read.error.isEmpty() != read.positions.isEmpty());
        for (const FieldPosition &p : read.positions)
            FUZZ_ASSERT(std::abs(p.latitude) <= 90 && std::abs(p.longitude) <= 180);
    }
    return 0;
}
