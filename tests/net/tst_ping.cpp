#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <cstdio>

#include <arpa/inet.h>

#include "Ping5.h"

namespace {

// Answers every echo as programmed and counts them.
class FakeService : public IcmpService {
public:
    struct Answer {
        QList<IcmpReply> replies; // empty: the echo fails with systemError
        std::int32_t systemError = IP_REQ_TIMED_OUT;
    };
    Answer answer;
    bool openFails = false;
    int echoes = 0;

    std::unique_ptr<IcmpEcho> open() override
    {
        if (openFails)
            return nullptr;
        return std::make_unique<Echo>(*this);
    }
    const char *name() const override { return "fake"; }

private:
    struct Echo : IcmpEcho {
        explicit Echo(FakeService &s)
            : s(s)
        {
        }
        int send(std::uint32_t, std::uint32_t, IcmpReply (&replies)[MaxReplies], std::int32_t &systemError) override
        {
            ++s.echoes;
            const int n = int(qMin<qsizetype>(s.answer.replies.size(), MaxReplies));
            for (int i = 0; i < n; ++i)
                replies[i] = s.answer.replies[i];
            if (n == 0)
                systemError = s.answer.systemError;
            return n;
        }
        FakeService &s;
    };
};

std::uint32_t address(const char *dotted)
{
    return inet_addr(dotted);
}

// Collects the results of asynchronous probes with the thread they arrived on.
struct Collector {
    QList<TAsyncPingResult> results;
    QList<QThread *> threads;
    TPingCallback callback()
    {
        return [this](const TAsyncPingResult &r) {
            results.append(r);
            threads.append(QThread::currentThread());
        };
    }
};

} // namespace

class TestPing : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void systemServiceIsBound();
    void loopbackAnswers();
    void loopbackAnswersAsynchronously();
    void addressVariantOfThread();
    void resolving_data();
    void resolving();
    void unknownNameSendsNoEcho();
    void fakeOutcomes_data();
    void fakeOutcomes();
    void noIcmpService();
    void noIcmpHandle();
    void failedResolutionInWorker();
    void mapIcmpStatus();
};

void TestPing::cleanup()
{
    QTRY_COMPARE(TPingThread::running(), 0);
    PingInitialise();
}

void TestPing::systemServiceIsBound()
{
    PingInitialise();
    const QByteArray expected = qgetenv("NEMBRA_EXPECT_ICMP");
    if (!expected.isEmpty())
        QCOMPARE(QByteArray(PingServiceName()), expected);
    QVERIFY2(*PingServiceName(), "no ICMP service: neither datagram nor raw ICMP sockets are allowed here");
    QCOMPARE(PingLastError(), 0);
}

void TestPing::loopbackAnswers()
{
    PingInitialise();
    const std::int32_t rtt = PingHost("127.0.0.1", 2000);
    QVERIFY2(rtt >= 0, qPrintable(QString::number(PingLastError(), 16)));
    QCOMPARE(PingLastError(), 0);
    QVERIFY(PingIPv4(address("127.0.0.1"), 2000) >= 0);
    // Another loopback address answers as well.
    QVERIFY(PingIPv4(address("127.0.0.2"), 2000) >= 0);
}

void TestPing::loopbackAnswersAsynchronously()
{
    PingInitialise();
    Collector c;
    QVERIFY(AsyncPingHost(42, "127.0.0.1", 1500, c.callback()));
    QTRY_COMPARE(c.results.size(), 1);
    QTRY_COMPARE(TPingThread::running(), 0);
    QTest::qWait(20);
    QCOMPARE(c.results.size(), 1);
    QCOMPARE(c.threads[0], QCoreApplication::instance()->thread());
    const TAsyncPingResult &r = c.results[0];
    QCOMPARE(r.RefID, 42);
    QCOMPARE(r.Timeout, 1500);
    QVERIFY(r.RTT >= 0);
    QCOMPARE(r.ErrorCode, 0);
    QCOMPARE(r.IPv4, address("127.0.0.1"));
}

void TestPing::addressVariantOfThread()
{
    PingInitialise();
    Collector c;
    TPingThread::Create(7, address("127.0.0.1"), c.callback(), 65535);
    QTRY_COMPARE(c.results.size(), 1);
    QCOMPARE(c.results[0].RefID, 7);
    QCOMPARE(c.results[0].Timeout, 65535);
    QVERIFY(c.results[0].RTT >= 0);
}

void TestPing::resolving_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("code");
    QTest::newRow("dotted address resolves to itself") << QByteArray("127.0.0.7") << true << "127.0.0.7" << 0;
    QTest::newRow("empty name: the local computer") << QByteArray() << true << "127.0.0.1" << 0;
    QTest::newRow("reserved .invalid domain")
        << QByteArray("kein-host.invalid") << false << "255.255.255.255" << WSAHOST_NOT_FOUND;
    QTest::newRow("reserved domain in capitals, trailing dot")
        << QByteArray("X.INVALID.") << false << "255.255.255.255" << WSAHOST_NOT_FOUND;
}

void TestPing::resolving()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, found);
    QFETCH(QString, address);
    QFETCH(int, code);
    std::uint32_t ipv4 = 0;
    QCOMPARE(ResolveHostname(name, ipv4), found);
    QCOMPARE(ipv4, inet_addr(qPrintable(address)));
    QCOMPARE(PingLastError(), code);
}

void TestPing::unknownNameSendsNoEcho()
{
    auto fake = std::make_unique<FakeService>();
    FakeService *f = fake.get();
    PingInitialise(std::move(fake));
    QCOMPARE(PingHost("kein-host.invalid", 2000), -1);
    QCOMPARE(PingLastError(), WSAHOST_NOT_FOUND);
    QCOMPARE(f->echoes, 0);
}

