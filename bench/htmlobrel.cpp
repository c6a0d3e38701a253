// The offline HTML book of the synthetic full disk (79,920 songs) written over the book of an earlier
// run, as a user meets it: each repetition is a fresh process that loads the song table (not timed) and
// then writes the book through the program's own progress window and user interface, timed from the
// window's start to its end (without the pause it keeps for the eye). The floor, timed in the same
// repetition right after it: `cp -r` of the finished book into a fresh folder (from the page cache, not
// synced). Twice: on an idle file system, and while another program writes a large file to the same file
// system (`dd` of 512 MB with conv=fdatasync, over and over, for the whole repetition). The icon request
// goes to a closed local port.
// Reported per repetition and as medians: the run (the time column), floor_ms, ratio_to_floor and load1
// (the load average at the repetition's start).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "app/ObrelForm.h"
#include "app/QtUserInterface.h"
#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "outputs/HtmlObrel.h"
#include "platform/ServerHosts.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

constexpr const char* OneRunOption = "--one-run";

// The child: one book written in the folder as the menu command writes it; prints its milliseconds.
int OneRun(int argc, char** argv, const std::string& folder) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SetMakerServers({"127.0.0.1:9", "127.0.0.1:9", "127.0.0.1:9"});
    SetCloudSongBookService({"", "", "", "http://127.0.0.1:9"});
    AppDir = LibraryRoot = folder;
    bench::LoadSongTable(bench::FullLibrarySongs());
    QApplication app(argc, argv);
    QtUserInterface ui;
    SetUserInterface(&ui);
    int result = 0;
    qint64 ms = -1;
    {
        TObrelForm form;
        form.Timer1->setInterval(0);  // its pause after the run is for the eye, not work
        QElapsedTimer timer;
        timer.start();
        result = form.exec();
        ms = timer.elapsed();
    }
    SetUserInterface(nullptr);
    if (result != QDialog::Accepted || ms < 0) return 1;
    std::printf("%lld\n", static_cast<long long>(ms));
    return 0;
}

// Milliseconds of one run in a fresh process; negative when it failed.
double RunInFreshProcess(const std::string& folder) {
    int status = 0;
    const std::string out = bench::RunSelfAgain({OneRunOption, folder}, status);
    double ms = -1;
    if (!bench::ExitedCleanly(status) || !(std::istringstream(out) >> ms)) return -1;
    return ms;
}

// Another program writing a large file beside the book, over and over, until stopped; the file goes
// with it. Bounded in time as well, should this program end without stopping it.
class BackgroundWriter {
public:
    explicit BackgroundWriter(const std::string& file) : file_(file) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            const std::string loop = "while :; do dd if=/dev/zero of='" + file +
                                     "' bs=1M count=512 conv=fdatasync 2>/dev/null; done";
            ::execlp("timeout", "timeout", "600", "sh", "-c", loop.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid_ > 0) ::setpgid(pid_, pid_);
        // Its dirty pages pile up before the book starts, as when a copy is under way.
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    ~BackgroundWriter() {
        if (pid_ > 0) {
            ::kill(-pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ec;
        fs::remove(file_, ec);
    }
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

private:
    std::string file_;
    pid_t pid_ = -1;
};

void OfflineBookFreshProcess(benchmark::State& state) {
    const bool withWriter = state.range(0) != 0;
    bench::TempFolder folder;
    // The earlier book, by a process of its own.
    if (RunInFreshProcess(folder.path()) < 0) state.SkipWithError("the first book failed");
    const std::string bookPath = PathIn(folder.path(), "obrel"), copy = PathIn(folder.path(), "copy");
    for (auto _ : state) {
        state.counters["load1"] = bench::LoadAverage();
        std::unique_ptr<BackgroundWriter> writer;
        if (withWriter) writer = std::make_unique<BackgroundWriter>(PathIn(folder.path(), "writer.bin"));
        const double ms = RunInFreshProcess(folder.path());
        if (ms < 0) {
            state.SkipWithError("the book failed");
            break;
        }
        fs::remove_all(copy);
        const double floorMs = bench::CommandMillis("cp -r '" + bookPath + "' '" + copy + "'");
        fs::remove_all(copy);
        writer.reset();
        if (floorMs <= 0) {
            state.SkipWithError("the floor could not be timed");
            break;
        }
        state.SetIterationTime(ms / 1000);
        state.counters["floor_ms"] = floorMs;
        state.counters["ratio_to_floor"] = ms / floorMs;
    }
    std::error_code ec;
    state.counters["pages"] = static_cast<double>(std::distance(fs::directory_iterator(bookPath, ec), {}));
}
BENCHMARK(OfflineBookFreshProcess)
    ->ArgName("with_writer")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == OneRunOption) return OneRun(argc, argv, argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
