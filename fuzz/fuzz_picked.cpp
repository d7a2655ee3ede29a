// The picked coordinate in the latitude/longitude notation, and the draft
// file: a draft that is read writes back to the same draft.
#include "FuzzInput.h"
#include "PickedCoordinate.h"
#include "RecordDraft.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    pickedCoordinateToLtln(QString::fromUtf8(bytes));
    if (const auto draft = Draft::fromBytes(bytes)) {
        const auto again = Draft::fromBytes(Draft::toBytes(*draft));
        FUZZ_ASSERT(again && *again == *draft);
    }
    return 0;
}
