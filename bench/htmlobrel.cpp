// The offline HTML book of the synthetic full disk (79,920 songs) as the command writes it over the book
// of an earlier run: rows, pages, the work folder, its sync and the swap. The floor, measured between the
// runs: `cp -r` of the finished book into a fresh folder (from the page cache, not synced), and the same
// copy followed by a sync of its file system (`sync -f`). The icon request goes to a closed local port.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "outputs/HtmlObrel.h"
#include "platform/ServerHosts.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

double SecondsOf(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void OfflineBookFullDisk(benchmark::State& state) {
    bench::TempFolder folder;
    AppDir = LibraryRoot = folder.path();
    bench::LoadSongTable(bench::FullLibrarySongs());
    const CloudService saved = CloudSongBookService();
    SetCloudSongBookService({"", "", "", "http://127.0.0.1:9"});
    if (!WriteOfflineObrelBook()) state.SkipWithError("the first book failed");
    const std::string book = ObrelFolder(), copy = PathIn(folder.path(), "copy");
    double copySeconds = 0, syncedCopySeconds = 0, bookSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!WriteOfflineObrelBook()) state.SkipWithError("the book failed");
        bookSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        fs::remove_all(copy);
        copySeconds += SecondsOf("cp -r '" + book + "' '" + copy + "'");
        fs::remove_all(copy);
        syncedCopySeconds += SecondsOf("cp -r '" + book + "' '" + copy + "' && sync -f '" + copy + "'");
        fs::remove_all(copy);
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["pages"] = static_cast<double>(std::distance(fs::directory_iterator(book), {}));
    state.counters["cp_r_s"] = copySeconds / runs;
    state.counters["cp_r_sync_s"] = syncedCopySeconds / runs;
    state.counters["ratio_to_cp_r"] = bookSeconds / copySeconds;
    state.counters["ratio_to_cp_r_sync"] = bookSeconds / syncedCopySeconds;
    SetCloudSongBookService(saved);
    AllSong.clear();
    AllSongCount = 0;
    AppDir = LibraryRoot = ".";
}
BENCHMARK(OfflineBookFullDisk)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
