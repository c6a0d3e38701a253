#include "bench/FreshRun.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "app/MainForm.h"
#include "bench/BenchLibrary.h"
#include "app/QtUserInterface.h"
#include "catalogue/UserInterface.h"
#include "library/Startup.h"
#include "outputs/IndexCommon.h"
#include "platform/ServerHosts.h"
#include "tools/SampleLibrary.h"

namespace qv::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char ChildFlag[] = "--qv-fresh-run";

double MillisBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The first box of the run is answered as soon as it shows; when it showed is what the user waited for.
class BoxAnswerer final : public QObject {
public:
    bool shown = false;
    Clock::time_point shownAt;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::string text;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(object);
        if (box && event->type() == QEvent::Show) {
            if (!shown) {
                shownAt = Clock::now();
                shown = true;
                icon = box->icon();
                text = box->text().toStdString();
            }
            QTimer::singleShot(0, box, [box] { box->done(0); });
        }
        return false;
    }
};

int RunChild(int argc, char** argv) {
    const std::string item = argv[2];
    const double endAfter = argc > 4 ? std::atof(argv[4]) : -1;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SetMakerServers({"127.0.0.1:9", "127.0.0.1:9", "127.0.0.1:9"});  // refused at once: no wait
    fs::current_path(argv[3]);
    int appArgc = 1;
    QApplication app(appArgc, argv);
    StartSongListPreload();  // as the program does before making its window
    TMainForm form;
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    auto* action = form.findChild<QAction*>(QString::fromStdString(item));
    if (!action || !action->isEnabled()) {
        std::printf("note no enabled menu item %s\n", item.c_str());
        return 3;
    }
    IndexPausesEnabled = false;
    BoxAnswerer boxes;
    app.installEventFilter(&boxes);
    bool abandoned = false;
    Clock::time_point abandonedAt;
    SetAbandonedRunHandler([&] {
        abandonedAt = Clock::now();
        abandoned = true;
    });

    std::atomic<bool> requested{false};
    Clock::time_point requestedAt;
    const Clock::time_point start = Clock::now();
    std::thread requester;
    if (endAfter >= 0)
        requester = std::thread([&] {
            std::this_thread::sleep_until(start +
                                          std::chrono::microseconds(static_cast<long>(endAfter * 1000)));
            requestedAt = Clock::now();
            requested = true;
            RequestEnd();
        });
    action->trigger();
    const Clock::time_point returned = Clock::now();
    if (requester.joinable()) requester.join();

    if (abandoned) {
        std::printf("end_ms %.3f\n", MillisBetween(requestedAt, abandonedAt));
    } else if (boxes.shown && boxes.icon == QMessageBox::NoIcon) {
        std::printf("run_ms %.3f\n", MillisBetween(start, boxes.shownAt));
    } else if (boxes.shown) {
        std::printf("note unexpected box: %s\n", boxes.text.c_str());
    } else if (requested) {
        // The request came after the run's last step: nothing to time.
        std::printf("finished_ms %.3f\n", MillisBetween(start, returned));
    } else {
        std::printf("note the run showed no box\n");
    }
    std::fflush(nullptr);
    // As the program ends: the rest of the teardown is left to the system (and the closing questions are
    // not asked).
    std::_Exit(0);
}

// Every file under the folder with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files[it->path().string()] = bytes.str();
    }
    return files;
}

}  // namespace

int FreshRunBenchmarkMain(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == ChildFlag) return RunChild(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

FreshRunResult RunInFreshProcess(const std::string& menuItem, const std::string& folder,
                                 double endAfterMillis) {
    std::vector<std::string> args{ChildFlag, menuItem, folder};
    if (endAfterMillis >= 0) args.push_back(std::to_string(endAfterMillis));
    int status = 0;
    const std::string out = RunSelfAgain(args, status);
    FreshRunResult result;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "run_ms") {
            fields >> result.runMillis;
            result.ok = true;
        } else if (key == "end_ms") {
            fields >> result.endMillis;
            result.ok = result.abandoned = true;
        } else if (key == "finished_ms") {
            fields >> result.runMillis;
            result.ok = true;
        } else if (key == "note") {
            result.note = line.substr(5);
        }
    }
    if (!ExitedCleanly(status)) {
        result.ok = false;
        if (result.note.empty())
            result.note = "the fresh process failed (status " + std::to_string(status) + ")";
    }
    return result;
}

