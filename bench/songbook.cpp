// Song books of the full song disk and of 1,000 songs, end to end as the menu command runs them:
// selection, pages, conversion, file. The first book of a fresh session (no profile, no converted
// template: both are made on the way) against a book of a later session (a new converter over the cache
// an earlier session left), with the floor: the bare conversion of the finished workbook. Each run also
// reports the peak resident memory of the program during the book, of the program before it, and of the
// converter's largest process, and the one-minute load average at its start.
#include <benchmark/benchmark.h>
#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench/BenchLibrary.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/Startup.h"
#include "outputs/SingerBook.h"
#include "outputs/SongBook.h"
#include "platform/LibreOffice.h"
#include "resources/ShippedData.h"
#include "settings/Settings.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

void LoadTable(int count) {
    static const std::vector<FieldList> songs = bench::FullLibrarySongs();
    bench::LoadSongTable(songs, static_cast<size_t>(count));
}

// Keeps the flat workbook handed over for the book: the input of the floor.
class KeepingConverter final : public FileConverter {
public:
    KeepingConverter(FileConverter& inner, std::string keep) : inner_(inner), keep_(std::move(keep)) {}
    bool Convert(const std::string& source, const std::string& target, const std::string& format,
                 const std::function<void(int)>& progress, int expectedSeconds) override {
        std::error_code ec;
        if (format == "xls") fs::copy_file(source, keep_, fs::copy_options::overwrite_existing, ec);
        return inner_.Convert(source, target, format, progress, expectedSeconds);
    }
    std::string CacheFolder() const override { return inner_.CacheFolder(); }
    std::string Name() const override { return inner_.Name(); }
    std::string Failure() const override { return inner_.Failure(); }

private:
    FileConverter& inner_;
    std::string keep_;
};

// What one start of the program holds: its converter and workbook over the cache folder.
struct Session {
    LibreOfficeConverter converter;
    KeepingConverter keeping;
    OdsWorkbook workbook;
    Session(const std::string& program, const std::string& cache, const std::string& keep)
        : converter(program, cache), keeping(converter, keep), workbook(&keeping) {
        SetSongBookEngine(&workbook);
        ExcelAvailable = true;
    }
    ~Session() {
        SetSongBookEngine(nullptr);
        ExcelAvailable = false;
    }
};

// A figure of /proc/<pid>/status ("VmHWM", "VmRSS") in MB; 0 when the process is gone.
// (Read as bytes: a stream throws when the process goes while it reads.)
double StatusMegabytes(const std::string& pid, const std::string& field) {
    std::string status;
    if (!ReadFileBytes("/proc/" + pid + "/status", status)) return 0;
    for (std::string_view line : SplitLines(status))
        if (line.starts_with(field + ":")) return std::atof(std::string(line.substr(field.size() + 1)).c_str()) / 1024.0;
    return 0;
}

