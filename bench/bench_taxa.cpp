// Taxon list of 200,000 entries: loading, lookup, and as the reference for the
// lookup a plain case-sensitive substring scan of the raw entries; the
// search of near names for a typo in a list of 1,000,000.
// Run: build/bin/bench_taxa
#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "TaxonLookup.h"
#include "TextFile.h"

namespace {

constexpr int ListSize = 200000;

// Realistic names: genus and epithet from small pools, every few entries with
// a rank and an infraspecific epithet, some hybrids.
QStringList generateTaxa(int size = ListSize)
{
    const QStringList genera = {
        "Abies",     "Acer",         "Achillea",   "Agrostis",  "Allium",    "Alnus",      "Anemone",   "Arabis",
        "Artemisia", "Asplenium",    "Betula",     "Bromus",    "Campanula", "Carex",      "Centaurea", "Cirsium",
        "Crataegus", "Dactylorhiza", "Dryopteris", "Epilobium", "Euphorbia", "Festuca",    "Galium",    "Geranium",
        "Hieracium", "Juncus",       "Lamium",     "Mentha",    "Poa",       "Potentilla", "Quercus",   "Ranunculus",
        "Rosa",      "Rubus",        "Rumex",      "Salix",     "Saxifraga", "Senecio",    "Silene",    "Sorbus",
        "Taraxacum", "Trifolium",    "Veronica",   "Vicia",     "Viola"};
    const QStringList epithets = {"alba",    "alpina",  "arvensis",  "aquatica",    "canina",    "communis",
                                  "elatior", "glabra",  "hirsuta",   "lanceolata",  "major",     "millefolium",
                                  "minor",   "montana", "nemorosa",  "officinalis", "palustris", "pratensis",
                                  "repens",  "rubra",   "sylvatica", "vulgaris"};
    const QStringList ranks = {"ssp. ", "var. ", "f. ", "nssp. ", "nvar. "};
    QStringList taxa;
    taxa.reserve(size);
    for (int i = 0; i < size; ++i) {
        QString name = genera[i % genera.size()] + u' ';
        if (i % 17 == 0)
            name += u'×';
        name += epithets[(i / genera.size()) % epithets.size()] + QString::number(i / 1000);
        if (i % 3 == 0)
            name += u' ' + ranks[i % ranks.size()] + epithets[(i / 7) % epithets.size()];
        taxa.append(name);
    }
    return taxa;
}

struct Fixture {
    Fixture()
    {
        path = dir.filePath(QStringLiteral("TaxList.txt"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(
            encodeText(generateTaxa().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), TextEncoding::Utf8Bom));
        file.close();
        loadListFile(path, entries);
        index = TaxonIndex(entries);
    }
    QTemporaryDir dir;
    QString path;
    QStringList entries;
    TaxonIndex index;
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

// Typical inputs, and the genus word each one's plain scan looks for.
const struct {
    const char *input;
    const char *genus;
} Inputs[] = {{"ach", "Ach"},         {"ach mil", "Ach"},     {"ach mil s", "Ach"},
              {"carex pal", "Carex"}, {"sal alb alb", "Sal"}, {"viola", "Viola"}};

void loadList(benchmark::State &state)
{
    for (auto _ : state) {
        QStringList entries;
        loadListFile(fixture().path, entries);
        benchmark::DoNotOptimize(entries.size());
    }
}
BENCHMARK(loadList)->Unit(benchmark::kMillisecond);

void loadListAndIndex(benchmark::State &state)
{
    for (auto _ : state) {
        QStringList entries;
        loadListFile(fixture().path, entries);
        TaxonIndex index(entries);
        benchmark::DoNotOptimize(index.size());
    }
}
BENCHMARK(loadListAndIndex)->Unit(benchmark::kMillisecond);

void findTaxa(benchmark::State &state)
{
    const auto &in = Inputs[state.range(0)];
    const QString input = QString::fromUtf8(in.input);
    for (auto _ : state) {
        QStringList result = fixture().index.find(input);
        benchmark::DoNotOptimize(result.size());
    }
    const qsizetype matches = fixture().index.find(input).size();
    state.SetLabel(std::string(in.input) + " (" + std::to_string(matches) + ")");
}
BENCHMARK(findTaxa)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

void plainScan(benchmark::State &state)
{
    const auto &in = Inputs[state.range(0)];
    const QString genus = QString::fromUtf8(in.genus);
    for (auto _ : state) {
        QStringList result;
        for (const QString &entry : fixture().entries)
            if (entry.contains(genus))
                result.append(entry);
        benchmark::DoNotOptimize(result.size());
    }
    state.SetLabel(in.genus);
}
BENCHMARK(plainScan)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

// One keystroke's lookup for the list shown while typing, in a list of
// 1,000,000: the first 12 matches and their total, for each step of typing
// "ach mil".
const char *const Keystrokes[] = {"a", "ac", "ach", "ach ", "ach m", "ach mi", "ach mil"};

const TaxonIndex &millionEntries()
{
    static const TaxonIndex large(generateTaxa(1000000));
    return large;
}

void typingList(benchmark::State &state)
{
    const QString typed = QString::fromUtf8(Keystrokes[state.range(0)]);
    const TaxonIndex &large = millionEntries(); // made before the timing
    for (auto _ : state) {
        TaxonIndex::FirstMatches first = large.findFirst(typed, 12);
        benchmark::DoNotOptimize(first.total);
    }
    state.SetLabel(std::string(Keystrokes[state.range(0)]) + " ("
                   + std::to_string(millionEntries().findFirst(typed, 12).total) + ")");
}
BENCHMARK(typingList)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// Typed with a slip, so that the lookup finds nothing and the near names
// are searched.
const char *const Typos[] = {"Achilea milefolium", "Qurecus robr", "Carx palustirs", "Buphtalmum"};

void findNearNames(benchmark::State &state)
{
    const TaxonIndex &large = millionEntries();
    const QString typed = QString::fromUtf8(Typos[state.range(0)]);
    for (auto _ : state) {
        QStringList near = large.findNear(typed);
        benchmark::DoNotOptimize(near.size());
    }
    state.SetLabel(std::string(Typos[state.range(0)]) + " (" + std::to_string(large.find(typed).size()) + " found, "
                   + std::to_string(large.findNear(typed).size()) + " near)");
}
BENCHMARK(findNearNames)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
