// Searches and filters over a full song disk (999 folders of 80 songs).
#include <benchmark/benchmark.h>

#include <random>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"

using namespace qv;

namespace {

constexpr int kSongs = 999 * 80;

std::string RandomHanzi(std::mt19937& rng, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        s += static_cast<char>(std::uniform_int_distribution<int>(0xA4, 0xC5)(rng));
        s += static_cast<char>(std::uniform_int_distribution<int>(0xA1, 0xFE)(rng));
    }
    return s;
}

std::string RandomWords(std::mt19937& rng, int count) {
    static const char* words[] = {"Love",   "you",  "Night", "dream", "Heart", "forever", "Baby", "rain",
                                  "Summer", "time", "Moon",  "light", "Star",  "my",      "One",  "way"};
    std::string s;
    for (int i = 0; i < count; ++i) {
        if (i) s += ' ';
        s += words[rng() % std::size(words)];
    }
    return s;
}

std::vector<FieldList> MakeSongs() {
    std::mt19937 rng(20240611);
    // Singers keep their class; a duet joins two names with a full-width blank.
    std::vector<std::string> singers, classes;
    for (int i = 0; i < 4000; ++i) {
        singers.push_back(i % 10 == 0 ? RandomHanzi(rng, 2) + Utf8ToBig5("　") + RandomHanzi(rng, 3)
                                      : RandomHanzi(rng, 2 + static_cast<int>(rng() % 3)));
        classes.push_back(i % 10 == 0 ? "6" : std::to_string(1 + rng() % 8));
    }
    std::vector<FieldList> songs;
    songs.reserve(kSongs);
    for (int i = 0; i < kSongs; ++i) {
        FieldList f(SongFieldCount);
        f[colSongNo] = ZeroPad3(i / 80 + 1) + ZeroPadInt(i % 80 + 1, 2);
        const int lang = 1 + static_cast<int>(rng() % 9);
        f[colSongName] = lang == 4 ? RandomWords(rng, 1 + static_cast<int>(rng() % 5))
                                   : RandomHanzi(rng, 2 + static_cast<int>(rng() % 9));
        const std::size_t singer = rng() % singers.size();
        f[colSinger] = singers[singer];
        f[colSingerClass] = classes[singer];
        f[colLanguage] = std::to_string(lang);
        f[colNewMark] = rng() % 20 == 0 ? "*" : "";
        f[colSpecialDel] = rng() % 50 == 0 ? "X" : "";
        f[colFavourite] = rng() % 10 == 0 ? "*" : "";
        songs.push_back(std::move(f));
    }
    return songs;
}

void LoadTable(const std::vector<FieldList>& songs) {
    LoadingSongs = true;  // nothing is written
    AllSong.clear();
    AllSongCount = 0;
    ShownRows.clear();
    SingerDisplayList.clear();
    SingerDisplayLanguages.clear();
    SingerDisplayBatch batch;  // as the song list loader does
    for (const FieldList& f : songs) AddSongRow(f);
    LoadingSongs = false;
}

const std::vector<FieldList>& Songs() {
    static const std::vector<FieldList> songs = MakeSongs();
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
