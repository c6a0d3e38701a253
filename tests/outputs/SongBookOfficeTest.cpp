// The books through the real converter: few runs, each conversion costs seconds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "SongBookFixture.h"
#include "catalogue/SingerTable.h"
#include "library/Startup.h"
#include "outputs/OutputSteps.h"
#include "outputs/SingerBook.h"
#include "platform/LibreOffice.h"

namespace qv::test {
namespace {

// Processes whose command line names the folder (the converter's private profile lives there).
int ProcessesNaming(const std::string& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (line.find(folder) != std::string::npos) ++count;
    }
    return count;
}

class SongBookOfficeTest : public ::testing::Test {
protected:
    TempSongLibrary library;
    FakeUserInterface ui;
    FakeSongView view;
    std::string previousCache;

    void SetUp() override {
        if (LibreOfficeProgram().empty()) GTEST_SKIP() << "LibreOffice is not installed";
        if (const char* cache = std::getenv("XDG_CACHE_HOME")) previousCache = cache;
        ::setenv("XDG_CACHE_HOME", library.Path("cache").c_str(), 1);  // the profile stays in the folder
        // A loaded machine may take minutes for a conversion; only a hung converter is cut short.
        ::setenv("QV_SOFFICE_TIMEOUT", "900", 1);
        LoadSettings();
        InstallOutputSteps();
    }
    void TearDown() override {
        SetSongBookEngine(nullptr);
        ExcelAvailable = false;
        ::unsetenv("QV_SOFFICE_TIMEOUT");
        if (previousCache.empty())
            ::unsetenv("XDG_CACHE_HOME");
        else
            ::setenv("XDG_CACHE_HOME", previousCache.c_str(), 1);
    }
};

TEST_F(SongBookOfficeTest, BooksSavedAsExcelReadBackWithTheirPagesCellsAndFormats) {
    StartupOutputSteps().prepareSpreadsheetEngine();
    ASSERT_TRUE(ExcelAvailable);
    ASSERT_TRUE(std::filesystem::exists(library.Path(SongBookTemplateName)));
    setup::SingerGroupColor = 0x0000FF;
    std::vector<SongRow> rows;
    for (int i = 1; i <= 51; ++i) {
        char no[8];
        std::snprintf(no, sizeof no, "001%02d", i);
        rows.push_back(SongBookFixture::Song(no, "S" + std::string(no), i == 2 ? "周杰  蔡林" : "王菲", "1"));
    }
    rows[1][colSingerClass] = "3";
    rows.push_back(SongBookFixture::Song("00200", "Yesterday  once", "Carpenters", "4", "2"));
    library.Fill(rows);
    SingerDisplayList = {B5("王菲"), B5("周杰")};

    WriteSongBookCommand(SongBookKind::All);
    WriteSingerBookCommand(false);
    EXPECT_EQ(ui.Texts("info"), (std::vector<std::string>{"歌簿產生完成", "歌簿產生完成"}));
    EXPECT_TRUE(ui.Texts("error").empty());

    LibreOfficeConverter converter(LibreOfficeProgram(), library.Path("cache/qvsong"));
    OdsWorkbook book(&converter);
    ASSERT_TRUE(book.Open(library.Path("總歌簿.xls")));
    EXPECT_EQ(Big5ToUtf8(book.SheetName(1)), "國語-1");
    EXPECT_EQ(Big5ToUtf8(book.SheetName(2)), "國語-2");
    EXPECT_EQ(Big5ToUtf8(book.SheetName(3)), "英語-1");
    EXPECT_EQ(Big5ToUtf8(book.SheetName(4)), "中文格式");
    EXPECT_EQ(book.CellText(1, 3, 1), "00101");  // text keeps its leading zeros
    EXPECT_EQ(book.CellText(1, 3, 4), "00126");
    EXPECT_EQ(Big5ToUtf8(book.CellText(1, 4, 3)), "周杰\n蔡林");
    EXPECT_EQ(book.CellStyleProperty(1, 4, 3, "fo:font-size"), "10pt");
    EXPECT_EQ(book.CellStyleProperty(1, 4, 3, "fo:color"), "#ff0000");
    EXPECT_EQ(book.CharacterSizes(1, 3, 2), (std::vector<int>{24, 20, 20, 20, 20, 20}));
    EXPECT_EQ(book.CellText(3, 3, 2), "Yesterday  once");  // runs of blanks survive
    EXPECT_EQ(book.CellText(2, 3, 1), "00151");

    ASSERT_TRUE(book.Open(library.Path("歌手歌簿.xls")));
    EXPECT_EQ(Big5ToUtf8(book.SheetName(1)), "第1頁");
    EXPECT_EQ(Big5ToUtf8(book.SheetName(2)), "歌手姓氏筆劃表-1");
    EXPECT_EQ(book.CellText(1, 2, 2), "Carpenters");  // no strokes: first, under "1劃"
    EXPECT_EQ(Big5ToUtf8(book.CellText(1, 2, 1)), "1劃");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 2, "fo:background-color"), "#c0c0c0");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 2, "fo:font-weight"), "bold");
    EXPECT_EQ(Big5ToUtf8(book.CellText(2, 2, 2)), "王");
    EXPECT_EQ(ProcessesNaming(library.Path("cache")), 0);

    // An existing template is the user's; without the converter the books are refused.
    std::ofstream(library.Path(SingerBookTemplateName), std::ios::trunc) << "mine";
    ::setenv("QV_SOFFICE", library.Path("none").c_str(), 1);
    StartupOutputSteps().prepareSpreadsheetEngine();
    ::unsetenv("QV_SOFFICE");
    EXPECT_FALSE(ExcelAvailable);
    std::ifstream in(library.Path(SingerBookTemplateName));
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "mine");
}

TEST_F(SongBookOfficeTest, TwoBooksSavedAtTheSameTimeAreBothWritten) {
    // As two copies of the program on two program folders do: converters of their own, one cache folder.
    auto save = [&](const std::string& name, bool& saved) {
        LibreOfficeConverter converter(LibreOfficeProgram(), DefaultConverterCacheFolder());
        OdsWorkbook book(&converter);
        saved = book.Open(std::string(QV_SOURCE_DIR) + "/resources/songbook.fods") &&
                book.SaveAs(library.Path(name), {});
        if (!saved) ADD_FAILURE() << Big5ToUtf8(book.LastFailure());
    };
    bool first = false, second = false;
    std::thread beside(save, "one.xls", std::ref(second));
    save("two.xls", first);
    beside.join();
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
    for (const char* name : {"one.xls", "two.xls"}) {
        std::ifstream in(library.Path(name), std::ios::binary);
        std::string head(8, '\0');
        in.read(head.data(), 8);
        EXPECT_EQ(head, kOleMagic) << name;
    }
    EXPECT_EQ(ProcessesNaming(library.Path("cache")), 0);
}

}  // namespace
}  // namespace qv::test
