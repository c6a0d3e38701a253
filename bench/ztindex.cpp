// The whole ZT index set of the synthetic full disk (79,920 songs, every media file present), without the
// run's two 1 s pauses; the song table and the singer table are loaded once.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchLibrary.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/SongFiles.h"
#include "outputs/IndexCommon.h"
#include "outputs/ZtIndex.h"
#include "resources/ShippedData.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

void ZtIndexFullDisk(benchmark::State& state) {
    bench::TempFolder folder;
    bench::PrepareFullDiskWithMedia(folder.path());
    IndexPausesEnabled = false;
    for (auto _ : state) {
        if (!WriteZtIndex()) state.SkipWithError("the run failed");
    }
    state.counters["songs"] = AllSongCount;
}
BENCHMARK(ZtIndexFullDisk)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
