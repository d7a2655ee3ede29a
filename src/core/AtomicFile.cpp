#include "AtomicFile.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

QString reason(const QSaveFile &file, int errorNumber)
{
    const QString text = fileErrorText(errorNumber);
    return text.isEmpty() ? file.errorString() : text;
}

void syncFolder(const QString &path)
{
    const QByteArray folder = QFileInfo(path).absolutePath().toLocal8Bit();
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString fileErrorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
    case EDQUOT:
        return QStringLiteral("Das Speicherkontingent auf dem Datenträger ist erschöpft.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Zugriff verweigert.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Der Ordner existiert nicht.");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler beim Schreiben.");
    case EFBIG:
        return QStringLiteral("Die Datei ist zu groß.");
    default:
        return QString();
    }
}

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    errno = 0;
    // Unbuffered, so that a full disk fails the write itself: a buffered
    // QSaveFile flushes its last block inside commit(), where the failure
    // was seen to be reported as success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return reason(file, errno);
    qint64 written = 0;
    while (written < bytes.size()) {
        errno = 0;
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const int error = errno ? errno : ENOSPC;
            file.cancelWriting();
            return reason(file, error);
        }
        written += n;
    }
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const int error = errno;
        file.cancelWriting();
        return reason(file, error);
    }
    errno = 0;
    if (!file.commit())
        return reason(file, errno);
    syncFolder(path);
    return std::nullopt;
}

void removeStaleTemporaries(const QString &folder, const QStringList &namePatterns)
{
    QStringList wildcards;
    for (const QString &pattern : namePatterns)
        wildcards.append(pattern + QStringLiteral(".??????"));
    // QSaveFile's temporary names end in six letters or digits.
    static const QRegularExpression suffix(QStringLiteral("\\.[A-Za-z0-9]{6}$"));
    const QDateTime cutoff = QDateTime::currentDateTime().addSecs(-60);
    const QFileInfoList found = QDir(folder).entryInfoList(wildcards, QDir::Files | QDir::Hidden);
    for (const QFileInfo &file : found)
        if (suffix.match(file.fileName()).hasMatch() && file.lastModified() < cutoff)
            QFile::remove(file.absoluteFilePath());
}
