// Importing a list of 10,000 songs with small media files, against the floor of copying those files alone
// into numbered folders. "Own" leaves out the song list's ".bak" copy and pause before each record
// (StartingUp skips both), as the other adding benchmarks do.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "outputs/SongListExchange.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

constexpr int kListSongs = 10000;

// The first 10,000 songs of the full disk as a plain list, with a 4 KiB media file each.
std::string WriteSourceList(const std::string& folder) {
    std::vector<FieldList> songs = bench::FullLibrarySongs();
    songs.resize(kListSongs);
    std::vector<std::string> lines;
    for (const FieldList& song : songs) {
        lines.push_back(JoinSongRecord(song));
        const std::string songFolder = folder + "/" + song[colSongNo].substr(0, 3);
        fs::create_directories(songFolder);
        std::ofstream(songFolder + "/" + song[colSongNo] + ".mpg", std::ios::binary)
            << std::string(4096, 'm');
    }
    const std::string path = folder + "/list.txt";
    ReplaceFileContents(path, JoinLinesCrLf(lines));
    return path;
}

void ClearLibrary(const std::string& root) {
    for (const auto& entry : fs::directory_iterator(root)) fs::remove_all(entry.path());
    AllSong.clear();
    AllSongCount = 0;
    ShownRows.clear();
}

void BM_Import10000Own(benchmark::State& state) {
    bench::TempFolder source, library;
    const std::string list = WriteSourceList(source.path());
    AppDir = LibraryRoot = library.path();
    for (auto _ : state) {
        state.PauseTiming();
        ClearLibrary(library.path());
        StartingUp = true;
        state.ResumeTiming();
        ImportSongList2(list);
    }
    // The synthetic disk repeats a few name, singer and language triples: those are skipped as duplicates.
    state.counters["imported"] = AllSongCount;
    StartingUp = false;
}
BENCHMARK(BM_Import10000Own)->Unit(benchmark::kMillisecond)->Iterations(3);

// The copies alone: the same files into the same numbered folders through the same copy routine.
void BM_CopyFloor10000(benchmark::State& state) {
    bench::TempFolder source, library;
    WriteSourceList(source.path());
    for (auto _ : state) {
        state.PauseTiming();
        ClearLibrary(library.path());
        state.ResumeTiming();
        for (int i = 0; i < kListSongs; ++i) {
            char folder[4], no[6];
            std::snprintf(folder, sizeof folder, "%03d", i / 80 + 1);
            std::snprintf(no, sizeof no, "%s%02d", folder, i % 80 + 1);
            const std::string target = library.path() + "/" + folder;
            fs::create_directory(target);
            CopyFileWithProgress(source.path() + "/" + folder + "/" + no + ".mpg", target + "/" + no + ".mpg",
                                 false);
        }
    }
}
BENCHMARK(BM_CopyFloor10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
