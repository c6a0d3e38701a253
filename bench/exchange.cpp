// Importing a list of 10,000 songs (a 4 KiB media file each) into a library of 69,920 songs opened by the
// program's own start-up, reported in parts:
//  - Import10000Own: the program's own share. StartingUp leaves out the song list's ".bak" copy and the
//    pause that precede each new record; ms_per_song is the median time per song.
//  - Import20WithSafetyCopies: 20 songs as a user's run adds them, the ".bak" copy and pause included;
//    ms_per_song less the own share is what each record's safety copy and pause cost.
//  - SafetyCopyAlone: one copy of the library's song list to its ".bak" (the copy part of that cost).
//  - CopyFloor10000: copying the same 10,000 media files alone into numbered folders.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "outputs/SongListExchange.h"
#include "tools/SampleLibrary.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

constexpr int kLibrarySongs = 69920;
constexpr int kListSongs = bench::kFullDiskSongs - kLibrarySongs;  // 10,000

// The last `count` songs of the full disk as a plain list, with a 4 KiB media file each.
std::string WriteSourceList(const std::string& folder, int count = kListSongs) {
    const std::vector<FieldList> songs = bench::FullLibrarySongs();
    std::vector<std::string> lines;
    for (size_t i = kLibrarySongs; i < kLibrarySongs + static_cast<size_t>(count); ++i) {
        const FieldList& song = songs[i];
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

// The library of the first 69,920 songs, opened by start-up; Restore() brings it back to that state.
class Library {
public:
    Library() {
        sample::WriteSongList(folder_.path(), kLibrarySongs);
        if (!bench::StartProgramIn(folder_.path())) std::abort();
        ReadFileBytes(SongListPath(), songList_);
        singers_ = SingerDisplayList;
        singerLanguages_ = SingerDisplayLanguages;
    }
    void Restore() {
        AllSong.resize(kLibrarySongs);
        AllSongCount = kLibrarySongs;
        ShownRows.resize(kLibrarySongs);
        for (int r = 0; r < kLibrarySongs; ++r) ShownRows[static_cast<size_t>(r)] = r;
        SingerDisplayList = singers_;
        SingerDisplayLanguages = singerLanguages_;
        ReplaceFileContents(SongListPath(), songList_);
        for (int folder = kLibrarySongs / 80 + 1; folder <= 999; ++folder) {
            char name[4];
            std::snprintf(name, sizeof name, "%03d", folder);
            fs::remove_all(folder_.path() + "/" + name);
        }
    }
    const std::string& path() const { return folder_.path(); }

private:
    bench::TempFolder folder_;
    std::string songList_;
    std::vector<std::string> singers_, singerLanguages_;
};

Library& TheLibrary() {
    static Library library;
    return library;
}

// Imports the list into the restored library once per iteration, timed by hand (the restore is not);
// sets ms_per_song to the median time over the list's songs.
void TimeImports(benchmark::State& state, const std::string& list, int songs, bool safetyCopies) {
    Library& library = TheLibrary();
    std::vector<double> times;
    for (auto _ : state) {
        library.Restore();
        StartingUp = !safetyCopies;
        const auto start = std::chrono::steady_clock::now();
        ImportSongList2(list);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        times.push_back(took.count() * 1000.0);
    }
    StartingUp = false;
    std::sort(times.begin(), times.end());
    // The synthetic disk repeats a few name, singer and language triples: those are skipped as duplicates.
    state.counters["imported"] = AllSongCount - kLibrarySongs;
    state.counters["ms_per_song"] = times[times.size() / 2] / songs;
}

void BM_Import10000Own(benchmark::State& state) {
    bench::TempFolder source;
    TimeImports(state, WriteSourceList(source.path()), kListSongs, false);
}
BENCHMARK(BM_Import10000Own)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_Import20WithSafetyCopies(benchmark::State& state) {
    constexpr int kSongs = 20;
    bench::TempFolder source;
    TimeImports(state, WriteSourceList(source.path(), kSongs), kSongs, true);
}
BENCHMARK(BM_Import20WithSafetyCopies)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_SafetyCopyAlone(benchmark::State& state) {
    Library& library = TheLibrary();
    library.Restore();
    const std::string path = SongListPath();
    for (auto _ : state) CopyWholeFile(path, path + ".bak", true);
    state.counters["song_list_bytes"] = static_cast<double>(fs::file_size(path));
}
BENCHMARK(BM_SafetyCopyAlone)->Unit(benchmark::kMillisecond)->Iterations(20);

// The copies alone: the same files into the same numbered folders through the same copy routine.
void BM_CopyFloor10000(benchmark::State& state) {
    bench::TempFolder source, target;
    WriteSourceList(source.path());
    const std::vector<FieldList> songs = bench::FullLibrarySongs();
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& entry : fs::directory_iterator(target.path())) fs::remove_all(entry.path());
        state.ResumeTiming();
        for (int i = kLibrarySongs; i < bench::kFullDiskSongs; ++i) {
            const std::string& no = songs[static_cast<size_t>(i)][colSongNo];
            const std::string folder = target.path() + "/" + no.substr(0, 3);
            fs::create_directory(folder);
            CopyFileWithProgress(source.path() + "/" + no.substr(0, 3) + "/" + no + ".mpg",
                                 folder + "/" + no + ".mpg", false);
        }
    }
}
BENCHMARK(BM_CopyFloor10000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
