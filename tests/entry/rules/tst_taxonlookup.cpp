#include <QTest>

#include "TaxonLookup.h"
#include "TaxonUse.h"

class TestTaxonLookup : public QObject {
    Q_OBJECT
private slots:
    // What each rank removal in turn leaves, also where taking one out makes
    // another or the abbreviation is written in other letters.
    void ranksLeftOut_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("compared");
        QTest::newRow("subspecies") << "Achillea millefolium ssp. sudetica"
                                    << "Achillea millefolium sudetica";
        QTest::newRow("no blank after the dot") << "Abies alba Mill."
                                                << "Abies alba Mill.";
        QTest::newRow("author's dot") << "Abies alba Mill. x"
                                      << "Abies alba Mill. x";
        QTest::newRow("upper case") << "Carex flava VAR. alpina"
                                    << "Carex flava alpina";
        QTest::newRow("long s folds") << "Carex flava \u017Fsp. x"
                                      << "Carex flava x";
        QTest::newRow("nvar before var") << "Mentha nvar. x"
                                         << "Mentha x";
        QTest::newRow("two abbreviations") << "Rosa f. x var. y"
                                           << "Rosa x y";
        QTest::newRow("one made by removing another") << "A vnvar. ar. b"
                                                      << "A b";
        QTest::newRow("a new dot and blank") << "A a.nvar.  b"
                                             << "A a. b";
        QTest::newRow("inside a word") << "Sorbus xvar. y"
                                       << "Sorbus xy";
    }
    void ranksLeftOut()
    {
        QFETCH(QString, entry);
        QFETCH(QString, compared);
        QCOMPARE(withoutRanks(entry), compared);
    }

    // The list shown while typing: the first entries, the total, the
    // season's names first.
    void firstMatches()
    {
        const TaxonIndex index({"Carex acuta", "Carex flacca", "Carex hirta", "Carex nigra", "Cirsium acaule"});
        TaxonIndex::FirstMatches m = index.findFirst("car", 2);
        QCOMPARE(m.entries, QStringList({"Carex acuta", "Carex flacca"}));
        QCOMPARE(m.total, 4);
        m = index.findFirst("car", 3, {{"Carex nigra", 1}, {"Carex hirta", 5}, {"Cirsium acaule", 9}});
        QCOMPARE(m.entries, QStringList({"Carex hirta", "Carex nigra", "Carex acuta"}));
        QCOMPARE(m.total, 4);
        QCOMPARE(index.findFirst("x", 3).total, 0);
    }

    void usageCounts()
    {
        const TaxonUse::Counts counts = TaxonUse::fromBytes(
            "2\tCarex flacca\n\tohne Zahl\n-1\tCarex hirta\nzwei\tCarex nigra\n7\tAbies alba");
        QCOMPARE(counts, TaxonUse::Counts({{"Carex flacca", 2}, {"Abies alba", 7}}));
        QCOMPARE(TaxonUse::fromBytes(TaxonUse::toBytes(counts)), counts);
        QCOMPARE(TaxonUse::toBytes(counts), QByteArray("7\tAbies alba\n2\tCarex flacca\n"));
    }
    void findTaxa_data();
    void findTaxa();
    void normalisation_data();
    void normalisation();
    void inputLine_data();
    void inputLine();
};

namespace {
const QStringList List = {
    "Abies alba",
    "Abies alba Mill.",
    "Abies grandis",
    "Achillea millefolium",
    "Achillea millefolium ssp. sudetica",
    "Achillea millefolium ssp. millefolium",
    "Achillea millefolium SSP. setacea",
    "×Festulolium loliaceum",
    "Festuca rubra",
    "Mentha ×piperita nvar. citrata",
    "Mentha ×piperita",
    "Rosa canina var. dumalis",
    "Equisetum arvense f. campestre",
    "Taraxacum sect. Ruderalia",
    "Rubus sect. corylifolii",
    "Abies nordmanniana alba",
    "Bärlapp öhrchen",
    "  Carex   remota",
    "Viola tricolor",
    "Viola tricolor",
};
} // namespace

