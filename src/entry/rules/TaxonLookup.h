#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The parts of the taxon input line "name.status.comment.count".
struct TaxonInput {
    QString name;
    QString status; // "*" when typed empty
    QString comment;
    QString count;
};
TaxonInput parseTaxonInput(const QString &line);
// What a line holds after its fourth ".", which parseTaxonInput drops; empty
// when nothing but blanks would be lost.
QString textBeyondFourParts(const QString &line);

// An entry as it is compared: without its rank abbreviations ("nvar. ",
// "var. ", "nssp. ", "ssp. ", "f. ", "sect. "), every occurrence of each
// one in turn, letter case aside.
QString withoutRanks(const QString &entry);

// The name as it is compared: trimmed, one blank appended, the first letter
// upper case and at most 99 following characters lower case (A–Z only).
QString normaliseTaxonName(const QString &name);

// The Damerau–Levenshtein distance (adjacent transpositions, each letter
// edited once) of a and b, or limit + 1 when it is larger than limit.
int editDistance(QStringView a, QStringView b, int limit);
// The smallest distance of a typed word to a start of word (of the typed
// word's length, give or take limit letters), or limit + 1.
int prefixDistance(QStringView typed, QStringView word, int limit);
// How far a typed word may be off: 1 letter up to five letters, 2 above.
inline int nearWordLimit(qsizetype letters)
{
    return letters <= 5 ? 1 : 2;
}

// The taxon list prepared for lookup: for every entry the first three words of
// its comparison copy (rank abbreviations removed), made once when the list is
// loaded. Results are the entries themselves, in list order, duplicates kept.
class TaxonIndex {
public:
    TaxonIndex() = default;
    explicit TaxonIndex(const QStringList &entries);

    // Entries matching the abbreviated name: word 1 contained in the entry's
    // word 1, words 2 and 3 (where given) beginning the entry's words 2 and 3;
    // all comparisons respect letter case.
    QStringList find(const QString &sTaxkurz) const;

    // What find() gives, as a list shown while typing: its first `limit`
    // entries and how many there are in all. Entries counted in `used` come
    // first, the most used first; the rest keep the list order.
    struct FirstMatches {
        QStringList entries;
        qsizetype total = 0;
    };
    FirstMatches findFirst(const QString &sTaxkurz, int limit, const QHash<QString, int> &used = {}) const;

    // When find() gives nothing: the entries whose words 1 to 3 lie within
    // a small edit distance of the typed words (nearWordLimit), the typed word
    // compared with the start of the entry's word of about its length, so an
    // abbreviation counts as well as a whole word. Letter case does not count.
    // Nearest first (the sum over the words), list order among equals; at
    // most `limit` entries.
    QStringList findNear(const QString &sTaxkurz, int limit = 12) const;

    qsizetype size() const { return entries_.size(); }

private:
    // Calls take(i) for every matching entry i in list order until it
    // returns false.
    template<class Take>
    void forEachMatch(const QString &sTaxkurz, Take take) const;
    // Views into copies_, which holds the words of every entry's comparison
    // copy and is never changed.
    struct Words {
        QStringView w1, w2, w3;
    };
    QStringList entries_;
    QString copies_;
    QList<Words> words_;
};
