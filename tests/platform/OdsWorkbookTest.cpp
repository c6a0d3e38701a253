#include "platform/OdsWorkbook.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "catalogue/Big5Codec.h"
#include "support/TempFolder.h"

namespace qv {
namespace {

// A template as the converter leaves it: automatic styles, repeated rows and cells, a column default.
const char* const kTemplate = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0">
 <office:settings><config>view of 中文格式</config></office:settings>
 <office:automatic-styles>
  <style:style style:name="ce1" style:family="table-cell" style:parent-style-name="Default">
   <style:table-cell-properties fo:border="0.74pt solid #000000"/>
   <style:text-properties style:use-window-font-color="true" fo:font-size="12pt"/>
  </style:style>
 </office:automatic-styles>
 <office:body><office:spreadsheet>
  <table:table table:name="中文格式">
   <table:table-column table:number-columns-repeated="3" table:default-cell-style-name="ce1"/>
   <table:table-row><table:table-cell office:value-type="string"><text:p>標題<text:s text:c="2"/>一</text:p></table:table-cell></table:table-row>
   <table:table-row table:number-rows-repeated="1000"><table:table-cell table:style-name="ce1" table:number-columns-repeated="300"/></table:table-row>
  </table:table>
  <table:table table:name="英文格式"><table:table-row><table:table-cell/></table:table-row></table:table>
 </office:spreadsheet></office:body>
</office:document>
)";

TEST(OdsWorkbookTest, CopiesSheetsAndRefusesTheNamesASpreadsheetRefuses) {
    OdsWorkbook book;
    ASSERT_FALSE(book.LoadFlatOds("<not a spreadsheet/>"));
    ASSERT_TRUE(book.LoadFlatOds(kTemplate));
    EXPECT_EQ(book.SheetCount(), 2);
    EXPECT_EQ(book.SheetItem(B5("英文格式")), 2);
    EXPECT_EQ(book.SheetItem(B5("沒有")), 0);
    EXPECT_EQ(book.CellText(1, 1, 1), B5("標題  一"));

    book.CopySheetBefore(1, 1);
    book.CopySheetBefore(book.SheetItem(B5("中文格式")), 2);
    EXPECT_EQ(book.SheetCount(), 4);
    EXPECT_EQ(book.SheetName(1), B5("中文格式 (2)"));
    EXPECT_EQ(book.SheetName(2), B5("中文格式 (3)"));
    EXPECT_EQ(book.SheetName(3), B5("中文格式"));
    EXPECT_EQ(book.CellText(2, 1, 1), B5("標題  一"));  // a copy holds the template's cells

    EXPECT_TRUE(book.SetSheetName(1, B5("國語-1")));
    EXPECT_FALSE(book.SetSheetName(2, B5("國語-1")));  // taken
    EXPECT_FALSE(book.SetSheetName(2, "a/b"));
    EXPECT_FALSE(book.SetSheetName(2, ""));
    EXPECT_FALSE(book.SetSheetName(2, std::string(32, 'x')));
    EXPECT_FALSE(book.SetSheetName(2, std::string("\xA1", 1)));  // a lone lead byte is no character
    EXPECT_EQ(book.SheetName(2), B5("中文格式 (3)"));
}

TEST(OdsWorkbookTest, WrittenCellsAndFormatsSurviveTheFlatFileAndTouchOnlyTheirCell) {
    OdsWorkbook book;
    ASSERT_TRUE(book.LoadFlatOds(kTemplate));
    book.SetCellText(1, 5, 2, B5("我的  心上人"));
    book.SetCharactersFontSize(1, 5, 2, 1, 1, 24);
    book.SetCharactersFontSize(1, 5, 2, 2, 12, 20);  // a byte count longer than the text is cut
    book.SetCellText(1, 5, 3, "00101");
    book.SetFontColor(1, 5, 3, 0x0000FF);  // red in the low byte
    book.SetFontSize(1, 5, 1, 10);
    book.SetRangeFill(1, 7, 1, 2, 0xC0C0C0);
    book.SetRangeBorderWeight(1, 7, 1, 2, 4);
    book.SetRangeBorderLineStyle(1, 7, 1, 2, 1);
    book.SetFontBold(1, 7, 2, true);
    book.SetCellText(1, 1200, 2,
                     std::string("A\x01"
                                 "B<&>\n") +
                         B5("第二行"));  // beyond the rows

    EXPECT_EQ(book.CharacterSizes(1, 5, 2), (std::vector<int>{24, 20, 20, 20, 20, 20, 20}));
    const std::string xml = book.ToFlatOds();
    EXPECT_EQ(xml.find("office:settings"), std::string::npos);
    EXPECT_NE(xml.find("<text:span text:style-name=\"qvT20\">的 <text:s/>心上人</text:span>"),
              std::string::npos);
    EXPECT_NE(xml.find("style:font-size-asian=\"24pt\""), std::string::npos);

    OdsWorkbook again;
    ASSERT_TRUE(again.LoadFlatOds(xml));
    EXPECT_EQ(again.CellText(1, 5, 2), B5("我的  心上人"));
    EXPECT_EQ(again.CellText(1, 5, 3), "00101");
    EXPECT_EQ(again.CellText(1, 1200, 2), "AB<&>\n" + B5("第二行"));
    EXPECT_EQ(again.CellText(1, 1, 1), B5("標題  一"));
    EXPECT_EQ(again.CellStyleProperty(1, 5, 3, "fo:color"), "#ff0000");
    EXPECT_EQ(again.CellStyleProperty(1, 5, 1, "fo:font-size"), "10pt");
    EXPECT_EQ(again.CellStyleProperty(1, 5, 4, "fo:font-size"), "12pt");  // the neighbour keeps its style
    EXPECT_EQ(again.CellStyleProperty(1, 6, 3, "fo:color"), "");
    EXPECT_EQ(again.CellStyleProperty(1, 7, 1, "fo:background-color"), "#c0c0c0");
    EXPECT_EQ(again.CellStyleProperty(1, 7, 2, "fo:border"), "2.49pt solid #000000");
    EXPECT_EQ(again.CellStyleProperty(1, 7, 2, "fo:font-weight"), "bold");
    EXPECT_EQ(again.CellStyleProperty(1, 7, 3, "fo:background-color"), "");
    EXPECT_EQ(again.CellText(1, 4, 2), "");
    // Rows and cells around the written ones keep their count: the last repeated row is still row 1001.
    EXPECT_EQ(again.CellStyleProperty(1, 1001, 300, "fo:font-size"), "12pt");
    EXPECT_EQ(again.CellStyleProperty(1, 1001, 301, "fo:font-size"), "");
}

// A workbook of one sheet with the given rows (and columns before them).
std::string Sheet(const std::string& rows, const std::string& name = "s") {
    return R"(<office:document xmlns:office="o" xmlns:table="t" xmlns:text="x"><office:body><office:spreadsheet>)"
           R"(<table:table table:name=")" +
           name + "\">" + rows + "</table:table></office:spreadsheet></office:body></office:document>";
}

