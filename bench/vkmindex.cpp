// The whole VKM index set of the full disk (79,920 songs, a media file each, duets split into their
// singers), the writer's two pauses left out, on a program folder opened by the program's own start-up.
// The floor: copying the index folder that the run leaves (the same files) into a fresh folder.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/BenchLibrary.h"
#include "catalogue/SongTable.h"
#include "outputs/IndexCommon.h"
#include "outputs/VkmIndex.h"

using namespace qv;

namespace {

void BM_VkmIndexFullDisk(benchmark::State& state) {
    bench::TempFolder folder;
    bench::PrepareFullDiskWithMedia(folder.path());
    IndexPausesEnabled = false;
    for (auto _ : state) {
        std::filesystem::remove(folder.path() + "/000/okdata.vkm");  // the run's success shows as this file
        WriteVkmIndex();
        if (!std::filesystem::exists(folder.path() + "/000/okdata.vkm")) state.SkipWithError("the run failed");
    }
    state.counters["songs"] = AllSongCount;
    state.counters["okdata_bytes"] =
        static_cast<double>(std::filesystem::file_size(folder.path() + "/000/okdata.vkm"));
    state.counters["copy_floor_ms"] = bench::CopyTreeMillis(folder.path() + "/000", folder.path() + "/copy");
}
BENCHMARK(BM_VkmIndexFullDisk)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
