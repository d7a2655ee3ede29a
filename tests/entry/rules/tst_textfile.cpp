#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "TextFile.h"

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void loadsEntries_data();
    void loadsEntries();
    void missingOrUnreadableFileFails();
    void encodeReportsUnrepresentableCharacters();

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
    QTest::newRow("blanks kept") << QByteArray("  Abies alba \r\n\t\r\n") << QStringList{"  Abies alba ", "\t"};
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

QTEST_APPLESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
