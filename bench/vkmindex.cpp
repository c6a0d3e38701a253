// The VKM index set of the synthetic full disk (79,920 songs, a media file each, duets split into their
// singers) as a user meets it: the first run in a fresh process of the program, with its main window
// (offscreen) and the window's progress bar, the run's two 1 s pauses left out. The floor, timed in the
// same repetition: `cp -r` of the set the run wrote and a `find` over the disk (the run lists every song
// folder). Then the way from an end request to the abandoned run, at moments spread over a run.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/FreshRun.h"

using namespace qv;

namespace {

constexpr char MenuItem[] = "ZT1";

void VkmIndexFirstRun(benchmark::State& state) {
    const std::string& disk = bench::FullDiskFolder(MenuItem);
    bench::TimeFirstRun(state, MenuItem, disk, [&] { return bench::CopyAndFindMillis(disk); });
}
BENCHMARK(VkmIndexFirstRun)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The way from an end request (a logout) to the abandoned run, at twelve moments spread over a run.
void VkmIndexEndRequest(benchmark::State& state) {
    const std::string& disk = bench::FullDiskFolder(MenuItem);
    bench::TimeEndRequests(state, MenuItem, disk, disk + "/000/index.vkm");
}
BENCHMARK(VkmIndexEndRequest)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return bench::FreshRunBenchmarkMain(argc, argv); }
