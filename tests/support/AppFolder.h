#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary application folder with the reference lists and the settings
// file a test asks for.
class AppFolder {
public:
    AppFolder();

    // Path with a trailing separator, as the program uses it.
    QString path() const { return dir_.path() + u'/'; }

    void write(const QString &relativePath, const QByteArray &bytes) const;
    void writeTaxa(const QStringList &taxa) const;       // UTF-8 with byte-order mark
    void writeObservers(const QStringList &names) const; // Windows-1252
    void writeIni(const QByteArray &content) const;
    // Both lists with a few entries.
    void writeDefaultLists() const;

private:
    QTemporaryDir dir_;
};
