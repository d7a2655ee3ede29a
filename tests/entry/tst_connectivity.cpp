#include <QTcpServer>
#include <QTest>

#include "AppFolder.h"
#include "DozadiRad.h"
#include "NembraApplication.h"
#include "Ping5.h"
#include "RecordingMessages.h"
#include "WidgetTest.h"

namespace {

const QString Warning = QStringLiteral(
    "Sie haben vermutlich keine Verbindung mit dem Internet\n\rDer Koordinatenpicker "
    "verwendet Google Maps. \n\rDamit er ohne Fehlermeldungen funktioniert, müssen "
    "Sie \n\rzuerst eine Verbindung herstellen");

// Every echo times out, or every echo is answered.
class FakeService : public IcmpService {
public:
    explicit FakeService(bool answers)
        : answers_(answers)
    {
    }
    std::unique_ptr<IcmpEcho> open() override { return std::make_unique<Echo>(answers_); }
    const char *name() const override { return "fake"; }

private:
    struct Echo : IcmpEcho {
        explicit Echo(bool answers)
            : answers(answers)
        {
        }
        int send(std::uint32_t, std::uint32_t, IcmpReply (&replies)[MaxReplies], std::int32_t &error) override
        {
            if (!answers) {
                error = IP_REQ_TIMED_OUT;
                return 0;
            }
            replies[0] = {0, 12};
            return 1;
        }
        bool answers;
    };
    bool answers_;
};

} // namespace

// The check before the map opens, against 127.0.0.1 and fake ICMP services.
class TestConnectivity : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void syncReachable();
    void syncUnreachable_data();
    void syncUnreachable();
    void asyncProbesCountRefID_data();
    void asyncProbesCountRefID();
    void asyncWithoutIcmpWarnsAtOnce();
    void tileHostDecidesWhenPingCannot_data();
    void tileHostDecidesWhenPingCannot();
    void otherModesDoNothing_data();
    void otherModesDoNothing();

private:
    FormFixture fx_;
};

void TestConnectivity::init()
{
    fx_.make({"Abies alba"}, {"Müller, Hans"});
    PingInitialise();
}

void TestConnectivity::cleanup()
{
    QTRY_COMPARE(TPingThread::running(), 0);
    fx_.reset();
}

void TestConnectivity::syncReachable()
{
    if (!*PingServiceName())
        QSKIP("no ICMP socket for this user: neither datagram nor raw ICMP sockets are allowed");
    QVERIFY(fx_.form->PingHostname("127.0.0.1", "SyncPing"));
    QVERIFY(fx_.msgs->shown.isEmpty());
    QCOMPARE(fx_.form->RefID(), 1);
}

void TestConnectivity::syncUnreachable_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("icmp"); // false: no ICMP service at all
    QTest::newRow("echo times out") << "127.0.0.1" << true;
    QTest::newRow("name cannot be resolved") << "kein-host.invalid" << true;
    QTest::newRow("no ICMP service") << "127.0.0.1" << false;
}

void TestConnectivity::syncUnreachable()
{
    QFETCH(QString, host);
    QFETCH(bool, icmp);
    PingInitialise(icmp ? std::make_unique<FakeService>(false) : nullptr);
    QVERIFY(!fx_.form->PingHostname(host, "SyncPing"));
    QCOMPARE(fx_.msgs->texts(), QStringList{Warning});
    QCOMPARE(fx_.msgs->shown[0].kind, Messages::Kind::Warning);
    QCOMPARE(fx_.msgs->shown[0].caption, QStringLiteral("Warnung"));
}

void TestConnectivity::tileHostDecidesWhenPingCannot_data()
{
    QTest::addColumn<QString>("icmp"); // "none": no ICMP socket, "filtered": echoes time out
    QTest::addColumn<bool>("tileHostAnswers");
    QTest::newRow("no permission to ping, web works") << "none" << true;
    QTest::newRow("ping filtered, web works") << "filtered" << true;
    QTest::newRow("no permission to ping, no connection") << "none" << false;
    QTest::newRow("ping filtered, no connection") << "filtered" << false;
}

