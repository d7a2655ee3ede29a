// Time from creating the observation form to its first shown frame, with the
// bundled sample lists and with a generated 200,000-entry taxon list.
// Run on the offscreen platform: QT_QPA_PLATFORM=offscreen build/bin/bench_startup
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
BENCHMARK(formShown)->Arg(0)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
