// The settings file: any file content, then a write of section, key and value.
// A write that succeeds is read back as written; a refused one leaves the file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FuzzInput.h"
#include "ProfileFile.h"

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nembra.ini"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> parts = bytes.split('\0');
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(parts.value(0));
    }
    const QString section = QString::fromUtf8(parts.value(1));
    const QString key = QString::fromUtf8(parts.value(2));
    const QString value = QString::fromUtf8(parts.value(3));
    const ProfileFile profile(path);
    profile.readString(section, key, QStringLiteral("d"));
    const QByteArray before = readAll(path);
    if (profile.writeString(section, key, value)) {
        QString expected = value.trimmed();
        if (expected.size() >= 2 && expected.front() == u'"' && expected.back() == u'"')
            expected = expected.mid(1, expected.size() - 2);
        FUZZ_ASSERT(profile.readString(section, key, QStringLiteral("d"))
                    == expected.left(ProfileFile::MaxValueLength));
    } else {
        FUZZ_ASSERT(readAll(path) == before);
    }
    return 0;
}