void TestPing::fakeOutcomes_data()
{
    QTest::addColumn<QList<IcmpReply>>("replies");
    QTest::addColumn<int>("systemError");
    QTest::addColumn<int>("rtt");
    QTest::addColumn<int>("code");
    QTest::newRow("time-out") << QList<IcmpReply>{} << IP_REQ_TIMED_OUT << -1 << IP_REQ_TIMED_OUT;
    QTest::newRow("other system error") << QList<IcmpReply>{} << 5 << -2 << 5;
    QTest::newRow("host unreachable") << QList<IcmpReply>{{IP_DEST_HOST_UNREACHABLE, 3}} << 0 << -1 << 0x20002AFB;
    QTest::newRow("last record's status")
        << QList<IcmpReply>{{IP_DEST_NET_UNREACHABLE, 1}, {IP_DEST_HOST_UNREACHABLE, 2}} << 0 << -1 << 0x20002AFB;
    QTest::newRow("status outside 11001-11004 unchanged")
        << QList<IcmpReply>{{IP_TTL_EXPIRED_TRANSIT, 1}} << 0 << -1 << IP_TTL_EXPIRED_TRANSIT;
    QTest::newRow("second record answers") << QList<IcmpReply>{{IP_DEST_HOST_UNREACHABLE, 1}, {0, 17}} << 0 << 17 << 0;
    QTest::newRow("under a millisecond is success") << QList<IcmpReply>{{0, 0}, {0, 5}} << 0 << 0 << 0;
    QTest::newRow("at most three records") << QList<IcmpReply>{{IP_DEST_HOST_UNREACHABLE, 1},
                                                               {IP_DEST_HOST_UNREACHABLE, 1},
                                                               {IP_DEST_PROT_UNREACHABLE, 1},
                                                               {0, 9}}
                                           << 0 << -1 << 0x20002AFC;
}

void TestPing::fakeOutcomes()
{
    QFETCH(QList<IcmpReply>, replies);
    QFETCH(int, systemError);
    QFETCH(int, rtt);
    QFETCH(int, code);
    auto fake = std::make_unique<FakeService>();
    fake->answer = {replies, systemError};
    FakeService *f = fake.get();
    PingInitialise(std::move(fake));
    QCOMPARE(PingIPv4(address("127.0.0.1"), 2000), rtt);
    QCOMPARE(PingLastError(), code);
    QCOMPARE(f->echoes, 1);

    // The worker thread reports the same in its record.
    Collector c;
    QVERIFY(AsyncPingHost(3, "127.0.0.1", 2000, c.callback()));
    QTRY_COMPARE(c.results.size(), 1);
    QCOMPARE(c.results[0].RTT, rtt);
    QCOMPARE(c.results[0].ErrorCode, code);
}

void TestPing::noIcmpService()
{
    PingInitialise(nullptr);
    QCOMPARE(PingLastError(), PING_NO_ICMP_SERVICE);
    QCOMPARE(PingIPv4(address("127.0.0.1"), 2000), -2);
    QCOMPARE(PingLastError(), PING_NO_ICMP_SERVICE);
    // A known name cannot be probed; an unknown one is still unknown.
    QCOMPARE(PingHost("127.0.0.1", 2000), -2);
    QCOMPARE(PingHost("x.invalid", 2000), -1);
    Collector c;
    QVERIFY(!AsyncPingHost(1, "127.0.0.1", 2000, c.callback()));
    QCOMPARE(TPingThread::running(), 0);
    QTest::qWait(20);
    QVERIFY(c.results.isEmpty());
}

void TestPing::noIcmpHandle()
{
    auto fake = std::make_unique<FakeService>();
    fake->openFails = true;
    PingInitialise(std::move(fake));
    QCOMPARE(PingIPv4(address("127.0.0.1"), 2000), -2);
    QCOMPARE(PingLastError(), PING_NO_ICMP_HANDLE);
}

void TestPing::failedResolutionInWorker()
{
    auto fake = std::make_unique<FakeService>();
    FakeService *f = fake.get();
    PingInitialise(std::move(fake));
    Collector c;
    QVERIFY(AsyncPingHost(9, "kein-host.invalid", 2000, c.callback()));
    QTRY_COMPARE(c.results.size(), 1);
    QCOMPARE(c.results[0].IPv4, INADDR_NONE_VALUE);
    QCOMPARE(c.results[0].RTT, -1);
    QCOMPARE(c.results[0].ErrorCode, WSAHOST_NOT_FOUND);
    QCOMPARE(c.results[0].RefID, 9);
    QCOMPARE(f->echoes, 0);
}

void TestPing::mapIcmpStatus()
{
    QCOMPARE(MapIcmpStatus(11000), 11000);
    QCOMPARE(MapIcmpStatus(11001), 0x20002AF9);
    QCOMPARE(MapIcmpStatus(11004), 0x20002AFC);
    QCOMPARE(MapIcmpStatus(11005), 11005);
    QCOMPARE(MapIcmpStatus(0), 0);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Without any ICMP socket for this user the probes cannot be tested:
    // skipped (77), not failed.
    PingInitialise();
    if (!*PingServiceName()) {
        std::puts("SKIP: neither datagram ping sockets (net.ipv4.ping_group_range) nor raw ICMP sockets (root, "
                  "CAP_NET_RAW) are allowed for this user");
        return 77;
    }
    TestPing test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ping.moc"
