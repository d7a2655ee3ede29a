#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "ObservationRecord.h"

namespace CsvExport {

inline constexpr int FieldCount = 14;

// The code between the first "(" and the next parenthesis of a combo text.
QString systemCode(const QString &comboText);

// Field 12: the grid reference with its system code in parentheses; empty when
// no grid reference is given. *codeTooLong is set when the code has more than
// four characters (the field is then empty).
QString gridField(const QString &gridReference, const QString &gridSystemText, bool *codeTooLong);

// A field as one line of the file: each line end (CR LF, CR, LF) becomes
// one blank, and so does each run of other control characters (a tab, a
// pasted NUL), so that words never merge.
QString singleLine(const QString &text);

// Double quotes become apostrophes, CR LF one blank, runs of blanks one blank.
QString cleanDescription(QString text);

// The 14 fields of every data line, in file order, for taxon row `row`.
QStringList dataFields(const ObservationRecord &record, const TaxonRow &row, const QString &systemCode,
                       const QString &gridField);

// The whole file: header and one line per taxon, each ending with CR LF.
QString fileText(const ObservationRecord &record, const QString &systemCode, const QString &gridField);

// A character that Windows-1252 cannot hold, with the name of the field it is in.
struct Unrepresentable {
    QString character;
    QString field;
};
std::optional<Unrepresentable> findUnrepresentable(const ObservationRecord &record, const QString &systemCode,
                                                   const QString &gridField);

// The file's bytes: Windows-1252, no byte-order mark.
QByteArray encodeFile(const QString &text);

// The file of a record as far as it can be made before the save dialog: its
// bytes, or why it cannot be saved. Warnings are shown before going on.
struct PreparedFile {
    enum class Outcome {
        Ready,
        NoSystemCode,    // the save stops; reported as not saved
        Unrepresentable, // the save stops; the user changes the character
    };
    Outcome outcome = Outcome::Ready;
    QStringList warnings;
    QString message; // why the save stops
    QByteArray bytes;
};
PreparedFile prepareFile(const ObservationRecord &record);

// The file name proposed in the data folder (with trailing separator): first
// observer, "-", date, characters replaced, "_" and the first free sequence
// number, without folder and extension.
QString proposeFileName(const QString &joinedObservers, const QString &date, const QString &dataDir);

} // namespace CsvExport
