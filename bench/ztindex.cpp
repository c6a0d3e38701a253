// The whole ZT index set of the synthetic full disk (79,920 songs, every media file present), without the
// run's two 1 s pauses, on a program folder opened by the program's own start-up. The floor: copying the
// index folder that the run leaves (the same files) into a fresh folder.
#include <benchmark/benchmark.h>

#include "bench/BenchLibrary.h"
#include "catalogue/SongTable.h"
#include "outputs/IndexCommon.h"
#include "outputs/ZtIndex.h"

using namespace qv;

namespace {

void ZtIndexFullDisk(benchmark::State& state) {
    bench::TempFolder folder;
    bench::PrepareFullDiskWithMedia(folder.path());
    IndexPausesEnabled = false;
    for (auto _ : state) {
        if (!WriteZtIndex()) state.SkipWithError("the run failed");
    }
    state.counters["songs"] = AllSongCount;
    state.counters["copy_floor_ms"] = bench::CopyTreeMillis(folder.path() + "/000", folder.path() + "/copy");
}
BENCHMARK(ZtIndexFullDisk)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
