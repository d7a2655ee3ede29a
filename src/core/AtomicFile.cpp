#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

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

namespace {

// The marker of the program's temporary files: a hidden name that no person
// gives a file, so that removing stale ones never touches a user's file.
const QString TemporaryMarker = QStringLiteral(".nembra-tmp-");

QString temporaryPrefix(const QString &name)
{
    return u'.' + name + TemporaryMarker;
}

QString reasonOf(int errorNumber)
{
    const QString text = fileErrorText(errorNumber);
    return text.isEmpty() ? qt_error_string(errorNumber) : text;
}

// A fresh temporary file beside target, made with O_EXCL, with the
// permissions of the file it replaces (or the usual ones, less the umask).
int createTemporary(const QString &target, QString &tempPath)
{
    const QFileInfo info(target);
    mode_t mode = 0666;
    struct stat st { };
    if (::stat(QFile::encodeName(target).constData(), &st) == 0)
        mode = st.st_mode & 07777;
    const QString prefix = info.absolutePath() + u'/' + temporaryPrefix(info.fileName());
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString suffix;
        for (int i = 0; i < 6; ++i)
            suffix += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(62)]);
        tempPath = prefix + suffix;
        const int fd = ::open(QFile::encodeName(tempPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    // A link is followed: the file it names is replaced, the link stays.
    QString target = path;
    if (const QFileInfo info(path); info.isSymLink())
        target = info.symLinkTarget();
    QString temp;
    const int fd = createTemporary(target, temp);
    if (fd < 0)
        return reasonOf(errno);
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(QFile::encodeName(temp).constData());
        return std::optional<QString>(reasonOf(error));
    };
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        written += n;
    }
    // The data is on the disk before the name points at it.
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(QFile::encodeName(temp).constData());
        return reasonOf(error);
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        ::unlink(QFile::encodeName(temp).constData());
        return reasonOf(error);
    }
    syncFolder(target);
    return std::nullopt;
}

namespace {

// wholeOnly: a file larger than limit is refused; otherwise its first limit
// bytes are what is read.
ReadFile readRegular(const QString &path, qint64 limit, bool wholeOnly)
{
    ReadFile out;
    const QByteArray name = QFile::encodeName(path);
    struct stat st { };
    if (::stat(name.constData(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            out.exists = true;
            out.error = reasonOf(errno);
        }
        return out;
    }
    out.exists = true;
    const QString tooLarge = QStringLiteral("Die Datei ist größer als %1 MB.").arg(limit / (1024 * 1024));
    // Only a regular file is read: a FIFO would block the start, a device
    // would never end. O_NONBLOCK keeps a FIFO swapped in meanwhile from
    // blocking the open.
    if (!S_ISREG(st.st_mode)) {
        out.error = QStringLiteral("Es ist keine gewöhnliche Datei.");
        return out;
    }
    if (wholeOnly && st.st_size > limit) {
        out.error = tooLarge;
        return out;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        out.error = reasonOf(errno);
        return out;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        out.error = QStringLiteral("Es ist keine gewöhnliche Datei.");
        return out;
    }
    // At most one byte beyond the limit, in case the file grew since.
    out.bytes.resize(qsizetype(qMin<qint64>(st.st_size, limit)) + 1);
    qsizetype got = 0;
    for (;;) {
        if (got == out.bytes.size()) {
            if (got > limit)
                break;
            out.bytes.resize(qMin<qsizetype>(out.bytes.size() * 2, qsizetype(limit) + 1));
        }
        const ssize_t n = ::read(fd, out.bytes.data() + got, size_t(out.bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            out.bytes.clear();
            out.error = reasonOf(error);
            return out;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    out.bytes.truncate(got);
    if (got > limit) {
        if (wholeOnly) {
            out.bytes.clear();
            out.error = tooLarge;
            return out;
        }
        out.bytes.truncate(qsizetype(limit));
    }
    out.ok = true;
    return out;
}

} // namespace

ReadFile readRegularFile(const QString &path, qint64 limit)
{
    return readRegular(path, limit, true);
}

ReadFile readRegularFileHead(const QString &path, qint64 bytes)
{
    return readRegular(path, bytes, false);
}

KeptFile keepUnderFreeName(const QString &from, const QString &dir, const QString &stem, const QString &ext)
{
    const QByteArray source = QFile::encodeName(from);
    for (int n = 1; n < 10000; ++n) {
        const QString to = dir + stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + ext;
        const QByteArray target = QFile::encodeName(to);
        int rc = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        if (rc != 0 && errno == EINVAL) {
            // A file system without the flag: a second name, then the first goes.
            rc = ::link(source.constData(), target.constData());
            if (rc == 0)
                ::unlink(source.constData());
        }
        if (rc == 0) {
            syncFolder(to);
            return {to, QString()};
        }
        if (errno != EEXIST)
            return {QString(), reasonOf(errno)};
    }
    return {QString(), reasonOf(EEXIST)};
}

void removeStaleTemporaries(const QString &folder, const QStringList &namePatterns)
{
    QStringList wildcards;
    for (const QString &pattern : namePatterns)
        wildcards.append(temporaryPrefix(pattern) + QStringLiteral("??????"));
    static const QRegularExpression suffix(QRegularExpression::escape(TemporaryMarker)
                                           + QStringLiteral("[A-Za-z0-9]{6}$"));
    const QDateTime cutoff = QDateTime::currentDateTime().addSecs(-60);
    const QFileInfoList found = QDir(folder).entryInfoList(wildcards, QDir::Files | QDir::Hidden);
    for (const QFileInfo &file : found)
        if (suffix.match(file.fileName()).hasMatch() && file.lastModified() < cutoff)
            QFile::remove(file.absoluteFilePath());
}
