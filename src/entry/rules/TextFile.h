#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Encodings of the plain-text files the program reads: a byte-order mark picks
// the Unicode form. Without one, a file whose first bytes hold a zero in every
// second place and none in the others is UTF-16 (little- or big-endian by
// where the zeros are); a file that is valid UTF-8 throughout and holds a
// character beyond ASCII is UTF-8 (what Linux editors write); anything else
// comes from a German Windows system.
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
    // A file without a mark that holds UTF-8 characters and also bytes that
    // are no UTF-8 is read as Windows-1252 all the same, as the program
    // always read such files; this is the first line (from 1) that is no
    // UTF-8, so that the reader can say so. 0 otherwise.
    int notUtf8Line = 0;
};

DecodedText decodeText(const QByteArray &bytes);

// Encodes text in the given encoding, with its byte-order mark if it has one. Characters that
// Windows-1252 cannot hold make *lossy true (they are written as 0x1A).
QByteArray encodeText(const QString &text, TextEncoding encoding, bool *lossy = nullptr);

// Lines of a text: CR LF, lone CR and lone LF end a line; a line end after the
// last line adds no empty entry; nothing is trimmed.
QStringList splitLines(const QString &text);

// A reference list as read: one entry per line, each control character
// inside an entry (a NUL, a tab) turned into a blank.
struct ListFile {
    enum class Outcome {
        Read,
        Missing,    // no such file
        Unreadable, // it exists and cannot be read (rights, no regular file, too large)
    };
    Outcome outcome = Outcome::Missing;
    QStringList entries;
    QString error;   // why it cannot be read, German
    QString warning; // read, but something about it needs saying, German
};
// Far above any real list (a million names take about 40 MB).
inline constexpr qint64 MaxListBytes = 128 * 1024 * 1024;
ListFile readListFile(const QString &path);

// The same, entries only: false when the file is missing or cannot be read;
// *error then holds the reason.
bool loadListFile(const QString &path, QStringList &entries, QString *error = nullptr);
