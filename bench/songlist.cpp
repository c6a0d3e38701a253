// Start-up on a full song disk: the check of "song.qv2" and its load into the song table, against
// the floor of reading the file and deciphering every line.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/BenchLibrary.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"

namespace {

const std::string& FullDisk() {
    static qv::bench::TempFolder folder;
    static const std::string path = qv::bench::WriteFullLibrary(folder.path());
    qv::LibraryRoot = folder.path();
    return path;
}

void BM_ReadAndDecipherFloor(benchmark::State& state) {
    const std::string path = FullDisk();
    for (auto _ : state) {
        std::string bytes;
        qv::ReadFileBytes(path, bytes);
        const std::vector<std::string_view> lines = qv::SplitLines(bytes);
        size_t total = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string plain = qv::DecodeLine(static_cast<int>(i), std::string(lines[i]));
            total += plain.size();
            benchmark::DoNotOptimize(plain.data());
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadAndDecipherFloor)->Unit(benchmark::kMillisecond);

void BM_StartupCheckOnly(benchmark::State& state) {
    FullDisk();
    qv::StartingUp = true;
    for (auto _ : state)
        if (!qv::LoadSongList2()) state.SkipWithError("check refused the full disk");
    qv::StartingUp = false;
}
BENCHMARK(BM_StartupCheckOnly)->Unit(benchmark::kMillisecond);

// What start-up does with the song list: the check, then the load into the table.
void CheckAndLoad(benchmark::State& state, const std::string& path) {
    if (!qv::LoadSongList2()) state.SkipWithError("check refused the full disk");
    qv::LoadingSongs = true;
    if (!qv::LoadAllSong(path)) state.SkipWithError("load failed");
    qv::LoadingSongs = false;
}

void BM_StartupCheckAndLoad(benchmark::State& state) {
    const std::string path = FullDisk();
    qv::StartingUp = true;
    for (auto _ : state) {
        CheckAndLoad(state, path);
        state.PauseTiming();
        // Each start begins with an empty table, as the program does.
        if (qv::AllSongCount != qv::bench::kFullDiskSongs) state.SkipWithError("wrong row count");
        std::vector<qv::SongRow>().swap(qv::AllSong);
        std::vector<int>().swap(qv::ShownRows);
        qv::SingerDisplayList.clear();  // start-up builds it from the shipped singer.bin: no singers
        qv::SingerDisplayLanguages.clear();
        qv::AllSongCount = 0;
        state.ResumeTiming();
    }
    qv::StartingUp = false;
}
BENCHMARK(BM_StartupCheckAndLoad)->Unit(benchmark::kMillisecond);

// The same with the table's memory kept from the previous load (no fresh pages to fault in).
void BM_StartupCheckAndReload(benchmark::State& state) {
    const std::string path = FullDisk();
    qv::StartingUp = true;
    for (auto _ : state) CheckAndLoad(state, path);
    qv::StartingUp = false;
}
BENCHMARK(BM_StartupCheckAndReload)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
