#pragma once
// A command's run as a user meets it: the first run in a fresh process of the program, with its main window
// (offscreen) and the window's own progress bar, wait window and boxes. The benchmark program starts itself
// again as that process for every repetition; the floor is timed by the benchmark beside it.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

#include "bench/BenchLibrary.h"

namespace qv::bench {

// What one fresh process reports.
struct FreshRunResult {
    bool ok = false;
    double runMillis = 0;  // from the menu command's choice to its closing box
    double endMillis = 0;  // from the end request to the abandoned run (when one was made in time)
    bool abandoned = false;
    std::string note;  // why it failed, or the text of an unexpected box
};

// Runs the menu item (its action's name, e.g. "ZT2") once in a fresh process started in the program folder;
// the index runs' two 1 s pauses are left out. endAfterMillis >= 0: the end is requested that long after
// the choice (as a signal's handler does) and the run is timed to its abandonment.
FreshRunResult RunInFreshProcess(const std::string& menuItem, const std::string& folder,
                                 double endAfterMillis = -1);

// main() of these benchmarks: the fresh process's part when the program was started as one (see
// RunInFreshProcess), else the benchmarks.
int FreshRunBenchmarkMain(int argc, char** argv);

// The full disk (79,920 songs, a media file each) as a program folder, made once per benchmark program and
// removed at its end. The menu item is run there once first, so that every timed run replaces a set.
const std::string& FullDiskFolder(const std::string& warmUpItem);

// One repetition (the benchmark runs with Iterations(1) and UseManualTime): the menu item's run in a fresh
// process is the repetition's time; the floor is timed right after it. Counters: floor_ms, ratio (run over
// floor) and load_avg (one minute, at the end of the repetition).
void TimeFirstRun(benchmark::State& state, const std::string& menuItem, const std::string& folder,
                  const std::function<double()>& floorMillis);

// The floor of an index set: `cp -r` of the program folder's index folder "000" into a fresh folder, plus a
// `find` over the folder, in milliseconds (-1 when either failed); the copy is removed untimed.
double CopyAndFindMillis(const std::string& folder);

// One benchmark run (Iterations(1)) of MeasureEndLatency over a run of the menu item timed first: the
// longest way from the request to the abandoned run is the time; counters median_ms, max_ms, samples and
// load_avg. Meant for a loaded machine (busy loops beside it).
void TimeEndRequests(benchmark::State& state, const std::string& menuItem, const std::string& folder,
                     const std::string& markedFile);

// The end request's way to the abandoned run, tried at offsets spread over a whole run (runMillis), each in a
// fresh process. Before each, markedFile (a file of the index set) is overwritten, so that the previous set
// differs from the new one; an abandoned run must leave its folder as it was, or (asked to end after its
// commit) as the set the folder holds at the call. No samples when something went wrong, with the reason.
struct EndLatency {
    std::vector<double> millis;
    std::string failure;
};
EndLatency MeasureEndLatency(const std::string& menuItem, const std::string& folder,
                             const std::string& markedFile, double runMillis);

}  // namespace qv::bench
