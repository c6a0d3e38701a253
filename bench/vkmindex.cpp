// The whole VKM index set of the full disk (79,920 songs, a media file each, duets split into their
// singers), the writer's two pauses left out; with the shipped character table, so every song and singer
// gets its reading keys.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchLibrary.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/SongFiles.h"
#include "outputs/IndexCommon.h"
#include "outputs/VkmIndex.h"
#include "resources/ShippedData.h"
#include "settings/Settings.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

void BM_VkmIndexFullDisk(benchmark::State& state) {
    bench::TempFolder folder;
    AppDir = LibraryRoot = folder.path();
    BuildLineCipherTables();
    ReplaceFileContents(folder.path() + "/singer.bin", ShippedSingerBin());
    LoadSingerBin();
    AllSong.clear();
    for (const FieldList& f : bench::FullLibrarySongs()) {
        SongRow row{};
        for (size_t c = 0; c < f.size(); ++c) row[c] = f[c];
        AllSong.push_back(row);
    }
    AllSongCount = static_cast<int>(AllSong.size());
    for (const SongRow& row : AllSong) {
        const std::string dir = SongFolderOf(row[colSongNo]);
        fs::create_directories(dir);
        std::ofstream(dir + "/" + MediaItemName(row[colSongNo], row[colVolume], row[colChannel], ".mpg"));
    }
    fs::create_directories(folder.path() + "/000");
    LibraryDataDirOk = true;
    setup::PingYing = 0;
    IndexPausesEnabled = false;
    for (auto _ : state) WriteVkmIndex();
    IndexPausesEnabled = true;
    state.counters["songs"] = AllSongCount;
    state.counters["okdata_bytes"] = static_cast<double>(fs::file_size(folder.path() + "/000/okdata.vkm"));
    AllSong.clear();
    AllSongCount = 0;
    ShownRows.clear();
    LibraryDataDirOk = false;
}
BENCHMARK(BM_VkmIndexFullDisk)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
