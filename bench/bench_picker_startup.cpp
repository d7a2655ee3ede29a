// Start of the program with the map picker made as at program start: its
// browser made lazily (at the first show of the picker, as the program does)
// or eagerly. The browser engine starts once per process, so each variant
// runs in a process of its own:
//   QTWEBENGINE_DISABLE_SANDBOX=1 xvfb-run -a build/bin/bench_picker_startup --benchmark_filter=lazy
//   QTWEBENGINE_DISABLE_SANDBOX=1 xvfb-run -a build/bin/bench_picker_startup --benchmark_filter=eager
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "DozadiRad.h"
#include "KartenPunkte.h"
#include "MapService.h"
#include "SampleFolder.h"
#include "Wrappers.h"

namespace {

void start(benchmark::State &state, bool eagerBrowser)
{
    QTemporaryDir dir;
    const QString app = sampleAppFolder(dir);
    for (auto _ : state) {
        TForm1 form(app);
        TForm2 picker(app, &form);
        if (eagerBrowser)
            picker.createBrowser();
        form.setMapPicker([&picker](const MapPickRequest &r) { return picker.pickCoordinate(r); });
        form.show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["maxRSS_MiB"] = double(usage.ru_maxrss) / 1024.0;
        state.ResumeTiming();
    }
}

void lazy(benchmark::State &state)
{
    start(state, false);
}
void eager(benchmark::State &state)
{
    start(state, true);
}
BENCHMARK(lazy)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(eager)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    MapService::registerSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    registerWrappers(ClassMap());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
