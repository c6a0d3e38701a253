// The whole VKM index set of the full disk (79,920 songs, a media file each, duets split into their
// singers), the writer's two pauses left out; with the shipped character table, so every song and singer
// gets its reading keys.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongTable.h"
#include "outputs/IndexCommon.h"
#include "outputs/VkmIndex.h"
#include "settings/Settings.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

void BM_VkmIndexFullDisk(benchmark::State& state) {
    bench::TempFolder folder;
    bench::PrepareFullDiskWithMedia(folder.path());
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
