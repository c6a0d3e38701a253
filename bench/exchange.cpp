// Importing a list of 1,000 and of 10,000 songs (a 4 KiB media file each) into a library of 69,920 songs,
// as a user meets it: every repetition is a fresh process on a fresh copy of the library, which opens it
// with the real main window (offscreen) and its whole start-up, then runs the import with the window's own
// progress bar, completion box and grid refresh. Reported in parts:
//  - Import/1000, Import/10000: the program's own share. The song list's ".bak" copy and the pause that
//    precede each new record are left out; ms_per_song is the median time per song of the list.
//    floor_ms_per_song is the median of copying the same media files alone (plain reads and writes into
//    the same numbered folders on the same file system), timed in the same process beside each import
//    (after it in the odd repetitions, before it in the even ones); ratio is the median of each
//    repetition's import over its floor. The folders of every repetition stay until the end: a file
//    system slows the making of files while many were lately deleted, and that would fall on the next
//    repetition.
//  - Import20WithSafetyCopies: 20 songs as a user's run adds them, the ".bak" copy and pause included;
//    ms_per_song less the own share is what each record's safety copy and pause cost.
//  - SafetyCopyAlone: one copy of the library's song list to its ".bak" (the copy part of that cost).
// load_avg is the one-minute load average at the start of the repetitions (median).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/QtUserInterface.h"
#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "outputs/SongListExchange.h"
#include "platform/ServerHosts.h"
#include "tools/SampleLibrary.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

constexpr int kLibrarySongs = 69920;
constexpr int kMostListSongs = bench::kFullDiskSongs - kLibrarySongs;  // 10,000
constexpr const char* kRepetitionFlag = "--one-repetition";

using Clock = std::chrono::steady_clock;

double MillisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The list's song numbers (the full disk's songs after the library's).
std::vector<std::string> ListNumbers(int count) {
    static const std::vector<FieldList> songs = bench::FullLibrarySongs();
    std::vector<std::string> numbers;
    for (int i = kLibrarySongs; i < kLibrarySongs + count; ++i)
        numbers.push_back(songs[static_cast<size_t>(i)][colSongNo]);
    return numbers;
}

// The first `count` songs after the library's as a plain list in the folder, with a 4 KiB media file each.
std::string WriteSourceList(const std::string& folder, int count) {
    const std::vector<FieldList> songs = bench::FullLibrarySongs();
    std::vector<std::string> lines;
    for (int i = kLibrarySongs; i < kLibrarySongs + count; ++i) {
        const FieldList& song = songs[static_cast<size_t>(i)];
        lines.push_back(JoinSongRecord(song));
        const std::string songFolder = folder + "/" + song[colSongNo].substr(0, 3);
        fs::create_directories(songFolder);
        std::ofstream(songFolder + "/" + song[colSongNo] + ".mpg", std::ios::binary)
            << std::string(4096, 'm');
    }
    const std::string path = folder + "/list.txt";
    ReplaceFileContents(path, JoinLinesCrLf(lines));
    return path;
}

// ---- one repetition, in its own process ----

// The floor: each media file of the list copied into its numbered folder under `to` with plain reads and
// writes, nothing else.
bool CopyMediaAlone(const std::string& listFolder, const std::string& to, int songs) {
    std::set<std::string> folders;
    std::vector<char> buffer(1 << 20);
    for (const std::string& no : ListNumbers(songs)) {
        const std::string folder = to + "/" + no.substr(0, 3);
        if (folders.insert(folder).second && ::mkdir(folder.c_str(), 0755) != 0) return false;
        const std::string name = "/" + no.substr(0, 3) + "/" + no + ".mpg";
        const int in = ::open((listFolder + name).c_str(), O_RDONLY | O_CLOEXEC);
        const int out = ::open((to + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        bool copied = in >= 0 && out >= 0;
        for (ssize_t n; copied && (n = ::read(in, buffer.data(), buffer.size())) != 0;)
            copied = n > 0 && ::write(out, buffer.data(), static_cast<size_t>(n)) == n;
        if (in >= 0) ::close(in);
        if (out >= 0 && ::close(out) != 0) copied = false;
        if (!copied) return false;
    }
    return true;
}

// argv: flag, "own" or "safety", library folder, list path, songs, floor folder, "floor-first" or
// "floor-after". Prints the import's and the floor's milliseconds and the songs imported; exit status 0
// when all went as planned.
int RunOneRepetition(int argc, char** argv) {
    if (argc != 8) return 2;
    const bool own = std::string(argv[2]) == "own";
    const std::string library = argv[3], list = argv[4], floorFolder = argv[6];
    const int songs = std::atoi(argv[5]);
    const bool floorFirst = std::string(argv[7]) == "floor-first";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SetMakerServers({"127.0.0.1:9", "127.0.0.1:9", "127.0.0.1:9"});
    QApplication app(argc, argv);
    fs::current_path(library);
    auto form = std::make_unique<TMainForm>();
    form->resize(1024, 700);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()) || AllSongCount != kLibrarySongs) return 3;
    // The completion box is closed as soon as it shows: a user's click, without the user.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    closer.start(1);

    double floorMs = 0;
    const auto timeFloor = [&] {
        const Clock::time_point floorStart = Clock::now();
        const bool copied = CopyMediaAlone(fs::path(list).parent_path().string(), floorFolder, songs);
        floorMs = MillisSince(floorStart);
        return copied;
    };
    if (floorFirst && !timeFloor()) return 4;
    StartingUp = own;
    const Clock::time_point start = Clock::now();
    bool done = false;
    {
        AbandonableRun run;  // as the menu runs its commands
        done = ImportSongList2(list);
    }
    const double importMs = MillisSince(start);
    StartingUp = false;
    closer.stop();
    const int imported = AllSongCount - kLibrarySongs;

    if (!floorFirst && !timeFloor()) return 4;
    std::printf("%.3f %.3f %d\n", importMs, floorMs, imported);
    std::fflush(stdout);
    form.reset();
    return done ? 0 : 5;
}

