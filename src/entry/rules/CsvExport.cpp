#include "CsvExport.h"

#include <QFileInfo>
#include <QStringEncoder>

#include "StrExt.h"
#include "TextFile.h"

namespace CsvExport {

namespace {

const CharSet Parentheses{u'(', u')'};

const char *const Header = "\"Sippe\",\"Status\",\"Kommentar\",\"Anzahl\",\"Kartierer\",\"Datum\",\"Fundortname\","
                           "\"Raumreferenz\",\"Raumreferenzsystem\",\"USR\",\"Aufnahmemethode\","
                           "\"Aufnahmereferenz\",\"Beschreibung\",\"Höhenlage\"";

// The names the user knows the fields by, in file order.
const char *const FieldLabels[FieldCount] = {"Sippenname",      "Status",  "Bemerkung",    "Anzahl",       "Kartierer",
                                             "Datum",           "Fundort", "Raumbezug",    "Bezugssystem", "USR",
                                             "Aufnahmemethode", "Raster",  "Beschreibung", "Höhenlage"};

QString noQuotes(QString text)
{
    // A double quote would end the field's quoting early.
    return text.replace(u'"', u'\'');
}

bool representable(const QString &text)
{
    bool lossy = false;
    encodeText(text, TextEncoding::Windows1252, &lossy);
    return !lossy;
}

} // namespace

QString systemCode(const QString &comboText)
{
    return ExtractWordN(2, comboText, Parentheses);
}

QString gridField(const QString &gridReference, const QString &gridSystemText, bool *codeTooLong)
{
    *codeTooLong = false;
    if (gridReference.isEmpty())
        return QString();
    const QString code = systemCode(gridSystemText);
    if (code.size() > 4) {
        *codeTooLong = true;
        return QString();
    }
    return gridReference + QStringLiteral(" (") + code + u')';
}

QString singleLine(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool inControlRun = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool control = c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
        if (c == u'\r' || c == u'\n') {
            // CR LF is one line end.
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += u' ';
        } else if (control) {
            // A tab between two words keeps them two words.
            if (!inControlRun)
                out += u' ';
        } else {
            out += text[i];
        }
        inControlRun = control && c != u'\r' && c != u'\n';
    }
    return out;
}

QString cleanDescription(QString text)
{
    text.replace(u'"', u'\'');
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    while (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    return text;
}

QStringList dataFields(const ObservationRecord &record, const TaxonRow &row, const QString &systemCode,
                       const QString &gridField)
{
    return {row.name,
            row.status,
            row.comment,
            row.count,
            record.observers.join(QStringLiteral("; ")),
            record.date,
            record.locality,
            record.spatialReference,
            systemCode,
            record.radius,
            ExtractWordN(1, record.sampleTypeItem, CharSet{u'|'}),
            gridField,
            cleanDescription(record.description),
            record.altitude};
}

QString fileText(const ObservationRecord &record, const QString &systemCode, const QString &gridField)
{
    QString text = QString::fromUtf8(Header) + QStringLiteral("\r\n");
    for (const TaxonRow &row : record.taxa) {
        QStringList fields = dataFields(record, row, systemCode, gridField);
        for (QString &field : fields)
            field = noQuotes(singleLine(field));
        text += u'"' + fields.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
    }
    return text;
}

std::optional<Unrepresentable> findUnrepresentable(const ObservationRecord &record, const QString &systemCode,
                                                   const QString &gridField)
{
    for (const TaxonRow &row : record.taxa) {
        const QStringList fields = dataFields(record, row, systemCode, gridField);
        for (int f = 0; f < FieldCount; ++f) {
            if (representable(fields[f]))
                continue;
            for (qsizetype i = 0; i < fields[f].size(); ++i) {
                // A character outside the Basic Multilingual Plane is two code units.
                const qsizetype len = fields[f][i].isHighSurrogate() && i + 1 < fields[f].size() ? 2 : 1;
                const QString character = fields[f].mid(i, len);
                if (!representable(character))
                    return Unrepresentable{character, QString::fromUtf8(FieldLabels[f])};
                i += len - 1;
            }
        }
    }
    return std::nullopt;
}

QByteArray encodeFile(const QString &text)
{
    return encodeText(text, TextEncoding::Windows1252);
}

PreparedFile prepareFile(const ObservationRecord &record)
{
    PreparedFile prepared;
    const QString code = systemCode(record.systemText);
    if (code.isEmpty() || code.size() > 4) {
        prepared.outcome = PreparedFile::Outcome::NoSystemCode;
        prepared.message = QStringLiteral(
            "Raumreferenzsystem konnte nicht extrahiert werden\n\rSpeichern wird abgebrochen");
        return prepared;
    }
    bool gridCodeTooLong = false;
    const QString grid = gridField(record.gridReference, record.gridSystemText, &gridCodeTooLong);
    if (gridCodeTooLong)
        prepared.warnings.append(
            QStringLiteral("Rastersystem konnte nicht extrahiert werden\n\rSpeichere leere Angabe"));

    // A character the file cannot hold would be lost on the way: the user
    // changes it before anything is written.
    if (const auto lost = findUnrepresentable(record, code, grid)) {
        prepared.outcome = PreparedFile::Outcome::Unrepresentable;
        prepared.message = QStringLiteral("Das Zeichen \"%1\" im Feld \"%2\" kann in der Datei nicht gespeichert "
                                          "werden.\n\rSpeichern wird abgebrochen")
                               .arg(lost->character, lost->field);
        return prepared;
    }
    prepared.bytes = encodeFile(fileText(record, code, grid));
    return prepared;
}

QString proposeFileName(const QString &joinedObservers, const QString &date, const QString &dataDir)
{
    QString name = ExtractWordN(1, joinedObservers, CharSet{u';'}) + u'-' + date;
    name.replace(u' ', u'_').replace(u'.', u'_');
    static const struct {
        const char16_t *from;
        const char16_t *to;
    } replacements[] = {{u"ä", u"ae"}, {u"ö", u"oe"}, {u"ü", u"ue"}, {u"ß", u"ss"}, {u"é", u"e"},
                        {u"è", u"e"},  {u"ê", u"e"},  {u"à", u"a"},  {u"á", u"a"},  {u"â", u"a"}};
    for (const auto &r : replacements)
        name.replace(QString::fromUtf16(r.from), QString::fromUtf16(r.to), Qt::CaseInsensitive);
    // Characters no file name may hold on the systems the files travel to.
    for (QChar c : QStringLiteral("/\\:*?\"<>|"))
        name.replace(c, u'_');

    for (int n = 1;; ++n) {
        // Three digits up to 999; then on with 1000, 1001, … so a free name
        // is always found and no file is overwritten.
        const QString sequence = n < 1000 ? QStringLiteral("%1").arg(n, 3, 10, QChar(u'0')) : QString::number(n);
        const QString candidate = name + u'_' + sequence;
        if (!QFileInfo::exists(dataDir + candidate + QStringLiteral(".csv")))
            return candidate;
    }
}

} // namespace CsvExport
