// Filling the QVi05 database from the full song disk: 79,920 songs, each with its media file in its
// numbered folder, and the singer table of their distinct singers.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
#include "library/Qvi05Template.h"
#include "library/SongFiles.h"
#include "outputs/Qvi05Database.h"
#include "resources/ShippedData.h"

using namespace qv;

namespace {

void BM_WriteQvi05Database(benchmark::State& state) {
    bench::TempFolder folder;
    AppDir = LibraryRoot = folder.path();
    std::filesystem::create_directories(PathIn(LibraryRoot, "000"));
    WriteQvi05Template(Qvi05DatabasePath());
    std::ofstream(PathIn(AppDir, "singer.bin"), std::ios::binary) << ShippedSingerBin();
    LoadSingerBin();

    LoadingSongs = true;  // nothing is written to a song list
    AllSong.clear();
    AllSongCount = 0;
    for (const FieldList& song : bench::FullLibrarySongs()) AddSongRow(song);
    LoadingSongs = false;
    for (const SongRow& row : AllSong) {
        const std::string songFolder = SongFolderOf(row[colSongNo]);
        std::filesystem::create_directories(songFolder);
        std::ofstream(PathIn(songFolder, row[colSongNo] + ".mpg")) << row[colSongNo];
    }

    bool filled = true;
    for (auto _ : state) filled = WriteQvi05Database() && filled;
    if (!filled) state.SkipWithError("the database was not filled");
    state.counters["songs"] = AllSongCount;
    AllSong.clear();
    AllSongCount = 0;
    AppDir = LibraryRoot = ".";
}
BENCHMARK(BM_WriteQvi05Database)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