// The program's peak resident memory starts again from what it holds now.
void ResetOwnPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Samples the peak resident memory of the converter's processes (every process whose command line names
// the cache folder, as the profile argument does) while a book is made; the largest process's peak.
class ConverterPeak {
public:
    explicit ConverterPeak(std::string cache) : cache_(std::move(cache)), sampler_([this] { Sample(); }) {}
    ~ConverterPeak() { Stop(); }
    double Stop() {
        done_ = true;
        if (sampler_.joinable()) sampler_.join();
        return peak_;
    }

private:
    void Sample() {
        while (!done_) {
            if (DIR* proc = ::opendir("/proc")) {
                while (const dirent* entry = ::readdir(proc)) {
                    const std::string pid = entry->d_name;
                    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
                    std::string line;
                    if (ReadFileBytes("/proc/" + pid + "/cmdline", line) && line.find(cache_) != std::string::npos)
                        peak_ = std::max(peak_.load(), StatusMegabytes(pid, "VmHWM"));
                }
                ::closedir(proc);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::string cache_;
    std::atomic<bool> done_{false};
    std::atomic<double> peak_{0};
    std::thread sampler_;
};

enum class Phase { Fresh, Later, Floor };

void RunBook(benchmark::State& state, bool singer, Phase phase) {
    const std::string program = LibreOfficeProgram();
    if (program.empty()) {
        state.SkipWithError("LibreOffice is not installed");
        return;
    }
    bench::TempFolder folder;
    AppDir = LibraryRoot = folder.path();
    LoadSettings();
    ReplaceFileContents(PathIn(AppDir, SongBookTemplateName), ShippedSongBookTemplate());
    ReplaceFileContents(PathIn(AppDir, SingerBookTemplateName), ShippedSingerBookTemplate());
    LoadTable(static_cast<int>(state.range(0)));
    const std::string cache = folder.path() + "/cache", flat = folder.path() + "/finished.fods";
    const std::string file = PathIn(AppDir, singer ? "歌手歌簿.xls" : "總歌簿.xls");
    auto command = [singer] {
        singer ? WriteSingerBookCommand(false) : WriteSongBookCommand(SongBookKind::All);
    };
    if (phase != Phase::Fresh) {
        // An earlier session: makes the profile, converts both templates and this book.
        Session earlier(program, cache, flat);
        if (!earlier.workbook.Open(PathIn(AppDir, singer ? SongBookTemplateName : SingerBookTemplateName))) {
            state.SkipWithError("the earlier session did not convert the other template");
            return;
        }
        command();
        if (!fs::exists(file) || !fs::exists(flat)) {
            state.SkipWithError("the earlier session did not write the book");
            return;
        }
    }
    fs::remove(file);
    double before = 0, programPeak = 0, converterPeak = 0;
    for (auto _ : state) {
        before = std::max(before, StatusMegabytes("self", "VmRSS"));
        state.counters["load_avg"] = bench::LoadAverage();
        ResetOwnPeak();
        ConverterPeak converterMemory(cache);
        if (phase == Phase::Floor) {
            LibreOfficeConverter converter(program, cache);
            if (!converter.Convert(flat, file, "xls", {}, 60))
                state.SkipWithError("the floor did not convert");
        } else {
            Session session(program, cache, flat);
            command();
        }
        converterPeak = std::max(converterPeak, converterMemory.Stop());
        programPeak = std::max(programPeak, StatusMegabytes("self", "VmHWM"));
    }
    state.counters["program_MB_before"] = before;
    state.counters["program_peak_MB"] = programPeak;
    state.counters["converter_peak_MB"] = converterPeak;
    if (!fs::exists(file)) state.SkipWithError("the book was not written");
    state.counters["bytes"] = static_cast<double>(fs::exists(file) ? fs::file_size(file) : 0);
    AppDir = LibraryRoot = ".";
}

void BM_SongBookFreshSession(benchmark::State& state) { RunBook(state, false, Phase::Fresh); }
void BM_SongBookLaterSession(benchmark::State& state) { RunBook(state, false, Phase::Later); }
void BM_SongBookFloor(benchmark::State& state) { RunBook(state, false, Phase::Floor); }
void BM_SingerBookFreshSession(benchmark::State& state) { RunBook(state, true, Phase::Fresh); }
void BM_SingerBookLaterSession(benchmark::State& state) { RunBook(state, true, Phase::Later); }
void BM_SingerBookFloor(benchmark::State& state) { RunBook(state, true, Phase::Floor); }

// Each run makes its own folder, so every repetition of a fresh session is a fresh one.
void Register(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(false)->Unit(benchmark::kSecond);
}
void RegisterFull(benchmark::internal::Benchmark* b) {
    b->Arg(bench::kFullDiskSongs)->Iterations(1)->Unit(benchmark::kSecond);
}

}  // namespace

BENCHMARK(BM_SongBookFreshSession)->Apply(Register);
BENCHMARK(BM_SongBookLaterSession)->Apply(Register);
BENCHMARK(BM_SongBookFloor)->Apply(Register);
BENCHMARK(BM_SingerBookFreshSession)->Apply(Register);
BENCHMARK(BM_SingerBookLaterSession)->Apply(Register);
BENCHMARK(BM_SingerBookFloor)->Apply(Register);
BENCHMARK(BM_SongBookFreshSession)->Apply(RegisterFull);
BENCHMARK(BM_SongBookLaterSession)->Apply(RegisterFull);
BENCHMARK(BM_SongBookFloor)->Apply(RegisterFull);
BENCHMARK(BM_SingerBookFreshSession)->Apply(RegisterFull);
BENCHMARK(BM_SingerBookLaterSession)->Apply(RegisterFull);
BENCHMARK(BM_SingerBookFloor)->Apply(RegisterFull);
BENCHMARK_MAIN();
