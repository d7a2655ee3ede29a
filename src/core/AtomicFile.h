#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

// Replaces the file at path with bytes as a whole: written beside the target
// under a hidden temporary name that only the program makes,
// flushed and synced, then renamed over it, and the folder synced so that the
// new name survives a power cut. On any failure the old file stays untouched
// and the German reason comes back; nothing when the file was written.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes);

// The German text for a failed file operation's errno, or an empty text for
// codes without one of their own.
QString fileErrorText(int errorNumber);

// Removes the temporary files that writeFileAtomically leaves when the
// program is killed mid-write: the hidden ".<name>.nembra-tmp-XXXXXX" of a
// file matching one of the name patterns (e.g. "Nembra.ini", "*.csv") in
// folder, a name that only the program makes. Files younger than a minute
// may belong to another running copy and are left alone.
void removeStaleTemporaries(const QString &folder, const QStringList &namePatterns);

// A file read whole, for files that come from outside: only a regular file
// (never a FIFO or a device), at most limit bytes. exists is false when
// there is no such file; ok is false with the German reason in error when it
// exists and cannot be read, is no regular file or is larger than limit.
struct ReadFile {
    bool exists = false;
    bool ok = false;
    QByteArray bytes;
    QString error;
};
ReadFile readRegularFile(const QString &path, qint64 limit);
// The same for at most the first `bytes` bytes of a file of any size.
ReadFile readRegularFileHead(const QString &path, qint64 bytes);

// Gives file `from` the first free name of "<stem><ext>", "<stem>-2<ext>",
// "<stem>-3<ext>", … in folder dir (with separator), never replacing a file.
// The new path, or the German reason why the file keeps its name.
struct KeptFile {
    QString path;
    QString error;
};
KeptFile keepUnderFreeName(const QString &from, const QString &dir, const QString &stem, const QString &ext);
