// Word extraction and the taxon input line.
#include "FuzzInput.h"
#include "StrExt.h"
#include "TaxonLookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList t = fuzzTexts(data, size, 2);
    CharSet delims;
    for (QChar c : t[1])
        delims.add(c.unicode());
    for (int n = -1; n < 6; ++n) {
        const QString word = ExtractWordN(n, t[0], delims);
        for (QChar c : word)
            FUZZ_ASSERT(!delims.contains(c));
    }
    const TaxonInput input = parseTaxonInput(t[0]);
    FUZZ_ASSERT(!input.status.isEmpty());
    normaliseTaxonName(t[0]);
    return 0;
}
