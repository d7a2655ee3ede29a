// The season's taxon count file: any bytes give counts of whole positive
// numbers, and what is written of them reads back the same.
#include "FuzzInput.h"
#include "TaxonUse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TaxonUse::Counts counts = TaxonUse::fromBytes(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        FUZZ_ASSERT(it.value() > 0 && !it.key().isEmpty());
    FUZZ_ASSERT(TaxonUse::fromBytes(TaxonUse::toBytes(counts)) == counts);
    return 0;
}
