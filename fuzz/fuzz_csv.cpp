// CSV lines and the proposed file name: whatever the fields hold, every data
// line has its 14 quoted fields and no line break inside, and the proposed
// name is a plain file name.
#include <QTemporaryDir>

#include "CsvExport.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QStringList t = fuzzTexts(data, size, 16);
    ObservationRecord r;
    r.taxa = {{t[0], t[1], t[2], t[3]}, {t[15], QString(), t[2], QString()}};
    r.observers = {t[4], t[14]};
    r.date = t[5];
    r.locality = t[6];
    r.spatialReference = t[7];
    r.systemText = t[8];
    r.radius = t[9];
    r.sampleTypeItem = t[10];
    r.gridReference = t[11];
    r.gridSystemText = t[12];
    r.description = t[13];
    const CsvExport::PreparedFile prepared = CsvExport::prepareFile(r);
    if (prepared.outcome == CsvExport::PreparedFile::Outcome::Ready) {
        bool tooLong = false;
        const QString text = CsvExport::fileText(r, CsvExport::systemCode(r.systemText),
                                                 CsvExport::gridField(r.gridReference, r.gridSystemText, &tooLong));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        FUZZ_ASSERT(lines.takeLast().isEmpty());
        FUZZ_ASSERT(lines.size() == 1 + r.taxa.size());
        for (const QString &line : lines.mid(1)) {
            FUZZ_ASSERT(!line.contains(u'\r') && !line.contains(u'\n'));
            // Quotes only around fields: 14 quoted fields joined by ",".
            QList<qsizetype> quotes;
            for (qsizetype i = 0; i < line.size(); ++i)
                if (line[i] == u'"')
                    quotes.append(i);
            FUZZ_ASSERT(quotes.size() == 2 * CsvExport::FieldCount);
            FUZZ_ASSERT(quotes.first() == 0 && quotes.last() == line.size() - 1);
            for (qsizetype f = 1; f < CsvExport::FieldCount; ++f)
                FUZZ_ASSERT(quotes[2 * f] == quotes[2 * f - 1] + 2 && line[quotes[2 * f] - 1] == u',');
        }
    }
    const QString name = CsvExport::proposeFileName(r.observers.join(QStringLiteral("; ")), r.date, dir.path() + u'/');
    for (QChar c : QStringLiteral("/\\:*?\"<>|"))
        FUZZ_ASSERT(!name.contains(c));
    return 0;
}
