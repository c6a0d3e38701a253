// The ZT index set of the synthetic full disk (79,920 songs, every media file present) as a user meets it:
// the first run in a fresh process of the program, with its main window (offscreen) and the window's
// progress bar, the run's two 1 s pauses left out. The floor, timed in the same repetition: `cp -r` of the
// set the run wrote and a `find` over the disk (the run lists every song folder). Then the way from an end
// request to the abandoned run, at moments spread over a run.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/FreshRun.h"

using namespace qv;

namespace {

constexpr char MenuItem[] = "ZT2";

void ZtIndexFirstRun(benchmark::State& state) {
    const std::string& disk = bench::FullDiskFolder(MenuItem);
    bench::TimeFirstRun(state, MenuItem, disk, [&] { return bench::CopyAndFindMillis(disk); });
}
BENCHMARK(ZtIndexFirstRun)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The way from an end request (a logout) to the abandoned run, at twelve moments spread over a run.
void ZtIndexEndRequest(benchmark::State& state) {
    const std::string& disk = bench::FullDiskFolder(MenuItem);
    bench::TimeEndRequests(state, MenuItem, disk, disk + "/000/index.ztx");
}
BENCHMARK(ZtIndexEndRequest)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return bench::FreshRunBenchmarkMain(argc, argv); }
