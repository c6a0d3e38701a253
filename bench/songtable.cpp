// Searches and filters over a full song disk (999 folders of 80 songs).
#include <benchmark/benchmark.h>

#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"

using namespace qv;

namespace {

constexpr int kSongs = bench::kFullDiskSongs;

void LoadTable(const std::vector<FieldList>& songs) { bench::LoadSongTable(songs); }

const std::vector<FieldList>& Songs() {
    static const std::vector<FieldList> songs = bench::FullLibrarySongs();
    return songs;
}

void EnsureTable() {
    if (AllSongCount != kSongs) LoadTable(Songs());
}

void BM_FilterSearchText(benchmark::State& state) {
    EnsureTable();
    for (auto _ : state) {
        FilterSongList(false, "LOVE", false, 0, false, false, 0);
        benchmark::DoNotOptimize(ShownRows.data());
    }
    state.counters["shown"] = static_cast<double>(ShownRows.size());
}
BENCHMARK(BM_FilterSearchText)->Unit(benchmark::kMillisecond);

void BM_FilterSearchHanzi(benchmark::State& state) {
    EnsureTable();
    const std::string needle = AllSong[1234][colSinger].substr(0, 2);
    for (auto _ : state) FilterSongList(false, needle, false, 0, false, false, 0);
    state.counters["shown"] = static_cast<double>(ShownRows.size());
}
BENCHMARK(BM_FilterSearchHanzi)->Unit(benchmark::kMillisecond);

void BM_FilterNone(benchmark::State& state) {
    EnsureTable();
    for (auto _ : state) FilterSongList(false, "", false, 0, false, false, 0);
}
BENCHMARK(BM_FilterNone)->Unit(benchmark::kMillisecond);

void BM_FuzzyFindSimilar(benchmark::State& state) {
    EnsureTable();
    const std::string name = AllSong[4321][colSongName];
    for (auto _ : state) benchmark::DoNotOptimize(FuzzyFindSimilar(name));
}
BENCHMARK(BM_FuzzyFindSimilar)->Unit(benchmark::kMillisecond);

void BM_FuzzyFindSimilarEnglish(benchmark::State& state) {
    EnsureTable();
    for (auto _ : state) benchmark::DoNotOptimize(FuzzyFindSimilar("love you"));
}
BENCHMARK(BM_FuzzyFindSimilarEnglish)->Unit(benchmark::kMillisecond);

void BM_FindDuplicateSong(benchmark::State& state) {
    EnsureTable();
    // A name that is in the table under another singer: every row is looked at.
    const SongRow& row = AllSong[kSongs - 1];
    for (auto _ : state)
        benchmark::DoNotOptimize(FindDuplicateSong(row[colSongName], "Nobody", "", row[colLanguage]));
}
BENCHMARK(BM_FindDuplicateSong)->Unit(benchmark::kMillisecond);

void BM_LoadThroughAddSongRow(benchmark::State& state) {
    const auto& songs = Songs();
    for (auto _ : state) LoadTable(songs);
    state.counters["singers"] = static_cast<double>(SingerDisplayList.size());
}
BENCHMARK(BM_LoadThroughAddSongRow)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
