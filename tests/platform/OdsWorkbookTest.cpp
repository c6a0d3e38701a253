#include "platform/OdsWorkbook.h"

#include <gtest/gtest.h>

#include "catalogue/Big5Codec.h"

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

}  // namespace
}  // namespace qv
