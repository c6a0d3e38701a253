#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "catalogue/SongRecord.h"
#include "outputs/SongBook.h"
#include "support/TempFolder.h"
#include "SongBookFixture.h"
#include "support/BarRecord.h"
#include "catalogue/ReadingCodes.h"
#include "outputs/OutputSteps.h"
#include "outputs/SingerBook.h"
#include "platform/LibreOffice.h"

namespace qv::test {
namespace {

using SongBookTest = SongBookFixture;

std::string Numbered(const char* prefix, int i) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%s%03d", prefix, i);
    return buffer;
}

TEST_F(SongBookTest, PagesBreakByCountAndLanguageAndFillBothBlocks) {
    std::vector<SongRow> rows;
    for (int i = 1; i <= 51; ++i) rows.push_back(Song(Numbered("10", i), Numbered("S", i), "周杰倫"));
    for (int i = 1; i <= 26; ++i) rows.push_back(Song(Numbered("40", i), Numbered("e", i), "Abba", "4", "2"));
    library.Fill(rows);
    WriteSongBookCommand(SongBookKind::All);

    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌簿產生完成"});
    EXPECT_EQ(ui.Texts("wait"),
              (std::vector<std::string>{"歌簿排序中, 請稍候 ...", "歌簿輸出中, 請稍候 ..."}));
    EXPECT_EQ(ui.lastProgress, 0);
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("總歌簿.xls", book));
    EXPECT_EQ(SheetNames(book),
              (std::vector<std::string>{"國語-1", "國語-2", "英語-1", "英語-2", "中文格式", "中文格式70",
                                        "中文格式60", "中文格式56", "中文格式52", "英文格式"}));
    // 25 + 25 on the first page, the 51st alone at the top left of the second.
    EXPECT_EQ(Cell(book, 1, 3, 1), "10001");
    EXPECT_EQ(Cell(book, 1, 3, 2), "S001");
    EXPECT_EQ(Cell(book, 1, 27, 1), "10025");
    EXPECT_EQ(Cell(book, 1, 3, 4), "10026");
    EXPECT_EQ(Cell(book, 1, 27, 4), "10050");
    EXPECT_EQ(Cell(book, 1, 28, 1), "");
    EXPECT_EQ(Cell(book, 2, 3, 1), "10051");
    EXPECT_EQ(Cell(book, 2, 3, 4), "");
    // Headings: strokes, language, word count; the template's own label stays.
    EXPECT_EQ(Cell(book, 1, 1, 1), "5劃");
    EXPECT_EQ(Cell(book, 1, 1, 2), "");
    EXPECT_EQ(Cell(book, 1, 1, 3), "國語");
    EXPECT_EQ(Cell(book, 1, 1, 4), "字數");
    EXPECT_EQ(Cell(book, 1, 1, 5), "三");
    // English: one block of 25, singer in F, the stored word count and the first character as headings.
    EXPECT_EQ(Cell(book, 3, 1, 1), "2");
    EXPECT_EQ(Cell(book, 3, 1, 6), "e");
    EXPECT_EQ(Cell(book, 3, 27, 1), "40025");
    EXPECT_EQ(Cell(book, 3, 27, 6), "Abba");
    EXPECT_EQ(Cell(book, 4, 3, 1), "40026");
    // The name's first character larger than the rest.
    EXPECT_EQ(book.CharacterSizes(1, 3, 2), (std::vector<int>{24, 20, 20, 20}));
}

