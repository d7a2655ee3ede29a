#pragma once

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

// The name as it is compared: trimmed, one blank appended, the first letter
// upper case and at most 99 following characters lower case (A–Z only).
QString normaliseTaxonName(const QString &name);

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

    qsizetype size() const { return entries_.size(); }

private:
    struct Words {
        QString w1, w2, w3;
    };
    QStringList entries_;
    QList<Words> words_;
};
