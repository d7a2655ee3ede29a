#include "TaxonLookup.h"

#include <algorithm>
#include <vector>

#include "StrExt.h"
#include "TextFunctions.h"

namespace {

const CharSet Dot{u'.'};

// Word 1 to 3 of a text in which every blank ends a word.
void splitThreeWords(QStringView text, QStringView &w1, QStringView &w2, QStringView &w3)
{
    QStringView *words[] = {&w1, &w2, &w3};
    qsizetype start = 0;
    for (int i = 0; i < 3; ++i) {
        if (start > text.size()) {
            *words[i] = QStringView();
            continue;
        }
        qsizetype end = text.indexOf(u' ', start);
        if (end < 0)
            end = text.size();
        *words[i] = text.sliced(start, end - start);
        start = end + 1;
    }
}

// The rank abbreviations left out of an entry before it is compared, in the
// order they are removed.
const QString Ranks[] = {QStringLiteral("nvar. "), QStringLiteral("var. "), QStringLiteral("nssp. "),
                         QStringLiteral("ssp. "),  QStringLiteral("f. "),   QStringLiteral("sect. ")};

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

void appendWithoutRanks(QString &out, const QString &entry)
{
    // Every abbreviation ends with ". ". With that only once in the entry,
    // only the first abbreviation that ends there can go, unless taking it
    // out makes another ". ".
    const qsizetype end = entry.indexOf(QLatin1String(". "));
    if (end < 0) {
        out += entry;
        return;
    }
    if (entry.indexOf(QLatin1String(". "), end + 1) < 0) {
        const QString *ending = nullptr;
        for (const QString &rank : Ranks) {
            const qsizetype letters = rank.size() - 2;
            bool same = end >= letters;
            for (qsizetype k = 0; k < letters && same; ++k)
                same = entry[end - letters + k].toCaseFolded() == rank[k];
            if (same) {
                ending = &rank;
                break;
            }
        }
        if (!ending) {
            out += entry;
            return;
        }
        const QStringView before = QStringView(entry).first(end - (ending->size() - 2));
        const QStringView after = QStringView(entry).sliced(end + 2);
        // A new ". " where the two parts meet needs the slow way.
        if (!(before.endsWith(u'.') && after.startsWith(u' '))) {
            out += before;
            out += after;
            return;
        }
    }
    QString copy = entry;
    for (const QString &rank : Ranks)
        copy.remove(rank, Qt::CaseInsensitive);
    out += copy;
}

QString withoutRanks(const QString &entry)
{
    QString out;
    appendWithoutRanks(out, entry);
    return out;
}

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

QString textBeyondFourParts(const QString &line)
{
    const QString rest = line.section(u'.', 4);
    return rest.trimmed().isEmpty() ? QString() : rest;
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
    // The first three words of every entry's comparison copy, one after the
    // other in one buffer, so that a lookup reads memory in order; the views
    // into it are made once the buffer is complete and does not move.
    struct Span {
        qsizetype at, size;
    };
    std::vector<Span> spans(size_t(entries.size()));
    copies_.reserve(entries.size() * 24);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const qsizetype at = copies_.size();
        const QString &entry = entries[i];
        // Without a dot no rank abbreviation can occur.
        if (entry.contains(u'.'))
            appendWithoutRanks(copies_, entry);
        else
            copies_ += entry;
        QStringView text = trimBlanks(QStringView(copies_).sliced(at));
        qsizetype end = -1;
        for (int word = 0; word < 3 && end < text.size(); ++word) {
            end = text.indexOf(u' ', end + 1);
            if (end < 0)
                end = text.size();
        }
        const qsizetype start = text.data() - copies_.constData();
        copies_.truncate(start + qMax<qsizetype>(0, end));
        spans[size_t(i)] = {start, copies_.size() - start};
    }
    copies_.squeeze();
    words_.resize(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        Words &words = words_[i];
        splitThreeWords(QStringView(copies_).sliced(spans[size_t(i)].at, spans[size_t(i)].size), words.w1, words.w2,
                        words.w3);
    }
}

template<class Take>
void TaxonIndex::forEachMatch(const QString &sTaxkurz, Take take) const
{
    const QString typed = normaliseTaxonName(sTaxkurz);
    QStringView w1, w2, w3;
    splitThreeWords(typed, w1, w2, w3);
    const int mode = !w3.isEmpty() ? 3 : !w2.isEmpty() ? 2 : !w1.isEmpty() ? 1 : 0;
    if (mode == 0)
        return;
    for (qsizetype i = 0; i < words_.size(); ++i) {
        const Words &words = words_[i];
        if (!words.w1.contains(w1))
            continue;
        if (mode >= 2 && !words.w2.startsWith(w2))
            continue;
        if (mode == 3 && !words.w3.startsWith(w3))
            continue;
        if (!take(i))
            return;
    }
}

QStringList TaxonIndex::find(const QString &sTaxkurz) const
{
    QStringList result;
    forEachMatch(sTaxkurz, [&](qsizetype i) {
        result.append(entries_[i]);
        return true;
    });
    return result;
}