// ---- the parent: fresh folders, one child per repetition ----

struct Repetition {
    double importMs = 0, floorMs = 0;
    int imported = 0;
};

bool SpawnRepetition(const std::vector<std::string>& args, Repetition& result) {
    int status = 0;
    const std::string text = bench::RunSelfAgain(args, status);
    if (!bench::ExitedCleanly(status)) return false;
    std::istringstream(text) >> result.importMs >> result.floorMs >> result.imported;
    return result.importMs > 0;
}

// The list of `songs` songs, written once per process.
const std::string& SourceList(int songs) {
    static bench::TempFolder folder;
    static std::map<int, std::string> lists;
    auto it = lists.find(songs);
    if (it == lists.end())
        it = lists.emplace(songs, WriteSourceList(folder.path() + "/" + std::to_string(songs), songs)).first;
    return it->second;
}

// The library's song list, written once per process.
const std::string& LibrarySongList() {
    static bench::TempFolder folder;
    static const std::string path = [] {
        sample::WriteSongList(folder.path(), kLibrarySongs);
        return folder.path() + "/song.qv2";
    }();
    return path;
}

void TimeImports(benchmark::State& state, int songs, bool own) {
    const std::string& list = SourceList(songs);
    std::vector<double> perSong, floorPerSong, ratios, loads;
    std::vector<std::unique_ptr<bench::TempFolder>> folders;  // removed once every repetition ran
    int imported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string& library = folders.emplace_back(std::make_unique<bench::TempFolder>())->path();
        const std::string& floor = folders.emplace_back(std::make_unique<bench::TempFolder>())->path();
        fs::copy_file(LibrarySongList(), library + "/song.qv2");
        loads.push_back(bench::LoadAverage());
        Repetition run;
        const char* order = perSong.size() % 2 == 0 ? "floor-after" : "floor-first";
        if (!SpawnRepetition({kRepetitionFlag, own ? "own" : "safety", library, list,
                              std::to_string(songs), floor, order},
                             run)) {
            state.SkipWithError("the repetition's process failed");
            break;
        }
        state.SetIterationTime(run.importMs / 1000.0);
        perSong.push_back(run.importMs / songs);
        floorPerSong.push_back(run.floorMs / songs);
        ratios.push_back(run.importMs / run.floorMs);
        imported = run.imported;
        state.ResumeTiming();
    }
    // The synthetic disk repeats a few name, singer and language triples: those are skipped as duplicates.
    state.counters["imported"] = imported;
    state.counters["ms_per_song"] = bench::Median(perSong);
    state.counters["floor_ms_per_song"] = bench::Median(floorPerSong);
    state.counters["ratio"] = bench::Median(ratios);
    state.counters["load_avg"] = bench::Median(loads);
}

void BM_Import(benchmark::State& state) { TimeImports(state, static_cast<int>(state.range(0)), true); }
BENCHMARK(BM_Import)
    ->Arg(1000)
    ->Arg(kMostListSongs)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

void BM_Import20WithSafetyCopies(benchmark::State& state) { TimeImports(state, 20, false); }
BENCHMARK(BM_Import20WithSafetyCopies)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_SafetyCopyAlone(benchmark::State& state) {
    bench::TempFolder library;
    sample::WriteSongList(library.path(), kLibrarySongs);
    const std::string path = library.path() + "/song.qv2";
    for (auto _ : state) CopyWholeFile(path, path + ".bak", true);
    state.counters["song_list_bytes"] = static_cast<double>(fs::file_size(path));
}
BENCHMARK(BM_SafetyCopyAlone)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kRepetitionFlag) return RunOneRepetition(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
