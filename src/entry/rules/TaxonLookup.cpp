#include "TaxonLookup.h"

#include "StrExt.h"
#include "TextFunctions.h"

namespace {

const CharSet Dot{u'.'};

// Word 1 to 3 of a text in which every blank ends a word.
void splitThreeWords(QStringView text, QString &w1, QString &w2, QString &w3)
{
    QString *words[] = {&w1, &w2, &w3};
    qsizetype start = 0;
    for (int i = 0; i < 3; ++i) {
        if (start > text.size()) {
            words[i]->clear();
            continue;
        }
        qsizetype end = text.indexOf(u' ', start);
        if (end < 0)
            end = text.size();
        *words[i] = text.sliced(start, end - start).toString();
        start = end + 1;
    }
}

QStringView trimBlanks(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    return text.sliced(b, e - b);
}

char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

} // namespace

TaxonInput parseTaxonInput(const QString &line)
{
    TaxonInput input;
    input.name = ExtractWordN(1, line, Dot);
    input.status = ExtractWordN(2, line, Dot);
    if (input.status.isEmpty())
        input.status = QStringLiteral("*");
    input.comment = ExtractWordN(3, line, Dot);
    input.count = ExtractWordN(4, line, Dot);
    return input;
}

QString normaliseTaxonName(const QString &name)
{
    // Blanks and control characters go at both ends.
    QString text = trimControls(name) + u' ';
    text.truncate(100);
    text[0] = QChar(asciiUpper(text[0].unicode()));
    for (qsizetype i = 1; i < text.size(); ++i)
        text[i] = QChar(asciiLower(text[i].unicode()));
    return text;
}

TaxonIndex::TaxonIndex(const QStringList &entries)
    : entries_(entries)
{
    static const QString ranks[] = {QStringLiteral("nvar. "), QStringLiteral("var. "), QStringLiteral("nssp. "),
                                    QStringLiteral("ssp. "),  QStringLiteral("f. "),   QStringLiteral("sect. ")};
    words_.resize(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString &entry = entries[i];
        Words &words = words_[i];
        if (entry.contains(u'.')) {
            QString copy = entry;
            for (const QString &rank : ranks)
                copy.remove(rank, Qt::CaseInsensitive);
            splitThreeWords(trimBlanks(copy), words.w1, words.w2, words.w3);
        } else {
            // Without a dot no rank abbreviation can occur.
            splitThreeWords(trimBlanks(entry), words.w1, words.w2, words.w3);
        }
    }
}

QStringList TaxonIndex::find(const QString &sTaxkurz) const
{
    QStringList result;
    QString w1, w2, w3;
    splitThreeWords(normaliseTaxonName(sTaxkurz), w1, w2, w3);
    const int mode = !w3.isEmpty() ? 3 : !w2.isEmpty() ? 2 : !w1.isEmpty() ? 1 : 0;
    if (mode == 0)
        return result;
    for (qsizetype i = 0; i < words_.size(); ++i) {
        const Words &words = words_[i];
        if (!words.w1.contains(w1))
            continue;
        if (mode >= 2 && !words.w2.startsWith(w2))
            continue;
        if (mode == 3 && !words.w3.startsWith(w3))
            continue;
        result.append(entries_[i]);
    }
    return result;
}
