// Time from the map button to a map that answers clicks (page loaded, map
// API ready), with the tile host on this machine; the memory of the program
// and its browser processes after the first opening; and, as the yardstick,
// a bare QWebEngineView loading a static page. The browser engine starts once
// per process, so each variant runs in a process of its own:
//   for v in bare cold warm later; do
//     QTWEBENGINE_DISABLE_SANDBOX=1 xvfb-run -a build/bin/bench_map_opening --benchmark_filter=$v
//   done
#include <benchmark/benchmark.h>

#include <functional>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "DozadiRad.h"
#include "KartenPunkte.h"
#include "MapService.h"
#include "Ping5.h"
#include "SampleFolder.h"
#include "Wrappers.h"

namespace {

// Every request gets one small PNG tile.
class TileServer : public QObject {
public:
    TileServer()
    {
        const QByteArray png = QByteArray::fromBase64(
            "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");
        reply_ = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nCache-Control: no-store\r\nContent-Length: "
            + QByteArray::number(png.size()) + "\r\nConnection: close\r\n\r\n" + png;
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n"))
                        return;
                    socket->write(reply_);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    quint16 port() const { return server_.serverPort(); }

private:
    QTcpServer server_;
    QByteArray reply_;
};

bool evalTrue(QWebEnginePage *page, const QString &script)
{
    bool done = false, value = false;
    page->runJavaScript(script, [&](const QVariant &v) {
        value = v.toBool();
        done = true;
    });
    QElapsedTimer t;
    t.start();
    while (!done && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return value;
}

// Resident memory of this process and every process it started (the
// browser's renderer, GPU and helper processes), from /proc: the sum of their
// proportional set sizes, so shared pages count once.
double treePssMiB()
{
    std::function<double(const QString &)> pssOf = [&](const QString &pid) -> double {
        double kib = 0;
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (rollup.open(QIODevice::ReadOnly))
            for (const QByteArray &line : rollup.readAll().split('\n'))
                if (line.startsWith("Pss:"))
                    kib += line.mid(4).trimmed().split(' ').value(0).toDouble();
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
        if (children.open(QIODevice::ReadOnly))
            for (const QByteArray &child : children.readAll().split(' '))
                if (!child.trimmed().isEmpty())
                    kib += pssOf(QString::fromLatin1(child.trimmed()));
        return kib;
    };
    return pssOf(QString::number(QCoreApplication::applicationPid())) / 1024.0;
}

struct Program {
    QTemporaryDir dir;
    QString app = sampleAppFolder(dir);
    TForm1 form{app};
    TForm2 picker{app, &form};

    Program()
    {
        form.setPingHost(QStringLiteral("127.0.0.1"));
        form.setMapPicker([this](const MapPickRequest &r) { return picker.pickCoordinate(r); });
        form.show();
        QCoreApplication::processEvents();
    }

    // The map button pressed: milliseconds until the page's map is ready.
    double open()
    {
        double ms = -1;
        QElapsedTimer timer;
        QTimer::singleShot(0, &picker, [&] {
            while (!picker.WebBrowser1() || !picker.allowResizeHandler()
                   || !evalTrue(picker.WebBrowser1()->page(), QStringLiteral("typeof map === 'object' && !!map._map")))
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            ms = double(timer.nsecsElapsed()) / 1e6;
            picker.reject();
        });
        timer.start();
        QTest::mouseClick(form.findChild<QToolButton *>(QStringLiteral("LMDButton1")), Qt::LeftButton);
        return ms;
    }
};

void report(benchmark::State &state, double ms)
{
    state.SetIterationTime(ms / 1000.0);
    state.PauseTiming();
    state.counters["ms"] = ms;
    state.counters["PSS_MiB"] = treePssMiB();
    state.ResumeTiming();
}

// The yardstick: a bare view and a static page.
void bare(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QWebEngineView view;
        view.resize(500, 500);
        view.show();
        bool loaded = false;
        QObject::connect(view.page(), &QWebEnginePage::loadFinished, [&] { loaded = true; });
        view.setHtml(QStringLiteral("<html><body><p>Karte</p></body></html>"));
        while (!loaded)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        report(state, ms);
    }
}

// The first opening in a program whose engine has not started.
void cold(benchmark::State &state)
{
    Program program;
    for (auto _ : state)
        report(state, program.open());
}

// The first opening after the program warmed the engine up while idle.
void warm(benchmark::State &state)
{
    Program program;
    program.picker.warmUp();
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    for (auto _ : state)
        report(state, program.open());
}

// Every later opening: the map is there and only shown again.
void later(benchmark::State &state)
{
    Program program;
    program.open();
    for (auto _ : state)
        report(state, program.open());
}

BENCHMARK(bare)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(cold)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(warm)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(later)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    MapService::registerSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The tile cache of this run only.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    QApplication app(argc, argv);
    registerWrappers(ClassMap());
    PingInitialise();
    TileServer tiles;
    MapService::Config &config = MapService::config();
    config.satellite.url = QStringLiteral("http://127.0.0.1:%1/sat/{z}/{x}/{y}").arg(tiles.port());
    config.street.url = QStringLiteral("http://127.0.0.1:%1/street/{z}/{x}/{y}").arg(tiles.port());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PingFinalise();
    return 0;
}
