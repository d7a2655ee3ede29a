#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

// Replaces the file at path with bytes as a whole: written beside the target,
// flushed and synced, then renamed over it, and the folder synced so that the
// new name survives a power cut. On any failure the old file stays untouched
// and the German reason comes back; nothing when the file was written.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes);

// The German text for a failed file operation's errno, or an empty text for
// codes without one of their own.
QString fileErrorText(int errorNumber);

// Removes the temporary files that writeFileAtomically leaves when the
// program is killed mid-write: "<name>.XXXXXX" beside files matching one of
// the name patterns (e.g. "Nembra.ini", "*.csv") in folder. Files younger
// than a minute may belong to another running copy and are left alone.
void removeStaleTemporaries(const QString &folder, const QStringList &namePatterns);
