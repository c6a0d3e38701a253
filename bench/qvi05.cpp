// The QVi05 database of the synthetic full disk (79,920 songs, a media file each, and the singer table of
// their distinct singers) as a user meets it: the first run in a fresh process of the program, with its
// main window (offscreen) and the window's progress bar. The floor, timed in the same repetition: the
// command-line `sqlite3` importing the same rows (exported from the database the run wrote) into an empty
// database of the same tables, in one transaction.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/FreshRun.h"

using namespace qv;

namespace {

constexpr char MenuItem[] = "XVorelKTV1";

double ImportFloorMillis(const std::string& disk) {
    const std::string work = disk + "/floor", database = disk + "/000/qvi05.data";
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    std::filesystem::create_directory(work, ec);
    // The rows and an empty database of the same tables, made untimed.
    const std::string prepare =
        "cd '" + work + "' && sqlite3 -csv '" + database + "' 'SELECT * FROM ktv_song' > songs.csv && " +
        "sqlite3 -csv '" + database + "' 'SELECT * FROM ktv_singer' > singers.csv && sqlite3 '" + database +
        "' .schema | sqlite3 empty.data && printf '.mode csv\\nBEGIN;\\n.import songs.csv ktv_song\\n" +
        ".import singers.csv ktv_singer\\nCOMMIT;\\n' > import.sql";
    if (bench::CommandMillis(prepare) < 0) return -1;
    const double millis = bench::CommandMillis("cd '" + work + "' && sqlite3 empty.data < import.sql");
    std::filesystem::remove_all(work, ec);
    return millis;
}

void Qvi05FirstRun(benchmark::State& state) {
    const std::string& disk = bench::FullDiskFolder(MenuItem);
    bench::TimeFirstRun(state, MenuItem, disk, [&] { return ImportFloorMillis(disk); });
}
BENCHMARK(Qvi05FirstRun)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return bench::FreshRunBenchmarkMain(argc, argv); }
