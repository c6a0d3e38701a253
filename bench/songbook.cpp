// Song books of the full song disk and of 1,000 songs, end to end: selection, pages, conversion, file.
#include <benchmark/benchmark.h>

#include <filesystem>

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

namespace {

void LoadTable(int count) {
    static const std::vector<FieldList> songs = bench::FullLibrarySongs();
    bench::LoadSongTable(songs, static_cast<size_t>(count));
}

void RunBook(benchmark::State& state, bool singer) {
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
    LibreOfficeConverter converter(program, folder.path() + "/profile");
    OdsWorkbook workbook(&converter);
    SetSongBookEngine(&workbook);
    ExcelAvailable = true;
    LoadTable(static_cast<int>(state.range(0)));
    const std::string file = PathIn(AppDir, singer ? "歌手歌簿.xls" : "總歌簿.xls");
    for (auto _ : state) {
        if (singer)
            WriteSingerBookCommand(false);
        else
            WriteSongBookCommand(SongBookKind::All);
    }
    if (!std::filesystem::exists(file)) state.SkipWithError("the book was not written");
    state.counters["bytes"] =
        static_cast<double>(std::filesystem::exists(file) ? std::filesystem::file_size(file) : 0);
    SetSongBookEngine(nullptr);
    ExcelAvailable = false;
    AppDir = LibraryRoot = ".";
}

void BM_SongBook(benchmark::State& state) { RunBook(state, false); }
void BM_SingerBook(benchmark::State& state) { RunBook(state, true); }

}  // namespace

BENCHMARK(BM_SongBook)->Arg(1000)->Arg(bench::kFullDiskSongs)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SingerBook)->Arg(1000)->Arg(bench::kFullDiskSongs)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
