// Time from creating the observation form to its first shown frame, with the
// bundled sample lists and with generated taxon lists of 200,000 and
// 1,000,000 entries, against a bare main window; the memory after the start;
// and one keystroke in the taxon field with the list shown while typing.
// Run on the offscreen platform: QT_QPA_PLATFORM=offscreen build/bin/bench_startup
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>

#include "DozadiRad.h"
#include "Messages.h"
#include "TextFile.h"

namespace {

QString makeAppFolder(QTemporaryDir &dir, int generatedTaxa)
{
    const QString app = dir.path() + u'/';
    QDir().mkpath(app + QStringLiteral("RefList"));
    const QString sample = QStringLiteral(NEMBRA_SAMPLE_DIR);
    QFile::copy(sample + QStringLiteral("RefList/QuarnelList.txt"), app + QStringLiteral("RefList/QuarnelList.txt"));
    QFile::copy(sample + QStringLiteral("Nembra.ini"), app + QStringLiteral("Nembra.ini"));
    if (generatedTaxa == 0) {
        QFile::copy(sample + QStringLiteral("RefList/TaxList.txt"), app + QStringLiteral("RefList/TaxList.txt"));
        return app;
    }
    QStringList sampleTaxa;
    loadListFile(sample + QStringLiteral("RefList/TaxList.txt"), sampleTaxa);
    QString text;
    text.reserve(generatedTaxa * 40);
    for (int i = 0; i < generatedTaxa; ++i) {
        // Sample names made distinct by a numbered epithet, ranks kept.
        text += sampleTaxa[i % sampleTaxa.size()];
        text += QStringLiteral(" var. v%1\r\n").arg(i);
    }
    QFile file(app + QStringLiteral("RefList/TaxList.txt"));
    file.open(QIODevice::WriteOnly);
    file.write(encodeText(text, TextEncoding::Utf8Bom));
    return app;
}

void formShown(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString app = makeAppFolder(dir, int(state.range(0)));
    for (auto _ : state) {
        TForm1 form(app);
        form.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(form.TaxList().size());
    }
}
BENCHMARK(formShown)->Arg(0)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

// A main window with nothing in it, shown: what any Qt program pays.
void bareWindowShown(benchmark::State &state)
{
    for (auto _ : state) {
        QMainWindow window;
        window.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(bareWindowShown)->Unit(benchmark::kMillisecond)->Iterations(5);

// Resident memory of the process after the form with a 1,000,000-entry list
// has started.
void memoryAfterStart(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString app = makeAppFolder(dir, 1000000);
    for (auto _ : state) {
        TForm1 form(app);
        form.show();
        QCoreApplication::processEvents();
        QFile statm(QStringLiteral("/proc/self/statm"));
        statm.open(QIODevice::ReadOnly);
        const QList<QByteArray> pages = statm.readAll().split(' ');
        state.counters["resident_MB"] = double(pages.value(1).toLongLong()) * 4096 / (1024 * 1024);
    }
}
BENCHMARK(memoryAfterStart)->Unit(benchmark::kMillisecond)->Iterations(1);

// Each keystroke of typing "ach mil" into the taxon field of a shown form
// with a 1,000,000-entry list: the lookup and the list under the field, to
// the next frame. The counters give the 90th percentile and the slowest.
void typingKeystroke(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString app = makeAppFolder(dir, 1000000);
    TForm1 form(app);
    form.show();
    QApplication::setActiveWindow(&form);
    QCoreApplication::processEvents();
    auto *edit = form.findChild<QLineEdit *>(QStringLiteral("Edit1"));
    edit->setFocus();
    std::vector<double> ms;
    for (auto _ : state) {
        edit->clear();
        for (const char c : std::string("ach mil")) {
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(edit, c);
            QCoreApplication::processEvents();
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    std::sort(ms.begin(), ms.end());
    state.counters["p90_ms"] = ms[size_t(double(ms.size() - 1) * 0.9)];
    state.counters["max_ms"] = ms.back();
}
BENCHMARK(typingKeystroke)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
