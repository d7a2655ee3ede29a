#pragma once

#include <utility>

#include <QList>
#include <QString>

// One INI file read and written one key per access, like the Windows
// profile-string service: sections and keys found without regard to case,
// blanks around values removed, the caller's default for a missing file,
// section or key, values at most 2047 characters, a write creates the file.
// Nothing is held open between calls, so edits by hand take effect at once.
// Only the first section of a name counts, and its first line of a key. A
// write changes only the lines of its keys (or appends them to the section,
// or appends the section): every other byte, the line ends and the encoding
// stay as they were.
class ProfileFile {
public:
    static constexpr int MaxValueLength = 2047;

    explicit ProfileFile(QString path);

    const QString &path() const { return path_; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;

    // Writes through a temporary file that replaces the old one, so a failed
    // write leaves the previous file whole. False with *error set when the
    // file cannot be written or a name or value holds a line break or another
    // control character.
    bool writeString(const QString &section, const QString &key, const QString &value, QString *error = nullptr) const;
    // Several keys of one section in one replacement of the file.
    bool writeStrings(const QString &section, const QList<std::pair<QString, QString>> &entries,
                      QString *error = nullptr) const;

private:
    QString path_;
};
