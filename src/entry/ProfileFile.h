#pragma once

#include <utility>

#include <QList>
#include <QString>

// One INI file read and written one key per access, like the Windows
// profile-string service: sections and keys found without regard to case,
// blanks around values removed, the caller's default for a missing file,
// section or key, values at most 2047 characters, a write creates the file.
// Nothing is held open between calls, so edits by hand take effect at once.
class ProfileFile {
public:
    static constexpr int MaxValueLength = 2047;

    explicit ProfileFile(QString path);

    const QString &path() const { return path_; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;

    // Writes through a temporary file that replaces the old one, so a failed
    // write leaves the previous file whole. Comments, other sections and keys
    // are kept. False with *error set when the file cannot be written.
    bool writeString(const QString &section, const QString &key, const QString &value, QString *error = nullptr) const;
    // Several keys of one section in one replacement of the file.
    bool writeStrings(const QString &section, const QList<std::pair<QString, QString>> &entries,
                      QString *error = nullptr) const;

private:
    QString path_;
};
