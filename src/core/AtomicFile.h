#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

// Replaces the file at path with bytes as a whole: written beside the target,
// flushed and synced, then renamed over it, and the folder synced so that the
// new name survives a power cut. On any failure the old file stays untouched
// and the German reason comes back; nothing when the file was written.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes);

// The German text for a failed file operation's errno, or an empty text for
// codes without one of their own.
QString fileErrorText(int errorNumber);