const std::string& FullDiskFolder(const std::string& warmUpItem) {
    static TempFolder folder;
    static const bool made =
        sample::WriteSampleLibrary(folder.path(), kFullDiskSongs, sample::SampleMedia::Empty) &&
        RunInFreshProcess(warmUpItem, folder.path()).ok;
    if (!made) {
        // abort() runs no destructor: the 79,920 files would stay in /tmp.
        std::error_code ec;
        fs::remove_all(folder.path(), ec);
        std::abort();
    }
    return folder.path();
}

void TimeFirstRun(benchmark::State& state, const std::string& menuItem, const std::string& folder,
                  const std::function<double()>& floorMillis) {
    // The floor goes after the run in one repetition and before it in the next: each then meets the file
    // system as the other left it (the files it just removed) equally often.
    static int repetition = 0;
    for (auto _ : state) {
        const bool floorFirst = repetition++ % 2 == 1;
        const double floorBefore = floorFirst ? floorMillis() : 0;
        const FreshRunResult run = RunInFreshProcess(menuItem, folder);
        if (!run.ok || run.runMillis <= 0) {
            state.SkipWithError(run.note.empty() ? "the run showed no closing box" : run.note.c_str());
            return;
        }
        state.SetIterationTime(run.runMillis / 1000);
        const double floor = floorFirst ? floorBefore : floorMillis();
        if (floor <= 0) {
            state.SkipWithError("the floor could not be timed");
            return;
        }
        state.counters["floor_ms"] = floor;
        state.counters["ratio"] = run.runMillis / floor;
        state.counters["load_avg"] = LoadAverage();
    }
}

void TimeEndRequests(benchmark::State& state, const std::string& menuItem, const std::string& folder,
                     const std::string& markedFile) {
    for (auto _ : state) {
        const FreshRunResult run = RunInFreshProcess(menuItem, folder);
        if (!run.ok || run.runMillis <= 0) {
            state.SkipWithError(run.note.empty() ? "the run showed no closing box" : run.note.c_str());
            return;
        }
        const EndLatency latency = MeasureEndLatency(menuItem, folder, markedFile, run.runMillis);
        if (latency.millis.empty()) {
            state.SkipWithError(latency.failure.empty() ? "no run was abandoned" : latency.failure.c_str());
            return;
        }
        const double longest = *std::max_element(latency.millis.begin(), latency.millis.end());
        state.SetIterationTime(longest / 1000);
        state.counters["median_ms"] = Median(latency.millis);
        state.counters["max_ms"] = longest;
        state.counters["samples"] = static_cast<double>(latency.millis.size());
        state.counters["load_avg"] = LoadAverage();
    }
}

double CopyAndFindMillis(const std::string& folder) {
    const std::string copy = folder + "/copy";
    std::error_code ec;
    fs::remove_all(copy, ec);
    const double copyMillis = CommandMillis("cp -r '" + folder + "/000' '" + copy + "'");
    fs::remove_all(copy, ec);
    const double findMillis = CommandMillis("find '" + folder + "' > /dev/null");
    return copyMillis < 0 || findMillis < 0 ? -1 : copyMillis + findMillis;
}

EndLatency MeasureEndLatency(const std::string& menuItem, const std::string& folder,
                             const std::string& markedFile, double runMillis) {
    constexpr int Offsets = 12;
    const std::string indexFolder = fs::path(markedFile).parent_path().string();
    // A request that comes after the commit finds the new set whole in place: that is the set as a run
    // that ended leaves it.
    const std::map<std::string, std::string> committed = Snapshot(indexFolder);
    EndLatency latency;
    for (int k = 0; k < Offsets && latency.failure.empty(); ++k) {
        // A run that ended makes the same bytes again: the previous set is told apart by this one file.
        std::ofstream(markedFile, std::ios::binary | std::ios::trunc) << "the previous set";
        const std::map<std::string, std::string> before = Snapshot(indexFolder);
        const FreshRunResult run = RunInFreshProcess(menuItem, folder, runMillis * (k + 0.5) / Offsets);
        if (!run.ok)
            latency.failure = run.note;
        else if (const auto after = run.abandoned ? Snapshot(indexFolder) : before;
                 after != before && after != committed)
            latency.failure = "an abandoned run left neither the previous set nor the new one";
        else if (run.abandoned)
            latency.millis.push_back(run.endMillis);
    }
    if (!latency.failure.empty()) latency.millis.clear();
    return latency;
}

}  // namespace qv::bench
