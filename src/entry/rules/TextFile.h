#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Encodings of the plain-text files the program reads: a byte-order mark picks
// the Unicode form. Without one, a file that is valid UTF-8 throughout and
// holds a character beyond ASCII is UTF-8 (what Linux editors write);
// anything else comes from a German Windows system.
enum class TextEncoding {
    Windows1252,
    Utf8,
    Utf8Bom,
    Utf16LE,
    Utf16BE
};

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Windows1252;
};

DecodedText decodeText(const QByteArray &bytes);

// Encodes text in the given encoding, with its byte-order mark if it has one. Characters that
// Windows-1252 cannot hold make *lossy true (they are written as 0x1A).
QByteArray encodeText(const QString &text, TextEncoding encoding, bool *lossy = nullptr);

// Lines of a text: CR LF, lone CR and lone LF end a line; a line end after the
// last line adds no empty entry; nothing is trimmed.
QStringList splitLines(const QString &text);

// Reads a reference list: the whole file at once, one entry per line. False when
// the file is missing or cannot be read; *error then holds the system's reason.
bool loadListFile(const QString &path, QStringList &entries, QString *error = nullptr);
