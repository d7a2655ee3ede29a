#include <QTest>

#include "NembraError.h"
#include "RecordCheck.h"

Q_DECLARE_METATYPE(ObservationRecord)

namespace {

// A record that passes every check; each row of the table spoils one thing.
ObservationRecord complete()
{
    ObservationRecord r;
    r.taxa = {{"Abies alba", "", "", ""}};
    r.observers = {"Müller, Hans"};
    r.date = "01.05.2010";
    r.locality = "Wegrand";
    r.spatialReference = "3512345;5412345";
    r.systemText = "Gauß-Krüger-Streifen 3 (GKr3)";
    r.radius = "25";
    return r;
}

template<class F>
ObservationRecord with(F change)
{
    ObservationRecord r = complete();
    change(r);
    return r;
}

} // namespace

// The completeness check before saving, against the core alone: which check
// fails first, with its message, and the field the form then focuses.
class TestRecordCheck : public QObject {
    Q_OBJECT
private slots:
    void firstFault_data();
    void firstFault();
    void radiusThatIsNoIntegerThrows();
};

void TestRecordCheck::firstFault_data()
{
    QTest::addColumn<ObservationRecord>("record");
    QTest::addColumn<bool>("radiusRequired");
    QTest::addColumn<QString>("message"); // empty: complete
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("invalidEntry");

    using F = RecordField;
    QTest::newRow("complete") << complete() << true << "" << 0 << false;
    QTest::newRow("no taxa, no locality: taxa first") << with([](auto &r) {
        r.taxa.clear();
        r.locality.clear();
    }) << true << "Ohne Arten macht das Ganze keinen Sinn!"
                                                      << int(F::TaxonInput) << false;
    QTest::newRow("no locality") << with([](auto &r) { r.locality.clear(); }) << true
                                 << "Sie müssen einen Fundort eingeben" << int(F::Locality) << false;
    QTest::newRow("no date") << with([](auto &r) { r.date.clear(); }) << true << "Sie müssen ein Datum eingeben"
                             << int(F::Date) << false;
    QTest::newRow("neither reference nor system") << with([](auto &r) {
        r.spatialReference.clear();
        r.systemText.clear();
    }) << true << "Sie müssen einen Raumbezug und ein passendes Raumbezugssystem eingeben"
                                                  << int(F::SpatialReference) << false;
    QTest::newRow("reference without system")
        << with([](auto &r) { r.systemText.clear(); }) << true << "Sie müssen ein Raumbezugssystem auswählen"
        << int(F::ReferenceSystem) << false;
    QTest::newRow("system without reference")
        << with([](auto &r) { r.spatialReference.clear(); }) << true << "Sie müssen einen Raumbezug eingeben"
        << int(F::SpatialReference) << false;
    QTest::newRow("reference of another strip")
        << with([](auto &r) { r.systemText = "Gauß-Krüger-Streifen 2 (GKr2)"; }) << true
        << "Der unter \"Raumbezug\" eingegebene Wert gehört nicht \n\rzu dem ausgewählten Raumbezugssystem oder\n\rdie "
           "Eingabe ist fehlerhaft\n\r\n\rStreifennummer 2 erwartet"
        << int(F::SpatialReference) << true;
    QTest::newRow("no radius, required") << with([](auto &r) { r.radius.clear(); }) << true
                                         << "Sie müssen einen Unschärferadius eingeben" << int(F::Radius) << false;
    QTest::newRow("no radius, optional: observers next") << with([](auto &r) {
        r.radius.clear();
        r.observers.clear();
    }) << false << "Sie müssen mindestens einen Kartierer auswählen"
                                                         << int(F::Observers) << false;
    QTest::newRow("radius 0 even when optional")
        << with([](auto &r) { r.radius = "00"; }) << false << "Ein Unschärferadius von 0 ist nicht möglich"
        << int(F::Radius) << false;
    QTest::newRow("no observer") << with([](auto &r) { r.observers.clear(); }) << true
                                 << "Sie müssen mindestens einen Kartierer auswählen" << int(F::Observers) << false;
}

void TestRecordCheck::firstFault()
{
    QFETCH(ObservationRecord, record);
    QFETCH(bool, radiusRequired);
    QFETCH(QString, message);
    QFETCH(int, field);
    QFETCH(bool, invalidEntry);
    const std::optional<RecordFault> fault = checkCompleteness(record, radiusRequired);
    if (message.isEmpty()) {
        QVERIFY2(!fault, fault ? qPrintable(fault->verdict.message) : "");
        return;
    }
    QVERIFY(fault);
    QCOMPARE(fault->verdict.message, message);
    QCOMPARE(int(fault->field), field);
    QCOMPARE(fault->invalidEntry, invalidEntry);
}

void TestRecordCheck::radiusThatIsNoIntegerThrows()
{
    try {
        checkCompleteness(with([](auto &r) { r.radius = "99999999999"; }), true);
        QFAIL("no error");
    } catch (const NembraError &error) {
        QCOMPARE(error.message(), QStringLiteral("''99999999999'' ist kein gültiger Integer-Wert"));
    }
}

QTEST_APPLESS_MAIN(TestRecordCheck)
#include "tst_recordcheck.moc"
