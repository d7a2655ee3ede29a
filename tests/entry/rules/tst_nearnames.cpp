// Names with a typo: the edit distance of words, and the entries offered
// when the matching rules find nothing, with real typos and near misses that
// must not be offered.
#include <QTest>

#include "TaxonLookup.h"

namespace {

const QStringList List = {
    "Abies alba",
    "Achillea millefolium",
    "Achillea millefolium ssp. sudetica",
    "Achillea ptarmica",
    "Acer campestre",
    "Aster amellus",
    "Buphthalmum salicifolium",
    "Festuca rubra",
    "Festuca ovina",
    "Quercus robur",
    "Quercus petraea",
    "Carex flacca",
};

} // namespace

class TestNearNames : public QObject {
    Q_OBJECT
private slots:
    void distance_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("distance"); // within limit 2; 3 means "more"
        QTest::newRow("same") << "achillea"
                              << "achillea" << 0;
        QTest::newRow("case does not count") << "Achillea"
                                             << "aCHILLEA" << 0;
        QTest::newRow("missing letter") << "achilea"
                                        << "achillea" << 1;
        QTest::newRow("doubled letter") << "achilllea"
                                        << "achillea" << 1;
        QTest::newRow("transposed") << "achilela"
                                    << "achillea" << 1;
        QTest::newRow("wrong letter") << "ochillea"
                                      << "achillea" << 1;
        QTest::newRow("two edits") << "acilea"
                                   << "achillea" << 2;
        QTest::newRow("far") << "quercus"
                             << "achillea" << 3;
        QTest::newRow("empty") << ""
                               << "ab" << 2;
    }
    void distance()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, distance);
        QCOMPARE(editDistance(a, b, 2), distance);
        QCOMPARE(editDistance(b, a, 2), distance);
    }

    void prefix()
    {
        // An abbreviation with a typo is near the start of the word.
        QCOMPARE(prefixDistance(u"mlle", u"millefolium", 1), 1);
        QCOMPARE(prefixDistance(u"mil", u"millefolium", 1), 0);
        QCOMPARE(prefixDistance(u"millefolum", u"millefolium", 2), 1);
        QCOMPARE(prefixDistance(u"mille", u"mi", 1), 2); // too short: more than the limit
    }

    void offered_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("first"); // the first entries offered, in order
        QTest::addColumn<QStringList>("never");
        QTest::newRow("missing letters") << "Achilea milefolium" << QStringList{"Achillea millefolium"}
                                         << QStringList{"Achillea ptarmica", "Abies alba"};
        QTest::newRow("transposed letters")
            << "Achilela millefoluim" << QStringList{"Achillea millefolium"} << QStringList{"Achillea ptarmica"};
        QTest::newRow("doubled letter") << "Querrcus robur" << QStringList{"Quercus robur"}
                                        << QStringList{"Quercus petraea"};
        QTest::newRow("wrong first letter of the epithet")
            << "Festuca tubra" << QStringList{"Festuca rubra"} << QStringList{"Festuca ovina"};
        QTest::newRow("Buphtalmum") << "Buphtalmum salicifolium" << QStringList{"Buphthalmum salicifolium"}
                                    << QStringList();
        QTest::newRow("abbreviated with a typo")
            << "bup sla" << QStringList{"Buphthalmum salicifolium"} << QStringList{"Abies alba"};
        // A subspecies entry is compared without its rank.
        QTest::newRow("rank left out") << "Achillea millefolium sudetca"
                                       << QStringList{"Achillea millefolium ssp. sudetica"}
                                       << QStringList{"Achillea millefolium"};
        QTest::newRow("other genus, short word") << "Acer amellus" << QStringList() << QStringList{"Aster amellus"};
        QTest::newRow("nothing near") << "Pinus sylvestris" << QStringList() << List;
        QTest::newRow("nothing typed") << "" << QStringList() << List;
    }
    void offered()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, first);
        QFETCH(QStringList, never);
        const TaxonIndex index(List);
        const QStringList near = index.findNear(typed);
        QVERIFY2(near.mid(0, first.size()) == first, qPrintable(near.join(" | ")));
        if (first.isEmpty())
            QVERIFY2(near.isEmpty() || !never.isEmpty(), qPrintable(near.join(" | ")));
        for (const QString &entry : never)
            QVERIFY2(!near.contains(entry), qPrintable(entry));
    }

    void atMostTwelveNearestFirst()
    {
        // Thirty entries one letter off, the nearest last in the list.
        QStringList list;
        for (int i = 0; i < 30; ++i)
            list << QStringLiteral("Carex flocca%1").arg(i);
        list << "Carex flacca";
        const QStringList near = TaxonIndex(list).findNear("Carex flacca");
        QCOMPARE(near.size(), 12);
        QCOMPARE(near.first(), QStringLiteral("Carex flacca"));
    }
};

QTEST_GUILESS_MAIN(TestNearNames)
#include "tst_nearnames.moc"