void TestConnectivity::tileHostDecidesWhenPingCannot()
{
    QFETCH(QString, icmp);
    QFETCH(bool, tileHostAnswers);
    // Run as a normal user in a namespace where ICMP sockets are refused
    // (tst_connectivity_user), the real service is tried: it finds none.
    if (icmp == "none" && qEnvironmentVariableIsSet("NEMBRA_EXPECT_NO_ICMP")) {
        PingInitialise();
        QCOMPARE(PingServiceName(), "");
    } else {
        PingInitialise(icmp == "none" ? nullptr : std::make_unique<FakeService>(false));
    }
    QTcpServer tileHost;
    QVERIFY(tileHost.listen(QHostAddress::LocalHost, 0));
    const quint16 port = tileHost.serverPort();
    if (!tileHostAnswers)
        tileHost.close();
    fx_.form->setTileProbe("127.0.0.1", port);
    QCOMPARE(fx_.form->PingHostname("127.0.0.1", "SyncPing"), tileHostAnswers);
    QCOMPARE(fx_.msgs->texts(), tileHostAnswers ? QStringList() : QStringList{Warning});
}

void TestConnectivity::asyncProbesCountRefID_data()
{
    QTest::addColumn<bool>("answers");
    QTest::newRow("answered: no warning") << true;
    QTest::newRow("timed out: a warning for each probe") << false;
}

void TestConnectivity::asyncProbesCountRefID()
{
    QFETCH(bool, answers);
    PingInitialise(std::make_unique<FakeService>(answers));
    QCOMPARE(fx_.form->RefID(), 1);
    QVERIFY(fx_.form->PingHostname("127.0.0.1", "AsyncPing"));
    QCOMPARE(fx_.form->RefID(), 2);
    QVERIFY(fx_.form->PingHostname("127.0.0.1", "AsyncPing"));
    QCOMPARE(fx_.form->RefID(), 3);
    // Nothing is shown before the callbacks arrive on the GUI thread.
    QVERIFY(fx_.msgs->shown.isEmpty());
    QTRY_COMPARE(TPingThread::running(), 0);
    QTest::qWait(20);
    QCOMPARE(fx_.msgs->texts(), (answers ? QStringList() : QStringList{Warning, Warning}));

    // The real service against 127.0.0.1 answers.
    fx_.msgs->shown.clear();
    PingInitialise();
    if (!*PingServiceName())
        QSKIP("no ICMP socket for this user: the real probe is not tried");
    QVERIFY(fx_.form->PingHostname("127.0.0.1", "AsyncPing"));
    QTRY_COMPARE(TPingThread::running(), 0);
    QTest::qWait(20);
    QVERIFY(fx_.msgs->shown.isEmpty());
}

void TestConnectivity::asyncWithoutIcmpWarnsAtOnce()
{
    PingInitialise(nullptr);
    QVERIFY(fx_.form->PingHostname("127.0.0.1", "AsyncPing"));
    QCOMPARE(fx_.msgs->texts(), QStringList{Warning});
    QCOMPARE(fx_.form->RefID(), 1);
    QCOMPARE(TPingThread::running(), 0);
}

void TestConnectivity::otherModesDoNothing_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("syncping") << "syncping";
    QTest::newRow("ASYNCPING") << "ASYNCPING";
    QTest::newRow("empty") << "";
}

void TestConnectivity::otherModesDoNothing()
{
    QFETCH(QString, mode);
    PingInitialise(nullptr);
    QVERIFY(fx_.form->PingHostname("kein-host.invalid", mode));
    QVERIFY(fx_.msgs->shown.isEmpty());
    QCOMPARE(fx_.form->RefID(), 1);
}

NEMBRA_WIDGET_TEST_MAIN(TestConnectivity)

#include "tst_connectivity.moc"
