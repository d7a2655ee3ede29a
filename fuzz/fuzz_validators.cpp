// Every validator, the classifier of the system texts and the date
// normaliser. A date that is accepted is normalised to a text that is
// accepted again and normalised to itself.
#include <QDate>

#include "CoordinateValidation.h"
#include "DateValidation.h"
#include "FuzzInput.h"
#include "TextFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList t = fuzzTexts(data, size, 2);
    const QDate today(2024, 6, 15);
    if (ZeitraumOK(t[0], today).ok) {
        const QString normal = ParseZeitraum(t[0], today);
        FUZZ_ASSERT(ZeitraumOK(normal, today).ok);
        FUZZ_ASSERT(ParseZeitraum(normal, today) == normal);
    }
    IsLTLNOk(t[0]);
    IsGKrOk(t[0], t[1]);
    IsMTBQQQOk(t[0]);
    IsMTBQYXOk(t[0]);
    IsHoeheOK(t[0]);
    checkReference(spatialReferenceSystem(t[1]), t[0]);
    checkReference(gridSystem(t[1]), t[0]);
    bool failed = false;
    val(t[0], &failed);
    int n = 0;
    toInt32(t[0], &n);
    CountPos(t[1], t[0]);
    trimControls(t[0]);
    // Written as GPS units write it: same length, and once is enough.
    const QString typed = ltlnAsTyped(t[0]);
    FUZZ_ASSERT(typed.size() == t[0].size());
    FUZZ_ASSERT(ltlnAsTyped(typed) == typed);
    // The classifier: a strip only for a Gauss-Krüger system.
    FUZZ_ASSERT((gaussKruegerStrip(spatialReferenceSystem(t[1])) != 0)
                == (spatialReferenceSystem(t[1]) >= ReferenceSystem::GKr2
                    && spatialReferenceSystem(t[1]) <= ReferenceSystem::GKr5));
    return 0;
}
