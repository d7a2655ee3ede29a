#include <QTest>
#include <QTimer>

#include "BoundedWait.h"

// The one wait of the program: it ends when its condition holds, wakes on
// the signals it names and on its poll interval, and never outlives its limit.
class TestBoundedWait : public QObject {
    Q_OBJECT
private slots:
    void endsWhenTheConditionHolds_data();
    void endsWhenTheConditionHolds();
};

void TestBoundedWait::endsWhenTheConditionHolds_data()
{
    QTest::addColumn<int>("setAfterMs"); // -1: never
    QTest::addColumn<bool>("signalled"); // announced by a signal, else only polled
    QTest::addColumn<int>("limitMs");
    QTest::addColumn<bool>("held");
    QTest::newRow("holds at once") << 0 << true << 0 << true;
    QTest::newRow("signal before the limit") << 20 << true << 5000 << true;
    QTest::newRow("state seen by polling") << 20 << false << 5000 << true;
    QTest::newRow("never: the limit ends it") << -1 << true << 50 << false;
    QTest::newRow("too late for the limit") << 2000 << true << 50 << false;
}

void TestBoundedWait::endsWhenTheConditionHolds()
{
    QFETCH(int, setAfterMs);
    QFETCH(bool, signalled);
    QFETCH(int, limitMs);
    QFETCH(bool, held);

    bool state = setAfterMs == 0;
    QTimer setter;
    setter.setSingleShot(true);
    connect(&setter, &QTimer::timeout, this, [&state] { state = true; });
    BoundedWait wait(limitMs, BoundedWait::Input::Excluded);
    if (signalled)
        wait.wakeOn(&setter, &QTimer::timeout);
    else
        wait.pollEvery(5);
    if (setAfterMs > 0)
        setter.start(setAfterMs);
    QCOMPARE(wait.until([&state] { return state; }), held);
    QCOMPARE(state, held);
}

QTEST_GUILESS_MAIN(TestBoundedWait)
#include "tst_boundedwait.moc"
