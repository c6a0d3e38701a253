#include "outputs/SingerBook.h"

#include <gtest/gtest.h>

#include "SongBookFixture.h"
#include "catalogue/CharTw.h"
#include "catalogue/SingerTable.h"

namespace qv::test {
namespace {

using SingerBookTest = SongBookFixture;

std::vector<SongRow> Singers(const std::vector<std::pair<std::string, int>>& singers) {
    std::vector<SongRow> rows;
    int no = 1;
    for (const auto& [singer, songs] : singers)
        for (int i = 0; i < songs; ++i) {
            char number[16];
            std::snprintf(number, sizeof number, "%05d", no++);
            rows.push_back(SongBookFixture::Song(number, std::string("N") + number, singer));
        }
    return rows;
}

TEST_F(SingerBookTest, HeadingsAndSongsFillTheBlocksInOrder) {
    setup::SingerFemaleColor = 0x00FF00;
    auto rows = Singers({{"王菲", 2}, {"周杰倫", 1}, {"蔡依林  林俊傑", 3}});
    for (int i = 3; i < 6; ++i) rows[i][colSingerClass] = "2";
    library.Fill(rows);
    EXPECT_TRUE(WriteSingerBookCommand(false));
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("歌手歌簿.xls", book));
    EXPECT_EQ(SheetNames(book)[0], "第1頁");
    EXPECT_EQ(Cell(book, 1, 1, 4), "歌星歌簿");
    // Singers by the strokes of their first character: 王 (4), 周 (8), 蔡 (15).
    const std::vector<std::string> expected{"王菲　",        "00001", "00002", "周杰倫", "00003",
                                            "蔡依林/林俊傑", "00004", "00005", "00006"};
    for (int k = 0; k < 9; ++k) {
        const bool heading = k == 0 || k == 3 || k == 5;
        EXPECT_EQ(Cell(book, 1, k + 2, heading ? 2 : 1), expected[k]) << k;
    }
    EXPECT_EQ(Cell(book, 1, 11, 1), "");
    EXPECT_EQ(Cell(book, 1, 2, 1), "4劃");
    EXPECT_EQ(Cell(book, 1, 7, 1), "15劃");
    EXPECT_EQ(Cell(book, 1, 3, 2), "N00001");
    EXPECT_EQ(book.CharacterSizes(1, 3, 2), (std::vector<int>{18, 14, 14, 14, 14, 14}));
    EXPECT_EQ(book.CellStyleProperty(1, 2, 1, "fo:font-size"), "16pt");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 2, "fo:font-size"), "20pt");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 2, "fo:font-weight"), "bold");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 1, "fo:background-color"), "#c0c0c0");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 2, "fo:border"), "0.74pt solid #000000");
    EXPECT_EQ(book.CellStyleProperty(1, 7, 2, "fo:color"), "#00ff00");
    EXPECT_EQ(book.CellStyleProperty(1, 3, 1, "fo:background-color"), "");

    // Each singer on a page of its own; no fill but thick borders.
    setup::IsSingerReportContinue = false;
    setup::SingerNameBackground = 1;
    EXPECT_TRUE(WriteSingerBookCommand(false));
    ASSERT_TRUE(ReadBook("歌手歌簿.xls", book));
    EXPECT_EQ(SheetNames(book)[2], "第3頁");
    EXPECT_EQ(Cell(book, 2, 2, 2), "周杰倫");
    EXPECT_EQ(Cell(book, 3, 2, 2), "蔡依林/林俊傑");
    EXPECT_EQ(Cell(book, 3, 5, 1), "00006");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 2, "fo:border"), "2.49pt solid #000000");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 1, "fo:background-color"), "");
}

