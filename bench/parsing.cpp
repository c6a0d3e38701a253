// File-name parsing against the singer lists of a full singer table, and the regeneration of every
// pinyin code of a full song disk with the rewrite of that column.
#include <benchmark/benchmark.h>

#include <random>

#include "bench/BenchLibrary.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/FileNameParser.h"
#include "resources/ShippedData.h"
#include "tests/support/FakeUserInterface.h"

namespace {

constexpr int kSingers = 20000;

std::string Hanzis(std::mt19937& rng, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += static_cast<char>(0xA4 + rng() % 0x22);
        int trail = static_cast<int>(rng() % 157);
        out += static_cast<char>(trail < 63 ? 0x40 + trail : 0xA1 + trail - 63);
    }
    return out;
}

// A 20,000-singer table (and so a display list of 20,000 entries), and UTF-8 file names of songs by
// singers of it, by unknown singers, duets and Latin names.
const std::vector<std::string>& SetUpSingersAndNames() {
    static std::vector<std::string> names;
    if (!names.empty()) return names;
    std::mt19937 rng(110);
    for (int i = 0; i < kSingers; ++i) {
        qv::SingerNames.push_back(Hanzis(rng, 2 + static_cast<int>(rng() % 3)));
        qv::SingerClassCodes.push_back(std::to_string(1 + rng() % 8));
        qv::SingerLanguageCodes.push_back(std::to_string(1 + rng() % 9));
    }
    qv::BuildSingerDisplayList();
    for (int i = 0; i < 200; ++i) {
        const std::string song = Hanzis(rng, 2 + static_cast<int>(rng() % 6));
        const std::string& known = qv::SingerNames[rng() % kSingers];
        std::string name;
        switch (i % 4) {
            case 0:
                name = "01." + song + "_" + known;
                break;
            case 1:
                name = song + "(Live)_" + Hanzis(rng, 3);
                break;
            case 2:
                name = known + "&" + qv::SingerNames[rng() % kSingers] + "-" + song;
                break;
            default:
                name = "Let It Be_" + known;
                break;
        }
        names.push_back("/media/songs/" + qv::Big5ToUtf8(name) + ".mpg");
    }
    return names;
}

void BM_ParseSongFileName(benchmark::State& state) {
    const auto& names = SetUpSingersAndNames();
    qv::test::FakeUserInterface ui;
    qv::NameParseSettings settings{static_cast<int>(state.range(0)), {1, 2, 3, 3, 3, 4, 1, 2}};
    std::size_t i = 0;
    for (auto _ : state) {
        qv::ParsedSongName out;
        benchmark::DoNotOptimize(qv::ParseSongFileName(names[i++ % names.size()], settings, out));
    }
}
BENCHMARK(BM_ParseSongFileName)->Arg(0)->Arg(1)->Arg(7)->Unit(benchmark::kMicrosecond);

void BM_FindSingerInText(benchmark::State& state) {
    const auto& names = SetUpSingersAndNames();
    const std::string text = qv::Utf8ToBig5(names[0]);
    for (auto _ : state) benchmark::DoNotOptimize(qv::FindSingerInText(text));
}
BENCHMARK(BM_FindSingerInText)->Unit(benchmark::kMicrosecond);

// The full disk in the song table and in "song.qv2", the shipped character keys and Japanese table.
void SetUpLibrary(qv::bench::TempFolder& folder) {
    qv::LibraryRoot = folder.path();
    qv::bench::WriteFullLibrary(folder.path());
    qv::AllSong.clear();
    for (const auto& fields : qv::bench::FullLibrarySongs()) {
        qv::SongRow row;
        for (std::size_t f = 0; f < fields.size() && f < row.size(); ++f) row[f] = fields[f];
        qv::AllSong.push_back(row);
    }
    qv::AllSongCount = static_cast<int>(qv::AllSong.size());
    qv::AppDir = folder.path();
    qv::ReplaceFileContents(qv::PathIn(folder.path(), "singer.bin"), qv::ShippedSingerBin());
    qv::LoadSingerBin();
    qv::BuildJapaneseTables(qv::ShippedJapaneseTable());
}

void BM_N21ClickFullDisk(benchmark::State& state) {
    qv::bench::TempFolder folder;
    SetUpLibrary(folder);
    qv::test::FakeUserInterface ui;
    for (auto _ : state) qv::N21Click(static_cast<int>(state.range(0)));
    if (ui.Texts("info").back() != "拼音產生完成!") state.SkipWithError("the column was not written");
    state.counters["songs"] = qv::AllSongCount;
    qv::AllSong.clear();
    qv::AllSongCount = 0;
    qv::LibraryRoot = qv::AppDir = ".";
}
BENCHMARK(BM_N21ClickFullDisk)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
