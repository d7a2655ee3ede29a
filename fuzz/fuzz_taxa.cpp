// Taxon lookup: every result is an entry of the list.
#include "FuzzInput.h"
#include "TaxonLookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList t = fuzzTexts(data, size, 1);
    const QString query = t.takeFirst();
    const TaxonIndex index(t);
    for (const QString &found : index.find(query))
        FUZZ_ASSERT(t.contains(found));
    return 0;
}
