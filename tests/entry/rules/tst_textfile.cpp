#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "TextFile.h"

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void loadsEntries_data();
    void loadsEntries();
    void missingOrUnreadableFileFails();
    void encodeReportsUnrepresentableCharacters();
    void onlyRegularFilesOfSaneSizeAreRead_data();
    void onlyRegularFilesOfSaneSizeAreRead();
    void mixedUtf8NamesItsFirstBadLine_data();
    void mixedUtf8NamesItsFirstBadLine();

private:
    QTemporaryDir dir_;
};

namespace {
const QStringList Umlauts = {QStringLiteral("Müller, Hans"), QStringLiteral("Weiß, Käthe"),
                             QStringLiteral("Öztürk, Ähre")};

QByteArray withBom(const char *bom, const QByteArray &body)
{
    return QByteArray(bom) + body;
}
} // namespace

void TestTextFile::loadsEntries_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    const QString crlf = Umlauts.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    QTest::newRow("UTF-8 with mark") << encodeText(crlf, TextEncoding::Utf8Bom) << Umlauts;
    QTest::newRow("Windows-1252") << encodeText(crlf, TextEncoding::Windows1252) << Umlauts;
    QTest::newRow("UTF-8 without mark") << encodeText(crlf, TextEncoding::Utf8) << Umlauts;
    // Bytes that are no valid UTF-8 anywhere make the whole file Windows-1252.
    QTest::newRow("UTF-8 lookalike with a stray byte")
        << QByteArray("M\xC3\xBCller\r\nWei\xDF\r\n") << QStringList{"MÃ¼ller", "Weiß"};
    // Found by fuzzing: a second mark is text, not dropped with the first.
    QTest::newRow("second mark is part of the first entry") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                                          "a")
                                                            << QStringList{QString(QChar(0xFEFF)) + "a"};
    QTest::newRow("Windows-1252 that happens to be ASCII") << QByteArray("Abies alba\r\n") << QStringList{"Abies alba"};
    QTest::newRow("mark is not part of the first entry")
        << withBom("\xEF\xBB\xBF", "Abies alba") << QStringList{"Abies alba"};
    QTest::newRow("lone LF") << QByteArray("a\nb\nc") << QStringList{"a", "b", "c"};
    QTest::newRow("lone CR") << QByteArray("a\rb\rc\r") << QStringList{"a", "b", "c"};
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\rc\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("final line end adds nothing") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("last line without line end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty middle line kept") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("CR CR LF is an empty line") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("blanks kept, a tab is a blank")
        << QByteArray("  Abies alba \r\n\t\r\n") << QStringList{"  Abies alba ", " "};
    QTest::newRow("NUL inside an entry is a blank")
        << QByteArray("Abies\0alba\r\nQuercus\x01\x02robur\r\n", 28) << QStringList{"Abies alba", "Quercus  robur"};
    QTest::newRow("UTF-16LE without mark") << encodeText(crlf, TextEncoding::Utf16LE).mid(2) << Umlauts;
    QTest::newRow("UTF-16BE without mark") << encodeText(crlf, TextEncoding::Utf16BE).mid(2) << Umlauts;
    QTest::newRow("duplicates kept, order kept") << QByteArray("b\na\nb\n") << QStringList{"b", "a", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
}

void TestTextFile::loadsEntries()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    const QString path = dir_.filePath(QStringLiteral("list.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    QStringList entries{"stale"};
    QVERIFY(loadListFile(path, entries));
    QCOMPARE(entries, expected);
}

void TestTextFile::missingOrUnreadableFileFails()
{
    QStringList entries;
    QString error;
    QVERIFY(!loadListFile(dir_.filePath(QStringLiteral("missing.txt")), entries, &error));
    QVERIFY(!error.isEmpty());
    // A folder where the list should be cannot be read as a list.
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("folder.txt")));
    QVERIFY(!loadListFile(dir_.filePath(QStringLiteral("folder.txt")), entries));
}

