// Near names: the edit distance is symmetric, zero exactly for the same
// word (letter case aside) and bounded by its limit; a near search over any
// list gives at most twelve of its entries. An entry's rank abbreviations are
// left out exactly as removing them one after the other does.
#include "FuzzInput.h"
#include "TaxonLookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList texts = fuzzTexts(data, size, 3);
    const QString &a = texts[0], &b = texts[1];
    for (const int limit : {0, 1, 2}) {
        const int d = editDistance(a, b, limit);
        FUZZ_ASSERT(d >= 0 && d <= limit + 1);
        FUZZ_ASSERT(d == editDistance(b, a, limit));
        FUZZ_ASSERT(editDistance(a, a, limit) == 0);
        FUZZ_ASSERT(prefixDistance(a, a + b, limit) == 0);
    }
    // Rank abbreviations go as removing each in turn takes them out.
    QString removed = a;
    for (const char *rank : {"nvar. ", "var. ", "nssp. ", "ssp. ", "f. ", "sect. "})
        removed.remove(QLatin1String(rank), Qt::CaseInsensitive);
    FUZZ_ASSERT(withoutRanks(a) == removed);
    const QStringList entries = texts[2].split(u'\n');
    const QStringList near = TaxonIndex(entries).findNear(a);
    FUZZ_ASSERT(near.size() <= 12);
    for (const QString &entry : near)
        FUZZ_ASSERT(entries.contains(entry));
    return 0;
}