TaxonIndex::FirstMatches TaxonIndex::findFirst(const QString &sTaxkurz, int limit,
                                               const QHash<QString, int> &used) const
{
    FirstMatches matches;
    struct Used {
        int count;
        qsizetype index;
    };
    std::vector<Used> usedMatches;
    QStringList rest;
    forEachMatch(sTaxkurz, [&](qsizetype i) {
        ++matches.total;
        const int count = used.isEmpty() ? 0 : used.value(entries_[i]);
        if (count > 0)
            usedMatches.push_back({count, i});
        else if (rest.size() < limit)
            rest.append(entries_[i]);
        return true;
    });
    std::stable_sort(usedMatches.begin(), usedMatches.end(),
                     [](const Used &a, const Used &b) { return a.count > b.count; });
    for (const Used &u : usedMatches) {
        if (matches.entries.size() >= limit)
            break;
        matches.entries.append(entries_[u.index]);
    }
    for (const QString &entry : std::as_const(rest)) {
        if (matches.entries.size() >= limit)
            break;
        matches.entries.append(entry);
    }
    return matches;
}

namespace {

// The edit distances of a to every start b[0, k) of b, k = 0 … |b|: the last
// row of the restricted Damerau–Levenshtein table, letter case not counted.
// Nothing once a whole row exceeds limit: no start of b comes nearer then.
// The rows are kept between calls: a search makes one call per entry word.
const std::vector<int> *distancesToStarts(QStringView a, QStringView b, int limit)
{
    thread_local std::vector<int> before, previous, current;
    thread_local std::vector<char16_t> lowerA, lowerB;
    const qsizetype n = a.size(), m = b.size();
    lowerA.resize(size_t(n));
    lowerB.resize(size_t(m));
    for (qsizetype i = 0; i < n; ++i)
        lowerA[size_t(i)] = asciiLower(a[i].unicode());
    for (qsizetype k = 0; k < m; ++k)
        lowerB[size_t(k)] = asciiLower(b[k].unicode());
    for (std::vector<int> *row : {&before, &previous, &current})
        row->resize(size_t(m + 1));
    for (qsizetype k = 0; k <= m; ++k)
        previous[size_t(k)] = int(k);
    const char16_t *x = lowerA.data(), *y = lowerB.data();
    for (qsizetype i = 1; i <= n; ++i) {
        int *cur = current.data();
        const int *prev = previous.data(), *bef = before.data();
        cur[0] = int(i);
        int rowMin = cur[0];
        for (qsizetype k = 1; k <= m; ++k) {
            int d = std::min(prev[k] + 1, cur[k - 1] + 1);
            d = std::min(d, prev[k - 1] + (x[i - 1] == y[k - 1] ? 0 : 1));
            if (i > 1 && k > 1 && x[i - 1] == y[k - 2] && x[i - 2] == y[k - 1])
                d = std::min(d, bef[k - 2] + 1);
            cur[k] = d;
            rowMin = std::min(rowMin, d);
        }
        if (rowMin > limit)
            return nullptr;
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return &previous;
}

} // namespace

int editDistance(QStringView a, QStringView b, int limit)
{
    if (std::abs(a.size() - b.size()) > limit)
        return limit + 1;
    const std::vector<int> *row = distancesToStarts(a, b, limit);
    return row ? std::min(row->back(), limit + 1) : limit + 1;
}

int prefixDistance(QStringView typed, QStringView word, int limit)
{
    if (word.size() < typed.size() - limit)
        return limit + 1;
    const qsizetype longest = std::min(word.size(), typed.size() + limit);
    const std::vector<int> *row = distancesToStarts(typed, word.first(longest), limit);
    if (!row)
        return limit + 1;
    int best = limit + 1;
    for (qsizetype k = std::max<qsizetype>(0, typed.size() - limit); k <= longest; ++k)
        best = std::min(best, (*row)[size_t(k)]);
    return best;
}

QStringList TaxonIndex::findNear(const QString &sTaxkurz, int limit) const
{
    const QString normalised = normaliseTaxonName(sTaxkurz);
    QStringView typed[3];
    splitThreeWords(normalised, typed[0], typed[1], typed[2]);
    int words = 0;
    while (words < 3 && !typed[words].isEmpty())
        ++words;
    if (words == 0 || limit <= 0)
        return {};
    int limits[3] = {0, 0, 0};
    for (int w = 0; w < words; ++w)
        limits[w] = nearWordLimit(typed[w].size());
    struct Near {
        int distance;
        qsizetype index;
    };
    std::vector<Near> found;
    for (qsizetype i = 0; i < words_.size(); ++i) {
        const QStringView entry[3] = {words_[i].w1, words_[i].w2, words_[i].w3};
        int sum = 0;
        bool near = true;
        for (int w = 0; w < words && near; ++w) {
            if (entry[w].isEmpty()) {
                near = false;
                break;
            }
            const int d = prefixDistance(typed[w], entry[w], limits[w]);
            near = d <= limits[w];
            sum += d;
        }
        if (near)
            found.push_back({sum, i});
    }
    std::stable_sort(found.begin(), found.end(), [](const Near &a, const Near &b) { return a.distance < b.distance; });
    QStringList result;
    for (size_t i = 0; i < found.size() && result.size() < limit; ++i)
        result.append(entries_[found[i].index]);
    return result;
}