void TestTextFile::encodeReportsUnrepresentableCharacters()
{
    bool lossy = true;
    QCOMPARE(encodeText(QStringLiteral("Ärmel ß"), TextEncoding::Windows1252, &lossy), QByteArray("\xC4rmel \xDF"));
    QVERIFY(!lossy);
    encodeText(QStringLiteral("Łódź"), TextEncoding::Windows1252, &lossy);
    QVERIFY(lossy);
}

// Lists come from anywhere: a FIFO must not hang the start, a device must
// not fill the memory, and an unreadable file is not "missing".
void TestTextFile::onlyRegularFilesOfSaneSizeAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("error");
    using O = ListFile::Outcome;
    QTest::newRow("missing") << "missing" << int(O::Missing) << "Die Datei existiert nicht.";
    QTest::newRow("FIFO") << "fifo" << int(O::Unreadable) << "Es ist keine gewöhnliche Datei.";
    QTest::newRow("/dev/zero") << "device" << int(O::Unreadable) << "Es ist keine gewöhnliche Datei.";
    QTest::newRow("folder") << "folder" << int(O::Unreadable) << "Es ist keine gewöhnliche Datei.";
    QTest::newRow("beyond the limit") << "huge" << int(O::Unreadable) << "Die Datei ist größer als 128 MB.";
    QTest::newRow("no right to read") << "unreadable" << int(O::Unreadable) << "Zugriff verweigert.";
    QTest::newRow("at the limit is a list") << "limit" << int(O::Read) << "";
}

void TestTextFile::onlyRegularFilesOfSaneSizeAreRead()
{
    QFETCH(QString, kind);
    QFETCH(int, outcome);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QString path = dir.filePath("TaxList.txt");
    if (kind == "fifo") {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == "device") {
        path = "/dev/zero";
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "huge" || kind == "limit" || kind == "unreadable") {
        // Sparse: no disk space taken.
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(kind == "huge" ? MaxListBytes + 1 : kind == "limit" ? MaxListBytes : 10));
        f.close();
        if (kind == "unreadable") {
            if (::geteuid() == 0)
                QSKIP("root reads every file; runs as a normal user in tst_textfile_user");
            QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        }
    }
    ListFile list = readListFile(path);
    QCOMPARE(int(list.outcome), outcome);
    QCOMPARE(list.error, error);
    if (kind == "limit") {
        QCOMPARE(list.entries.size(), 1);
        QCOMPARE(list.entries[0].size(), MaxListBytes);
    } else {
        QVERIFY(list.entries.isEmpty());
    }
}

void TestTextFile::mixedUtf8NamesItsFirstBadLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::newRow("one Windows-1252 byte among UTF-8") << QByteArray("M\xC3\xBCller\r\nWei\xDF\r\n") << 2;
    QTest::newRow("bad byte first") << QByteArray("Wei\xDF\nM\xC3\xBCller\n") << 1;
    QTest::newRow("plain Windows-1252") << QByteArray("Wei\xDF\r\nM\xFCller\r\n") << 0;
    QTest::newRow("valid UTF-8") << QByteArray("M\xC3\xBCller\r\n") << 0;
}

void TestTextFile::mixedUtf8NamesItsFirstBadLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QTemporaryDir dir;
    QFile f(dir.filePath("QuarnelList.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const ListFile list = readListFile(f.fileName());
    QCOMPARE(int(list.outcome), int(ListFile::Outcome::Read));
    if (line == 0)
        QCOMPARE(list.warning, QString());
    else
        QCOMPARE(list.warning,
                 QStringLiteral("Die Datei \"%1\" enthält UTF-8-Zeichen, aber Zeile %2 ist kein UTF-8.\n\r"
                                "Die Datei wurde deshalb als Windows-1252 gelesen; bitte prüfen Sie "
                                "die Einträge und speichern Sie die Datei als UTF-8.")
                     .arg(f.fileName())
                     .arg(line));
}

QTEST_APPLESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