TEST_F(SongBookTest, WordCountChangesBreakUnlessTheLanguageRunsOn) {
    library.Fill({Song("00001", "AAA", "x", "1", "3"), Song("00002", "BBBB", "x", "1", "4"),
                  Song("00003", "CCC", "x", "5", "3"), Song("00004", "DDDD", "x", "5", "4")});
    setup::IsMainLanguageContinue = true;
    setup::IsOtherReportContinue = false;
    WriteSongBookCommand(SongBookKind::All);
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("總歌簿.xls", book));
    // 國語 runs on (E1 names the first song's count); 其他 breaks even though the main languages run on.
    EXPECT_EQ(SheetNames(book)[0], "國語-1");
    EXPECT_EQ(Cell(book, 1, 1, 5), "三");
    EXPECT_EQ(Cell(book, 1, 4, 1), "00002");
    EXPECT_EQ(SheetNames(book)[1], "其他-1");
    EXPECT_EQ(SheetNames(book)[2], "其他-2");
    EXPECT_EQ(Cell(book, 3, 1, 5), "四");

    setup::IsMainLanguageContinue = false;
    setup::IsOtherReportContinue = true;
    WriteSongBookCommand(SongBookKind::All);
    ASSERT_TRUE(ReadBook("總歌簿.xls", book));
    EXPECT_EQ(Cell(book, 2, 3, 1), "00002");
    EXPECT_EQ(SheetNames(book)[1], "國語-2");
    EXPECT_EQ(SheetNames(book)[2], "其他-1");
    EXPECT_EQ(Cell(book, 3, 4, 1), "00004");
}

TEST_F(SongBookTest, SingerCellsSplitDuetsAndTakeTheirClassColour) {
    bool split = false;
    EXPECT_EQ(Big5ToUtf8(SplitDuetSingerLines(B5("周杰  蔡林"), split)), "周杰\n蔡林");
    EXPECT_TRUE(split);
    EXPECT_EQ(Big5ToUtf8(SplitDuetSingerLines(B5("周杰倫  蔡依林  S"), split)), "周杰倫\n蔡依林S");
    EXPECT_EQ(Big5ToUtf8(SplitDuetSingerLines(B5("ABCDEFGHIJ"), split)), "ABCDEFGH\nIJ");
    EXPECT_EQ(Big5ToUtf8(SplitDuetSingerLines(B5("A周杰倫蔡"), split)),
              "A周杰倫\n蔡");  // never inside a character
    EXPECT_EQ(Big5ToUtf8(SplitDuetSingerLines(B5("王菲"), split)), "王菲　");
    EXPECT_FALSE(split);
    EXPECT_EQ(SplitDuetSingerLines("ABCDEFGH", split), "ABCDEFGH");
    EXPECT_FALSE(split);
    EXPECT_EQ(StrokeHeadingText(0), B5("1劃"));
    EXPECT_EQ(WordCountName("0"), B5("零"));
    EXPECT_EQ(WordCountName("11"), B5("十以上"));
    EXPECT_EQ(WordCountName("99"), B5("十以上"));
    EXPECT_EQ(WordCountName("-1"), "");
    EXPECT_EQ(WordCountName(" "), "");

    setup::SingerGroupColor = 0x112233;
    setup::SingerMaleColor = 0x0000FF;
    setup::IsOutputWithPingYing = true;
    setup::SongReportSongNumPerPage = 70;
    SongRow duet = Song("00001", "AAA", "周杰  蔡林", "1", "3", "7");
    duet[colPinyin] = "ABCDEFGHIJ";
    library.Fill({duet, Song("00002", "BBB", "王菲", "1", "3", "1")});
    WriteSongBookCommand(SongBookKind::All);
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("總歌簿.xls", book));
    EXPECT_EQ(SheetNames(book)[0], "國語-1");
    EXPECT_EQ(Cell(book, 1, 3, 3), "周杰\n蔡林");
    EXPECT_EQ(book.CellStyleProperty(1, 3, 3, "fo:font-size"), "8pt");  // the duet size at 70 a page
    EXPECT_EQ(book.CellStyleProperty(1, 3, 3, "fo:color"), "#332211");  // class 7: the group colour
    EXPECT_EQ(book.CellStyleProperty(1, 4, 3, "fo:color"), "#ff0000");
    EXPECT_EQ(Cell(book, 1, 4, 3), "王菲　");
    EXPECT_EQ(book.CellStyleProperty(1, 4, 3, "fo:font-size"), "12pt");
    // The number with the reading of the first 8 code letters, in the small size; none without a code.
    EXPECT_EQ(book.CellText(1, 3, 1), "00001\n" + ZhuyinKeysToBopomofo("ABCDEFGH", 0));
    EXPECT_EQ(book.CellStyleProperty(1, 3, 1, "fo:font-size"), "11pt");
    EXPECT_EQ(Cell(book, 1, 4, 1), "00002");
    EXPECT_EQ(book.CellStyleProperty(1, 4, 1, "fo:font-size"), "11pt");  // the template's own
}

