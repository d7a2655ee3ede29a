#include <csignal>

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "AtomicFile.h"

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}

void writePlain(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Files may grow to `bytes` at most while it lives: a write beyond fails as
// on a full disk, without any privilege.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

QStringList leftovers(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

// Replacing a file as a whole: the new content or, on any failure, the old
// file byte for byte, no temporary file left behind, and the reason.
class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void writesAndReplaces();
    void failedWriteKeepsOldFile();
    void missingFolder();
};

void TestAtomicFile::writesAndReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.csv");
    QCOMPARE(writeFileAtomically(path, "eins\r\n"), std::nullopt);
    QCOMPARE(readFile(path), QByteArray("eins\r\n"));
    QCOMPARE(writeFileAtomically(path, "zwei\r\n"), std::nullopt);
    QCOMPARE(readFile(path), QByteArray("zwei\r\n"));
    QCOMPARE(leftovers(dir.path()), QStringList{"a.csv"});
}

void TestAtomicFile::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.csv");
    writePlain(path, "alter Inhalt");
    std::optional<QString> failure;
    {
        FileSizeLimit limit(1000);
        failure = writeFileAtomically(path, QByteArray(5000, 'x'));
    }
    QVERIFY(failure);
    QCOMPARE(*failure, QStringLiteral("Die Datei ist zu groß."));
    QCOMPARE(readFile(path), QByteArray("alter Inhalt"));
    QCOMPARE(leftovers(dir.path()), QStringList{"a.csv"});
}

void TestAtomicFile::missingFolder()
{
    QTemporaryDir dir;
    const std::optional<QString> failure = writeFileAtomically(dir.filePath("fehlt/a.csv"), "x");
    QVERIFY(failure);
    QVERIFY2(!failure->isEmpty(), qPrintable(*failure));
}

QTEST_APPLESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
