#pragma once

#include <optional>

#include <QHash>
#include <QString>
#include <QStringList>

// How often each taxon went into a saved record this season, kept beside the
// settings in "Nembra-Sippen.txt" (UTF-8, one "count<TAB>name" a line). The
// list shown while typing puts these names first.
namespace TaxonUse {

inline constexpr auto FileName = "Nembra-Sippen.txt";
// A file larger than this is no count of ours and is read as empty.
inline constexpr qint64 MaxBytes = 16 * 1024 * 1024;

using Counts = QHash<QString, int>;

// The counts in settingsDir (ending with a separator); nothing counted when
// there is no such file or it cannot be read; lines that are no count are
// left out.
Counts read(const QString &settingsDir);
QByteArray toBytes(const Counts &counts);
Counts fromBytes(const QByteArray &bytes);

// Adds one for each taxon to counts and writes them; the German reason when
// the file cannot be written (counts is changed all the same).
std::optional<QString> add(const QString &settingsDir, Counts &counts, const QStringList &taxa);
// Forgets every count; the German reason when the file cannot be removed.
std::optional<QString> reset(const QString &settingsDir);

} // namespace TaxonUse