void TestTaxonLookup::findTaxa_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("expected");

    const QStringList abiesAlba = {"Abies alba", "Abies alba Mill."};
    QTest::newRow("lower case") << List << "abi alba" << abiesAlba;
    QTest::newRow("upper case") << List << "ABI ALBA" << abiesAlba;
    QTest::newRow("blanks and tab around") << List << " \tabies alba  " << abiesAlba;
    QTest::newRow("genus inside the first word")
        << List << "Festu" << QStringList{"×Festulolium loliaceum", "Festuca rubra"};
    QTest::newRow("rank left out") << List << "Achillea millefolium sudetica"
                                   << QStringList{"Achillea millefolium ssp. sudetica"};
    QTest::newRow("short prefixes, ranks removed case-blind")
        << List << "ach mil s"
        << QStringList{"Achillea millefolium ssp. sudetica", "Achillea millefolium SSP. setacea"};
    QTest::newRow("nvar.") << List << "Mentha ×piperita citrata" << QStringList{"Mentha ×piperita nvar. citrata"};
    QTest::newRow("var.") << List << "ros can dum" << QStringList{"Rosa canina var. dumalis"};
    QTest::newRow("f.") << List << "equ arv cam" << QStringList{"Equisetum arvense f. campestre"};
    QTest::newRow("sect.") << List << "rub cor" << QStringList{"Rubus sect. corylifolii"};
    QTest::newRow("two blanks: word 2 empty") << List << "Abies  alba" << QStringList{"Abies nordmanniana alba"};
    QTest::newRow("mode 2 ignores word 3") << List << "abi alb" << abiesAlba;
    QTest::newRow("comparison respects case") << List << "tar rud" << QStringList{};
    QTest::newRow("umlauts stay as typed") << List << "bär öhr" << QStringList{"Bärlapp öhrchen"};
    QTest::newRow("upper umlaut stays upper") << List << "bär Öhr" << QStringList{};
    QTest::newRow("× as typed") << List << "ment ×pip"
                                << QStringList{"Mentha ×piperita nvar. citrata", "Mentha ×piperita"};
    QTest::newRow("entry blanks trimmed, inner blanks are words") << List << "carex" << QStringList{"  Carex   remota"};
    QTest::newRow("duplicates kept") << List << "vio tri" << QStringList{"Viola tricolor", "Viola tricolor"};
    QTest::newRow("empty name") << List << "" << QStringList{};
    QTest::newRow("only blanks") << List << "   " << QStringList{};
    QTest::newRow("unknown") << List << "Quercus" << QStringList{};
    QTest::newRow("empty list") << QStringList{} << "abi alba" << QStringList{};
    QTest::newRow("fourth word ignored") << List << "ach mil sud xyz"
                                         << QStringList{"Achillea millefolium ssp. sudetica"};
}

void TestTaxonLookup::findTaxa()
{
    QFETCH(QStringList, list);
    QFETCH(QString, name);
    QFETCH(QStringList, expected);
    QCOMPARE(TaxonIndex(list).find(name), expected);
}

void TestTaxonLookup::normalisation_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("case") << "aBIES ALBA"
                          << "Abies alba ";
    QTest::newRow("umlaut first") << "äbc"
                                  << "äbc ";
    QTest::newRow("control characters trimmed") << "\x01 abies\t"
                                                << "Abies ";
    QTest::newRow("at most 99 after the first") << QString(150, u'a') << (u'A' + QString(99, u'a'));
    QTest::newRow("blank kept as the 100th character") << QString(99, u'b') << (u'B' + QString(98, u'b') + u' ');
}

void TestTaxonLookup::normalisation()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(normaliseTaxonName(name), expected);
}

void TestTaxonLookup::inputLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("all four") << "ach mil sud.2.am Wegrand.5" << QStringList{"ach mil sud", "2", "am Wegrand", "5"};
    QTest::newRow("empty status") << "abi alba" << QStringList{"abi alba", "*", "", ""};
    QTest::newRow("adjacent dots") << "abi alba..Kommentar" << QStringList{"abi alba", "*", "Kommentar", ""};
    QTest::newRow("after a fourth dot ignored") << "a.b.c.d.e" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("name empty") << ".2" << QStringList{"", "2", "", ""};
    QTest::newRow("not trimmed") << " a . b " << QStringList{" a ", " b ", "", ""};
}

void TestTaxonLookup::inputLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, parts);
    const TaxonInput input = parseTaxonInput(line);
    QCOMPARE(QStringList({input.name, input.status, input.comment, input.count}), parts);
}

QTEST_APPLESS_MAIN(TestTaxonLookup)
#include "tst_taxonlookup.moc"
