// Adding and deleting songs on a real disk. "Own" runs leave out the song list's ".bak" copy and
// 100 ms pause before each record written (StartingUp skips both); "with pauses" runs keep them.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchLibrary.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "library/AddSong.h"
#include "library/DiskFiles.h"
#include "library/SongFiles.h"
#include "settings/Settings.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

constexpr int kBatchFiles = 1000;

void ResetTable() {
    AllSong.clear();
    AllSongCount = 0;
    ShownRows.clear();
    SingerDisplayList.clear();
    SingerDisplayLanguages.clear();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// 1,000 small media files named "name_singer_sex_language" (name form 1) of one known singer.
AddPanel BatchPanel(const std::string& root) {
    AddPanel panel;
    panel.folder = root + "/src";
    fs::create_directories(panel.folder);
    for (int i = 0; i < kBatchFiles; ++i) {
        const std::string path = panel.folder + "/歌" + std::to_string(i) + "_張三_男_國語.mpg";
        WriteFile(path, std::string(4096, 'm'));
        panel.selectedFiles.push_back(path);
    }
    return panel;
}

void BatchAdd(benchmark::State& state, bool withPauses) {
    bench::TempFolder folder;
    AppDir = LibraryRoot = folder.path();
    setup::SongNameFormat = 1;
    const AddPanel panel = BatchPanel(folder.path());
    for (auto _ : state) {
        state.PauseTiming();
        ResetTable();
        AddSingerDisplayEntry(Utf8ToBig5("張三"), 1, 1);
        for (const auto& e : fs::directory_iterator(folder.path()))
            if (e.path().filename() != "src") fs::remove_all(e.path());
        StartingUp = !withPauses;
        state.ResumeTiming();
        const BatchAddResult result = AddSongsInBatch(panel);
        if (result.succeeded.size() != kBatchFiles) state.SkipWithError("not every file was added");
    }
    StartingUp = false;
    state.counters["songs"] = kBatchFiles;
}

void BM_BatchAdd1000Own(benchmark::State& state) { BatchAdd(state, false); }
BENCHMARK(BM_BatchAdd1000Own)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BatchAdd1000WithPauses(benchmark::State& state) { BatchAdd(state, true); }
BENCHMARK(BM_BatchAdd1000WithPauses)->Unit(benchmark::kMillisecond)->Iterations(1);

// The full disk's table and "song.qv2", with media files in folder 500 (the songs deleted) and in folders
// 998 and 999 (the last songs, which move into the freed numbers).
void DeleteFromFullDisk(benchmark::State& state, bool withPauses) {
    bench::TempFolder folder;
    AppDir = LibraryRoot = folder.path();
    bench::WriteFullLibrary(folder.path());
    ResetTable();
    LoadingSongs = true;
    {
        SingerDisplayBatch batch;
        for (const FieldList& f : bench::FullLibrarySongs()) AddSongRow(f);
    }
    LoadingSongs = false;
    fs::create_directories(folder.path() + "/000");
    for (const char* ddd : {"500", "998", "999"}) {
        fs::create_directories(folder.path() + "/" + ddd);
        for (int r = 0; r < AllSongCount; ++r) {
            const SongRow& row = AllSong[r];
            if (row[colSongNo].compare(0, 3, ddd) != 0) continue;
            const std::string name = MediaItemName(row[colSongNo], row[colVolume], row[colChannel], ".mpg");
            WriteFile(folder.path() + "/" + ddd + "/" + name, std::string(4096, 'm'));
        }
    }
    StartingUp = !withPauses;
    int next = 1;
    for (auto _ : state) {
        const std::string songNo = "500" + std::string(next < 10 ? "0" : "") + std::to_string(next);
        ++next;
        if (!DeleteSongCompact(songNo)) state.SkipWithError("delete failed");
    }
    StartingUp = false;
    ResetTable();
}

void BM_DeleteOneOfFullDiskOwn(benchmark::State& state) { DeleteFromFullDisk(state, false); }
BENCHMARK(BM_DeleteOneOfFullDiskOwn)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_DeleteOneOfFullDiskWithPauses(benchmark::State& state) { DeleteFromFullDisk(state, true); }
BENCHMARK(BM_DeleteOneOfFullDiskWithPauses)->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace

BENCHMARK_MAIN();