TEST_F(SongBookTest, NewSongMarksTurnOnlyAfterAGoodSave) {
    std::vector<SongRow> rows{Song("00001", "AAA", "x"), Song("00002", "BBB", "x"),
                              Song("00003", "CCC", "x")};
    rows[0][colNewMark] = "*";
    rows[2][colNewMark] = "@";
    library.Fill(rows);

    // A target that cannot be replaced: an error naming the file, no end message, marks unchanged.
    ASSERT_EQ(::mkdir(library.Path("新歌簿.xls").c_str(), 0755), 0);
    WriteSongBookCommand(SongBookKind::New);
    ASSERT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_NE(ui.Texts("error")[0].find("新歌簿.xls"), std::string::npos);
    EXPECT_TRUE(ui.Texts("info").empty());
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(AllSong[0][colNewMark], "*");
    EXPECT_EQ(library.Record(0).find('@'), std::string::npos);
    ASSERT_EQ(::rmdir(library.Path("新歌簿.xls").c_str()), 0);

    for (int run = 0; run < 2; ++run) {
        WriteSongBookCommand(SongBookKind::New);
        OdsWorkbook book;
        ASSERT_TRUE(ReadBook("新歌簿.xls", book));
        EXPECT_EQ(Cell(book, 1, 3, 1), "00001");
        EXPECT_EQ(Cell(book, 1, 4, 1), "00003");  // "@" still counts as new, both runs
        EXPECT_NE(Cell(book, 1, 1, 2).find("新歌簿"), std::string::npos);
        EXPECT_EQ(AllSong[0][colNewMark], "@");
    }
    EXPECT_NE(library.Record(0).find('@'), std::string::npos);  // the song list file too

    // A run abandoned at its last progress step, after the book was saved: its marks are recorded.
    AllSong[0][colNewMark] = "*";
    ASSERT_TRUE(WriteSongRecord(0));
    ui.onProgress = [this](int position) {
        if (position == 100 && !ui.waitVisible) throw RunAbandoned{};  // the bar's end, after the save
    };
    EXPECT_THROW(WriteSongBookCommand(SongBookKind::New), RunAbandoned);
    ui.onProgress = nullptr;
    EXPECT_EQ(AllSong[0][colNewMark], "@");
    EXPECT_NE(library.Record(0).find('@'), std::string::npos);
}

// The template's conversion, the pages and the book's conversion share one run of the bar.
TEST_F(SongBookTest, TheBarOfEitherBookRunsOnceForwardToItsEnd) {
    library.Fill(TempSongLibrary::Numbered(150, "AAA", "Singer"));
    {
        BarRecord bar(ui);
        ASSERT_TRUE(WriteSongBookCommand(SongBookKind::All));
        EXPECT_TRUE(bar.MovedForwardToItsEnd());
    }
    BarRecord bar(ui);
    ASSERT_TRUE(WriteSingerBookCommand(false));
    EXPECT_TRUE(bar.MovedForwardToItsEnd());
    EXPECT_EQ(ui.lastProgress, 0);
}