TEST(OdsWorkbookTest, RepeatCountsPastWhatASheetHoldsRefuseTheFile) {
    OdsWorkbook book;
    // The converter's own shape: the last row and column runs fill the sheet to its end exactly.
    const std::string full =
        R"(<table:table-column table:number-columns-repeated="16384"/>)"
        R"(<table:table-row><table:table-cell><text:p>a<text:s text:c="32766"/></text:p></table:table-cell>)"
        R"(<table:table-cell table:number-columns-repeated="16383"/></table:table-row>)"
        R"(<table:table-row table:number-rows-repeated="1048575"><table:table-cell table:number-columns-repeated="16384"/></table:table-row>)";
    ASSERT_TRUE(book.LoadFlatOds(Sheet(full)));
    EXPECT_EQ(book.CellText(1, 1, 1).size(), 32767u);
    book.SetCellText(1, 1048576, 16384, "z");
    EXPECT_EQ(book.CellText(1, 1048576, 16384), "z");
    EXPECT_TRUE(OdsWorkbook().LoadFlatOds(book.ToFlatOds()));

    for (
        const char* rows : {
            R"(<table:table-row><table:table-cell table:number-columns-repeated="2147483647"/><table:table-cell/></table:table-row>)",
            R"(<table:table-row><table:table-cell table:number-columns-repeated="1073741824"/><table:table-cell table:number-columns-repeated="1073741824"/></table:table-row>)",
            R"(<table:table-row><table:table-cell table:number-columns-repeated="16384"/><table:table-cell/></table:table-row>)",
            R"(<table:table-row table:number-rows-repeated="1048576"><table:table-cell/></table:table-row><table:table-row/>)",
            R"(<table:table-row table:number-rows-repeated="99999999999999999999999"/>)",
            R"(<table:table-column table:number-columns-repeated="16385"/><table:table-row/>)",
            R"(<table:table-row><table:table-cell><text:p><text:s text:c="32768"/></text:p></table:table-cell></table:table-row>)",
            R"(<table:table-row><table:table-cell><text:p><text:s text:c="20000"/></text:p><text:p><text:s text:c="20000"/></text:p></table:table-cell></table:table-row>)",
        })
        EXPECT_FALSE(book.LoadFlatOds(Sheet(rows))) << rows;
    // A count that is no number, or not above 0, counts once.
    ASSERT_TRUE(book.LoadFlatOds(Sheet(
        R"(<table:table-row table:number-rows-repeated="-4"><table:table-cell table:number-columns-repeated="x"/>)"
        R"(<table:table-cell><text:p>b</text:p></table:table-cell></table:table-row>)")));
    EXPECT_EQ(book.CellText(1, 1, 2), "b");
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += "<table:table-row-group>";
    EXPECT_FALSE(book.LoadFlatOds(Sheet(deep)));
}