TEST_F(SingerBookTest, ASingerRunsOnToTheNextPageAndAHeadingNeverEndsAPageAlone) {
    library.Fill(Singers({{"王菲", 150}}));
    WriteSingerBookCommand(false);
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("歌手歌簿.xls", book));
    EXPECT_EQ(Cell(book, 1, 2, 2), "王菲　");
    EXPECT_EQ(Cell(book, 1, 37, 10), "00143");  // the last slot of block J-K
    EXPECT_EQ(Cell(book, 2, 2, 1), "00144");    // no heading on page 2
    EXPECT_EQ(Cell(book, 2, 8, 1), "00150");

    // A singer whose heading takes the last slot of the page, with the book's last song.
    library.Fill(Singers({{"王菲", 142}, {"周杰倫", 1}}));
    WriteSingerBookCommand(false);
    ASSERT_TRUE(ReadBook("歌手歌簿.xls", book));
    EXPECT_EQ(Cell(book, 1, 37, 11), "周杰倫");
    EXPECT_EQ(Cell(book, 2, 2, 1), "00143");
    EXPECT_EQ(Cell(book, 1, 2, 13), "");
}

TEST_F(SingerBookTest, LanguagesStartPagesAndTitleThem) {
    setup::IsSingerClassifiedByLanguage = true;
    setup::SingerOutputRowStyle = 1;
    auto rows = Singers({{"王菲", 3}});
    rows[2][colLanguage] = "3";
    library.Fill(rows);
    WriteSingerBookCommand(false);
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("歌手歌簿.xls", book));
    EXPECT_EQ(Cell(book, 1, 1, 1), "歌星歌簿(國語)");
    EXPECT_EQ(book.CellStyleProperty(1, 2, 2, "fo:font-size"), "24pt");
    EXPECT_EQ(Cell(book, 2, 1, 1), "歌星歌簿(粵語)");
    EXPECT_EQ(Cell(book, 2, 2, 1), "00003");  // the same singer goes on without a heading
}

TEST_F(SingerBookTest, SurnameStrokeSheetsListEveryFirstCharacterByStrokes) {
    EXPECT_EQ(Big5ToUtf8(JoinDuetSingerNames(B5("周杰  蔡林  X"))), "周杰/蔡林X");
    EXPECT_EQ(Big5ToUtf8(JoinDuetSingerNames(B5("王菲"))), "王菲　");
    EXPECT_EQ(JoinDuetSingerNames("Abba"), "Abba" + B5("　"));

    // 109 distinct first characters of one stroke count (the 4-stroke run from 中 A4A4), a repeat, and
    // entries that give no character.
    SingerDisplayList.clear();
    std::vector<std::string> chars;
    for (int c = 0xA4A4; chars.size() < 109; ++c) {
        const std::string ch{static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
        if (Big5StrokeCountOfFirstChar(ch) == 4) chars.push_back(ch);
    }
    SingerDisplayList = {chars[5] + "x", "A", "", chars[5]};
    for (auto it = chars.rbegin(); it != chars.rend(); ++it) SingerDisplayList.push_back(*it);
    SingerDisplayList.push_back(B5("一"));
    BuildLeadCharList();
    ASSERT_EQ(LeadCharList.size(), 110u);
    EXPECT_EQ(LeadCharList[0], B5("一"));
    EXPECT_EQ(std::vector<std::string>(LeadCharList.begin() + 1, LeadCharList.end()), chars);

    library.Fill(Singers({{"王菲", 1}}));
    SingerDisplayList.push_back(B5("一"));
    WriteSingerBookCommand(false);
    OdsWorkbook book;
    ASSERT_TRUE(ReadBook("歌手歌簿.xls", book));
    EXPECT_EQ(SheetNames(book)[1], "歌手姓氏筆劃表-1");
    EXPECT_EQ(SheetNames(book)[2], "歌手姓氏筆劃表-2");
    EXPECT_EQ(Cell(book, 2, 2, 1), "1劃");
    EXPECT_EQ(Cell(book, 2, 3, 1), "4劃");
    EXPECT_EQ(Cell(book, 2, 4, 1), "");  // same count: no label
    EXPECT_EQ(Cell(book, 2, 28, 11), Big5ToUtf8(chars[106]));
    EXPECT_EQ(Cell(book, 3, 2, 1), "4劃");  // the first of a sheet always carries its label
    EXPECT_EQ(Cell(book, 3, 2, 2), Big5ToUtf8(chars[107]));
    EXPECT_EQ(book.CellStyleProperty(3, 2, 2, "fo:background-color"), "#c0c0c0");
}

}  // namespace
}  // namespace qv::test