TEST_F(SongBookTest, RefusalsAndRefusedPageNamesAreReported) {
    library.Fill({Song("00001", "AAA", "x", "0"), Song("00002", "BBB", "x", "12", "4")});
    ExcelAvailable = false;
    EXPECT_FALSE(WriteSongBookCommand(SongBookKind::All));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"您必須先安裝LibreOffice Calc才能輸出歌簿."});
    ExcelAvailable = true;

    setup::SongReportSongNumPerPage = 60;  // a sheet the template does not hold any more
    std::filesystem::copy_file(library.Path(SongBookTemplateName), library.Path("copy.fods"));
    {
        OdsWorkbook stripped;
        ASSERT_TRUE(stripped.Open(library.Path("copy.fods")));
        ASSERT_TRUE(stripped.SetSheetName(stripped.SheetItem(B5("中文格式60")), "x"));
        std::ofstream(library.Path(SongBookTemplateName), std::ios::trunc) << stripped.ToFlatOds();
    }
    EXPECT_FALSE(WriteSongBookCommand(SongBookKind::Popular));
    EXPECT_EQ(ui.Texts("error").back(), "歌簿格式檔之工作表名稱有錯或不存在.");
    std::filesystem::remove(library.Path(SongBookTemplateName));
    EXPECT_FALSE(WriteSongBookCommand(SongBookKind::All));
    EXPECT_EQ(ui.Texts("error").back(), library.Path(SongBookTemplateName) + "不存在");
    EXPECT_EQ(view.rowRefreshes, 0);  // the view was never touched

    // Language codes outside the table both print as 其他: the second 其他-1 is refused, shown, and the
    // run goes on.
    std::filesystem::copy_file(library.Path("copy.fods"), library.Path(SongBookTemplateName));
    setup::SongReportSongNumPerPage = 0;  // falls back to 50
    ui.shown.clear();
    EXPECT_TRUE(WriteSongBookCommand(SongBookKind::All));
    EXPECT_EQ(ui.Texts("info"), (std::vector<std::string>{"其他-1", "歌簿產生完成"}));
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("總歌簿.xls", book));
    EXPECT_EQ(SheetNames(book)[0], "其他-1");
    EXPECT_EQ(SheetNames(book)[1], "中文格式 (2)");  // the copy keeps the name it was given
    EXPECT_EQ(Cell(book, 2, 3, 1), "00002");
    EXPECT_EQ(Cell(book, 2, 1, 5), "四");
}

TEST_F(SongBookTest, EmptySelectionAndRangeBook) {
    library.Fill({Song("00099", "AAA", "x"), Song("00101", "BBB", "x"), Song("00150", "CCC", "x"),
                  Song("00201", "DDD", "x")});
    WriteSongBookCommand(SongBookKind::Classic);  // no song of the collection
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌簿產生完成"});
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("經典歌簿.xls", book));
    EXPECT_EQ(book.SheetCount(), 6);  // the template sheets only

    EXPECT_FALSE(WriteRangeSongBookCommand());  // cancelled
    ui.ranges.push_back({"300", "400"});
    EXPECT_FALSE(WriteRangeSongBookCommand());
    EXPECT_EQ(ui.Texts("warning"), std::vector<std::string>{"範圍內無資料!"});
    ui.ranges.push_back({"100", "200"});
    EXPECT_TRUE(WriteRangeSongBookCommand());
    ASSERT_TRUE(ReadBook("範圍歌簿.xls", book));
    EXPECT_EQ(Cell(book, 1, 3, 1), "00101");
    EXPECT_EQ(Cell(book, 1, 4, 1), "00150");
    EXPECT_EQ(Cell(book, 1, 5, 1), "");
}

// Notes what the user sees while each conversion runs, and fails on request, naming itself.
class WatchedConverter final : public FileConverter {
public:
    explicit WatchedConverter(const FakeUserInterface& ui) : ui_(ui) {}
    bool failTemplate = false, failBook = false;
    std::vector<std::string> waits;  // the wait text shown at each conversion, empty when none
    std::vector<int> bars;           // the bar after the conversion's first progress step

    bool Convert(const std::string& source, const std::string& target, const std::string& format,
                 const std::function<void(int)>& progress, int seconds) override {
        waits.push_back(ui_.waitVisible ? ui_.Texts("wait").back() : "");
        if (progress) progress(37);
        bars.push_back(ui_.lastProgress);
        if (format == "fods" ? failTemplate : failBook) return false;
        return copying_.Convert(source, target, format, progress, seconds);
    }
    std::string Name() const override { return B5("轉換程式"); }
    std::string Failure() const override { return B5("轉換程式停了"); }

private:
    const FakeUserInterface& ui_;
    CopyingConverter copying_;
};