namespace fs = std::filesystem;

// Converts a flat template by copying it and counts its runs; keeps conversions in its cache folder.
class CountingConverter final : public FileConverter {
public:
    explicit CountingConverter(std::string cache) : cache_(std::move(cache)) {}
    int runs = 0;
    bool Convert(const std::string& source, const std::string& target, const std::string&,
                 const std::function<void(int)>&, int) override {
        ++runs;
        std::error_code ec;
        fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
        return !ec;
    }
    std::string CacheFolder() const override { return cache_; }

private:
    std::string cache_;
};

std::vector<std::string> Names(const OdsWorkbook& book) {
    std::vector<std::string> names;
    for (int i = 1; i <= book.SheetCount(); ++i) names.push_back(Big5ToUtf8(book.SheetName(i)));
    return names;
}

TEST(OdsWorkbookTest, ConvertedTemplatesAreKeptAcrossSessionsUntilTheTemplateChanges) {
    test::TempFolder folder;
    const std::string song = folder.File("song.xls"), singer = folder.File("singer.xls");
    std::ofstream(song) << kTemplate;
    std::ofstream(singer) << Sheet("<table:table-row/>");
    const std::vector<std::string> songSheets{"中文格式", "英文格式"}, singerSheets{"s"};

    // Both templates stay converted within a session, whichever was opened last.
    CountingConverter first(folder.File("cache"));
    OdsWorkbook book(&first);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(book.Open(song));
        EXPECT_EQ(Names(book), songSheets);
        ASSERT_TRUE(book.Open(singer));
        EXPECT_EQ(Names(book), singerSheets);
    }
    EXPECT_EQ(first.runs, 2);

    // A new session converts neither; the cache holds one entry per template and nothing half written.
    auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder.File("cache/templates")))
            names.push_back(e.path().filename().string());
        return names;
    };
    {
        CountingConverter later(folder.File("cache"));
        OdsWorkbook again(&later);
        ASSERT_TRUE(again.Open(song));
        EXPECT_EQ(Names(again), songSheets);
        ASSERT_TRUE(again.Open(singer));
        EXPECT_EQ(Names(again), singerSheets);
        EXPECT_EQ(later.runs, 0);
        EXPECT_EQ(entries().size(), 2u);
    }

    // A changed template is converted again and replaces its entry.
    std::ofstream(singer, std::ios::trunc) << Sheet("<table:table-row/>", "changed");
    {
        CountingConverter later(folder.File("cache"));
        OdsWorkbook again(&later);
        ASSERT_TRUE(again.Open(singer));
        EXPECT_EQ(Names(again), std::vector<std::string>{"changed"});
        EXPECT_EQ(later.runs, 1);
        EXPECT_EQ(entries().size(), 2u);
    }

    // An entry cut short or altered is never used: the template is converted again.
    for (const auto& name : entries()) {
        const std::string path = folder.File("cache/templates/" + name);
        const auto size = fs::file_size(path);
        fs::resize_file(path, size - 1);
    }
    for (int damage = 0; damage < 2; ++damage) {
        CountingConverter later(folder.File("cache"));
        OdsWorkbook again(&later);
        ASSERT_TRUE(again.Open(song));
        EXPECT_EQ(Names(again), songSheets);
        EXPECT_EQ(later.runs, 1);
        // Then one byte of the text changed, its length kept.
        for (const auto& name : entries()) {
            std::fstream entry(folder.File("cache/templates/" + name),
                               std::ios::in | std::ios::out | std::ios::binary);
            entry.seekp(-20, std::ios::end);
            entry.put('#');
        }
    }
}

// Nothing writes into these FIFOs: a reader that waited on one would never return.
TEST(OdsWorkbookTest, AFifoInPlaceOfAWorkbookOrAKeptConversionIsNeverWaitedOn) {
    test::TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.File("book.fods").c_str(), 0600), 0);
    CountingConverter converter(folder.File("cache"));
    OdsWorkbook book(&converter);
    EXPECT_FALSE(book.Open(folder.File("book.fods")));

    const std::string song = folder.File("song.xls");
    std::ofstream(song) << kTemplate;
    ASSERT_TRUE(book.Open(song));
    for (const auto& entry : fs::directory_iterator(folder.File("cache/templates"))) {
        fs::remove(entry.path());
        ASSERT_EQ(::mkfifo(entry.path().c_str(), 0600), 0);
    }
    // A kept conversion that is no file: converted again, and kept again as a file.
    CountingConverter later(folder.File("cache"));
    OdsWorkbook again(&later);
    ASSERT_TRUE(again.Open(song));
    EXPECT_EQ(Names(again), (std::vector<std::string>{"中文格式", "英文格式"}));
    EXPECT_EQ(later.runs, 1);
    for (const auto& entry : fs::directory_iterator(folder.File("cache/templates")))
        EXPECT_TRUE(entry.is_regular_file()) << entry.path();
}

}  // namespace
}  // namespace qv
