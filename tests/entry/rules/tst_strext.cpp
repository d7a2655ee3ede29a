#include <QTest>

#include "StrExt.h"

class TestStrExt : public QObject {
    Q_OBJECT
private slots:
    void extractWordN_data();
    void extractWordN();
    void charactersBeyondLatin1AreNoDelimiters();
};

void TestStrExt::extractWordN_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delims");
    QTest::addColumn<QString>("expected");

    QTest::newRow("adjacent delimiters: word 1") << 1 << "a,,b"
                                                 << ","
                                                 << "a";
    QTest::newRow("adjacent delimiters: empty word 2") << 2 << "a,,b"
                                                       << ","
                                                       << "";
    QTest::newRow("adjacent delimiters: word 3") << 3 << "a,,b"
                                                 << ","
                                                 << "b";
    QTest::newRow("beyond the last word") << 4 << "a,,b"
                                          << ","
                                          << "";
    QTest::newRow("leading delimiter: empty word 1") << 1 << ".5.2010"
                                                     << "."
                                                     << "";
    QTest::newRow("leading delimiter: word 2") << 2 << ".5.2010"
                                               << "."
                                               << "5";
    QTest::newRow("leading delimiter: word 3") << 3 << ".5.2010"
                                               << "."
                                               << "2010";
    QTest::newRow("N zero") << 0 << "a,b"
                            << ","
                            << "";
    QTest::newRow("N negative") << -1 << "a,b"
                                << ","
                                << "";
    QTest::newRow("combo code") << 2 << "Gauß-Krüger-Streifen 3 (GKr3)"
                                << "()"
                                << "GKr3";
    QTest::newRow("after the code") << 3 << "Gauß-Krüger-Streifen 3 (GKr3)"
                                    << "()"
                                    << "";
    QTest::newRow("text before the code") << 1 << "Gauß-Krüger-Streifen 3 (GKr3)"
                                          << "()"
                                          << "Gauß-Krüger-Streifen 3 ";
    QTest::newRow("no delimiter") << 1 << "Abies alba"
                                  << "."
                                  << "Abies alba";
    QTest::newRow("no delimiter, word 2") << 2 << "Abies alba"
                                          << "."
                                          << "";
    QTest::newRow("blanks kept") << 2 << " a ; b ;"
                                 << ";"
                                 << " b ";
    QTest::newRow("two delimiter kinds") << 3 << "49,5;6,7"
                                         << ";,"
                                         << "6";
    QTest::newRow("empty text") << 1 << ""
                                << ","
                                << "";
}

void TestStrExt::extractWordN()
{
    QFETCH(int, n);
    QFETCH(QString, text);
    QFETCH(QString, delims);
    QFETCH(QString, expected);
    CharSet set;
    for (QChar c : delims)
        set.add(c.unicode());
    QCOMPARE(ExtractWordN(n, text, set), expected);
}

void TestStrExt::charactersBeyondLatin1AreNoDelimiters()
{
    CharSet set{u'×'}; // code 215: a delimiter
    set.add(u'ł');     // code 322: ignored
    QCOMPARE(ExtractWordN(2, QStringLiteral("a×b"), set), QStringLiteral("b"));
    QCOMPARE(ExtractWordN(1, QStringLiteral("ałb"), set), QStringLiteral("ałb"));
}

QTEST_APPLESS_MAIN(TestStrExt)
#include "tst_strext.moc"