TEST_F(SongBookTest, TheWaitWindowAndBarComeBeforeTheTemplateAndAFailingConverterIsNamed) {
    library.Fill({Song("00001", "AAA", "x")});
    WatchedConverter watched(ui);
    OdsWorkbook workbook(&watched);
    SetSongBookEngine(&workbook);
    ASSERT_TRUE(WriteSongBookCommand(SongBookKind::All));
    EXPECT_EQ(watched.waits, (std::vector<std::string>{"歌簿排序中, 請稍候 ...", "歌簿輸出中, 請稍候 ..."}));
    // The template's conversion has the first tenth of the bar, the book's the part after the pages.
    EXPECT_EQ(watched.bars, (std::vector<int>{37 / 10, 55 + 37 * 45 / 100}));
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌簿產生完成"});

    // The converter failing on the book: its own words, not the file's, and no end message.
    watched.failBook = true;
    EXPECT_TRUE(WriteSongBookCommand(SongBookKind::All));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"轉換程式停了\n歌簿輸出失敗, 歌簿未存檔."});
    EXPECT_EQ(ui.Texts("info").size(), 1u);

    // Failing on a template not converted before: named instead of the template's sheets.
    watched.failTemplate = true;
    OdsWorkbook fresh(&watched);
    SetSongBookEngine(&fresh);
    const int refreshes = view.rowRefreshes;
    EXPECT_FALSE(WriteSingerBookCommand(false));
    EXPECT_EQ(ui.Texts("error").back(), "轉換程式停了");
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(ui.lastProgress, 0);
    EXPECT_EQ(view.rowRefreshes, refreshes);  // the view untouched
}

TEST_F(SongBookTest, WorkLeftByAKilledBookGoesAtTheNextStart) {
    // A converter that never ends, killed with the program while it runs.
    const std::string program = library.Path("soffice");
    std::ofstream(program) << "#!/bin/sh\necho $$ > " << library.Path("started.tmp") << "\nmv "
                           << library.Path("started.tmp") << ' ' << library.Path("started")
                           << "\nexec sleep 600\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    const std::string cache = library.Path("cache");
    const pid_t child = ::fork();
    if (child == 0) {
        LibreOfficeConverter converter(program, cache + "/qvsong");
        OdsWorkbook workbook(&converter);
        workbook.Open(library.Path(SongBookTemplateName));
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    bool started = false;
    for (int i = 0; i < 2400 && !(started = std::filesystem::exists(library.Path("started"))); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::ifstream in(library.Path("started"));
    pid_t converter = 0;
    in >> converter;
    if (converter > 0) ::kill(-converter, SIGKILL);
    ASSERT_TRUE(started);
    auto leftOvers = [&] {
        int count = 0;
        for (const auto& e : std::filesystem::directory_iterator(library.Path(".")))
            count += e.path().filename().string().starts_with(".qv-book-");
        return count;
    };
    ASSERT_EQ(leftOvers(), 1);
    // The user's folders that look alike stay: one named by another pattern, one without the marker.
    for (const char* name : {".qv-book-notes", ".qv-book-Ab3xYz"}) {
        std::filesystem::create_directory(library.Path(name));
        std::ofstream(library.Path(name) + "/mine.txt") << "the user's";
    }
    // Unfinished cache entries: one of a writer gone, one of a writer still running, and a file of
    // another name that only looks like one.
    std::filesystem::create_directories(cache + "/qvsong/templates");
    const std::string entries = cache + "/qvsong/templates/";
    const std::string gone = entries + "0123456789abcdef.fods.tmp-" + std::to_string(child) + "-Ab3xYz";
    const std::string running = entries + "fedcba9876543210.fods.tmp-" + std::to_string(::getpid()) + "-Ab3xYz";
    const std::string alike = entries + "notes.fods.tmp-" + std::to_string(child) + "-x";
    for (const std::string& path : {gone, running, alike}) std::ofstream(path) << "half";

    ::setenv("QV_SOFFICE", program.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    InstallOutputSteps();
    StartupOutputSteps().prepareSpreadsheetEngine();
    ::unsetenv("QV_SOFFICE");
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(leftOvers(), 2);
    for (const char* name : {".qv-book-notes", ".qv-book-Ab3xYz"})
        EXPECT_EQ(test::ReadBytes(library.Path(name) + "/mine.txt"), "the user's") << name;
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_TRUE(std::filesystem::exists(running));
    EXPECT_TRUE(std::filesystem::exists(alike));
}

}  // namespace
}  // namespace qv::test
