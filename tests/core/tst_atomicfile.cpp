#include <csignal>

#include <sys/resource.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "AppSettings.h"
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
    void staleTemporariesRemoved();
    void fullDiskKeepsOldFiles();
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

void TestAtomicFile::staleTemporariesRemoved()
{
    QTemporaryDir dir;
    const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
    auto make = [&](const QString &name, bool stale) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.flush();
        if (stale)
            QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    };
    make("Nembra.ini", true);
    make(".Nembra.ini.nembra-tmp-aB3dE9", true); // a killed write of the settings
    make(".a_001.csv.nembra-tmp-Zz0099", true);  // a killed save
    make(".b_002.csv.nembra-tmp-Qw12er", false); // another copy is writing right now
    make("a_001.csv", true);
    make(".notiz.txt.nembra-tmp-abcdef", true); // not a file of the program's
    // The user's own files, however much they look like temporary ones.
    make("Nembra.ini.backup", true);
    make("Nembra.ini.2024ab", true);
    make("aufnahme.csv.orig12", true);
    make("x_001.csv.kopie1", true);
    make("a_001.csv.bak", true);
    make(".a_001.csv.nembra-tmp-kurz", true);
    removeStaleTemporaries(dir.path(), {"Nembra.ini", "*.csv"});
    QCOMPARE(leftovers(dir.path()),
             QStringList({".a_001.csv.nembra-tmp-kurz", ".b_002.csv.nembra-tmp-Qw12er", ".notiz.txt.nembra-tmp-abcdef",
                          "Nembra.ini", "Nembra.ini.2024ab", "Nembra.ini.backup", "a_001.csv", "a_001.csv.bak",
                          "aufnahme.csv.orig12", "x_001.csv.kopie1"}));
}

void TestAtomicFile::fullDiskKeepsOldFiles()
{
    const QString full = qEnvironmentVariable("NEMBRA_FULL_DIR");
    if (full.isEmpty())
        QSKIP("runs in a small tmpfs of its own (ctest: tst_atomicfile_fulldisk)");
    const QString csv = full + "/Mueller,_Hans-01_05_2010_001.csv";
    const QString ini = full + "/Nembra.ini";
    const QByteArray oldCsv = "\"Sippe\"\r\n\"Abies alba\"\r\n";
    const QByteArray oldIni = "[Settings]\r\nUSR=FALSE\r\n[Map]\r\nGeoNamesUser=feld\r\n";
    writePlain(csv, oldCsv);
    writePlain(ini, oldIni);
    // Fill the disk to the last byte.
    {
        QFile filler(full + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) { }
        while (filler.write("f", 1) == 1) { }
    }
    const std::optional<QString> failure = writeFileAtomically(csv, QByteArray(4096, 'x'));
    QVERIFY(failure);
    QCOMPARE(*failure, QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei."));
    QCOMPARE(readFile(csv), oldCsv);

    QString error;
    QVERIFY(!AppSettings::writeStartLocation(full + "/", {"52.52", "13.405"}, &error));
    QVERIFY2(!error.isEmpty(), "no reason");
    QCOMPARE(readFile(ini), oldIni);
    QCOMPARE(leftovers(full), QStringList({"Mueller,_Hans-01_05_2010_001.csv", "Nembra.ini", "filler"}));
}

QTEST_APPLESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
