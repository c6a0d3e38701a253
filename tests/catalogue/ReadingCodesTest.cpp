#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "support/FakeUserInterface.h"

using namespace qv;

namespace {

std::string B(const std::string& utf8) { return Utf8ToBig5(utf8); }
std::string U(const std::string& big5) { return Big5ToUtf8(big5); }

class ReadingCodesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ZhuyinCharList.clear();
        ZhuyinKeyList.clear();
        // Characters with the keyboard key of their first Bopomofo symbol.
        for (auto [c, key] :
             {std::pair{"中", "5"}, {"衣", "u"}, {"杯", "1"}, {"欸", ","}, {"誒", "o"}, {"愛", "9"}}) {
            ASSERT_TRUE(Utf8FitsBig5(c));
            ZhuyinCharList.push_back(B(c));
            ZhuyinKeyList.push_back(key);
        }
    }
    void TearDown() override {
        ZhuyinCharList.clear();
        ZhuyinKeyList.clear();
    }
    test::FakeUserInterface ui_;
};

TEST_F(ReadingCodesTest, PinyinModesOnTheSameNames) {
    EXPECT_EQ(MakePinyin(B("中衣"), 0), "fq");
    EXPECT_EQ(MakePinyin(B("中衣"), 1), "JE");
    EXPECT_EQ(MakePinyin(B("中衣"), 2), "ZY");
    EXPECT_EQ(MakePinyin(B("杯愛"), 0), "1u");
    EXPECT_EQ(MakePinyin(B("杯愛"), 1), "BI");
    EXPECT_EQ(MakePinyin(B("杯愛"), 2), "BA");
    // Any other setting value: the own letters.
    EXPECT_EQ(MakePinyin(B("中衣"), 7), "fq");
}

TEST_F(ReadingCodesTest, LatinWordsGiveTheirInitialsExceptUnderOwnLetters) {
    EXPECT_EQ(MakePinyin(B("Hello world中"), 0), "f");
    EXPECT_EQ(MakePinyin(B("Hello world中"), 1), "HWJ");
    EXPECT_EQ(MakePinyin(B("i love 中衣 you"), 2), "ILZYY");
    // A word starting with a digit or a sign adds nothing; a sign does not end a word.
    EXPECT_EQ(MakePinyin(B("2night A-ha .com"), 2), "A");
    // Any other setting value counts as "not 0" for initials.
    EXPECT_EQ(MakePinyin("abc", 7), "A");
    // A known character ends a word; a character missing from the table adds nothing.
    EXPECT_EQ(MakePinyin(B("ab中cd"), 2), "AZC");
    EXPECT_EQ(MakePinyin(B("海中"), 2), "Z");
}

TEST_F(ReadingCodesTest, CommaAndOKeysStandForThemselves) {
    for (int mode : {0, 1, 2}) {
        EXPECT_EQ(MakePinyin(B("欸誒"), mode), ",o");
    }
}

TEST_F(ReadingCodesTest, BracketGroupsAddNothing) {
    EXPECT_EQ(MakePinyin(B("中(衣)杯"), 2), "ZB");
    EXPECT_EQ(MakePinyin(B("中（衣）杯[Live]"), 2), "ZB");
    EXPECT_EQ(MakeZhuyin(B("中{衣}"), 0), B("ㄓ"));
}

TEST_F(ReadingCodesTest, TextsEndingInsideACharacterAreSafe) {
    std::string text = B("中");
    text.pop_back();
    EXPECT_EQ(MakePinyin(text, 2), "");
    EXPECT_EQ(MakeZhuyin(text, 2), "");
    EXPECT_EQ(BopomofoToKeypadCodes("\xA3"), "\xA3");
}

TEST_F(ReadingCodesTest, ZhuyinCodes) {
    EXPECT_EQ(U(MakeZhuyin(B("中衣欸誒"), 0)), "ㄓㄧㄝㄟ");
    EXPECT_EQ(U(MakeZhuyin(B("Go 中"), 1)), "Gㄓ");
    EXPECT_EQ(U(MakeZhuyin(B("Go 中"), 0)), "ㄓ");

    EXPECT_EQ(U(ZhuyinKeysToBopomofo("fq1mtBpv", 0)), "ㄓㄧㄅㄚㄦㄥㄝㄟ");
    EXPECT_EQ(ZhuyinKeysToBopomofo("fq", 1), "fq");
    EXPECT_EQ(U(ZhuyinKeysToBopomofoAlways("f?q")), "ㄓㄧ");
    // Own letters of a name map back to the symbols of its characters.
    EXPECT_EQ(ZhuyinKeysToBopomofoAlways(MakePinyin(B("中衣杯"), 0)), MakeZhuyin(B("中衣杯"), 0));
}

TEST_F(ReadingCodesTest, KeypadCodesStopAfterFiveSymbolsOrABlank) {
    EXPECT_EQ(U(BopomofoToKeypadCodes(B("ㄅㄆㄇㄈㄉㄊ"))), "1112131421ㄊ");
    EXPECT_EQ(U(BopomofoToKeypadCodes(B("ㄓㄧ ㄚ"))), "5181 ㄚ");
    EXPECT_EQ(U(BopomofoToKeypadCodes(B("ㄢㄦㄩㄡ"))), "01848394");
    EXPECT_EQ(U(BopomofoToKeypadCodes(B("中ㄅ"))), "中11");
    EXPECT_EQ(BopomofoToKeypadCodes(""), "");
}

TEST_F(ReadingCodesTest, PinyinFieldKeys) {
    EXPECT_EQ(PingYingEditKeyPress("AB", 'c'), 'C');
    EXPECT_EQ(PingYingEditKeyPress("AB", 'Q'), 'Q');
    EXPECT_EQ(PingYingEditKeyPress("AB", '1'), 0);
    EXPECT_EQ(PingYingEditKeyPress("ABCDEFGHIJ", 'k'), 0);
    EXPECT_EQ(PingYingEditKeyPress("ABCDEFGHI", 'k'), 'K');
    EXPECT_EQ(PingYingEditKeyPress("ABCDEFGHIJ", '\b'), '\b');
}

TEST_F(ReadingCodesTest, JapaneseInitials) {
    const std::string table = B("でデ\r\n電田\r\nかカ\r\n感\r\nかカ\r\n漢\r\nとト\r\n特\r\n") +
                              std::string(57, '*') + "\r\n" +
                              B("か ka\r\nで de\r\nと to\r\nカ ka\r\nア a\r\nデ de\r\n");
    BuildJapaneseTables(table);
    ASSERT_EQ(KanjiList.size(), 5u);
    EXPECT_EQ(U(KanjiReadingList[1]), "で");
    ASSERT_EQ(KanaList.size(), 6u);
    EXPECT_EQ(KanaInitialList[0], "K");
    EXPECT_TRUE(ui_.shown.empty());

    EXPECT_EQ(MakeJapanesePinyin(B("電感特漢"), 0), "DKTK");
    EXPECT_EQ(MakeJapanesePinyin(B("カアデ"), 0), "KAD");
    EXPECT_EQ(MakeJapanesePinyin(B("中電"), 0), "D");  // not in the table: nothing
    EXPECT_EQ(MakeJapanesePinyin(B("Love電(特)"), 1), "LD");
    EXPECT_EQ(MakeJapanesePinyin(B("Love電"), 0), "D");
}

TEST_F(ReadingCodesTest, BadKanaLineStopsTheBuild) {
    BuildJapaneseTables(B("かカ\r\n感\r\n感\r\n電\r\nとト\r\n特\r\n"));
    EXPECT_EQ(KanjiList.size(), 1u);
    ASSERT_EQ(ui_.shown.size(), 1u);
    EXPECT_EQ(ui_.shown[0].text, "Zt50.bin檔案格式錯誤");
    // A rebuild starts afresh.
    BuildJapaneseTables(B("とト\n特"));
    EXPECT_EQ(KanjiList, std::vector<std::string>{B("特")});
    EXPECT_TRUE(KanaList.empty());
}

TEST_F(ReadingCodesTest, ChartRowsFollowTheLetterSchemes) {
    auto rows = PinyinLetterChart();
    ASSERT_EQ(rows.size(), 37u);
    EXPECT_EQ(U(rows[0].bopomofo), "ㄅ");
    EXPECT_EQ(U(rows[36].bopomofo), "ㄩ");
    for (const auto& row : rows) {
        ZhuyinCharList = {B("中")};
        ZhuyinKeyList = {std::string(1, row.key)};
        EXPECT_EQ(MakePinyin(B("中"), 0), std::string(1, row.ownLetter));
        EXPECT_EQ(MakePinyin(B("中"), 1), std::string(1, row.qvLetter));
        EXPECT_EQ(MakePinyin(B("中"), 2), std::string(1, row.cnLetter));
        EXPECT_EQ(MakeZhuyin(B("中"), 0), row.bopomofo);
    }
}

class RegeneratePinyinTest : public ReadingCodesTest {
protected:
    void SetUp() override {
        ReadingCodesTest::SetUp();
        dir_ = folder_.Path();
        LibraryRoot = dir_.string();
        BuildJapaneseTables(B("でデ\n電\n") + std::string(57, '*') + "\n" + B("で de\n"));
        std::string file;
        for (auto [name, language] : {std::pair{"中衣", "1"}, {"電", "6"}, {"Hi 杯", "4"}}) {
            SongRow row;
            row[colSongNo] = ZeroPad3(1) + ZeroPadInt(static_cast<int>(AllSong.size()) + 1, 2);
            row[colSongName] = B(name);
            row[colPinyin] = "OLD";
            row[colLanguage] = language;
            file += EncodeLine(static_cast<int>(AllSong.size()), JoinSongRecord(row)) + "\r\n";
            AllSong.push_back(row);
        }
        AllSongCount = static_cast<int>(AllSong.size());
        ASSERT_TRUE(ReplaceFileContents(SongListPath(), file));
    }
    void TearDown() override {
        AllSong.clear();
        AllSongCount = 0;
        LibraryRoot = ".";
        std::filesystem::remove_all(dir_);
        ReadingCodesTest::TearDown();
    }
    test::TempFolder folder_;
    std::filesystem::path dir_;
};

TEST_F(RegeneratePinyinTest, RegeneratesEveryCodeAndRewritesTheColumn) {
    int refreshed = 0;
    N21Click(2, [&refreshed] { ++refreshed; });
    EXPECT_EQ(AllSong[0][colPinyin], "ZY");
    EXPECT_EQ(AllSong[1][colPinyin], "D");  // language 6: romaji initials
    EXPECT_EQ(AllSong[2][colPinyin], "HB");
    EXPECT_EQ(refreshed, 1);
    EXPECT_FALSE(ui_.waitVisible);
    EXPECT_EQ(ui_.Texts("wait"), std::vector<std::string>{"拼音產生中, 請稍候 ..."});
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"拼音產生完成!"});

    // The file holds the new codes, every other byte as it was.
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(SongListPath(), bytes));
    auto lines = SplitTextLines(bytes);
    ASSERT_EQ(lines.size(), 3u);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(lines[r], EncodeLine(r, JoinSongRecord(AllSong[r])));
}

TEST_F(RegeneratePinyinTest, UnwritableListIsNotReportedAsDone) {
    std::filesystem::remove_all(dir_);  // no folder: the list cannot be opened
    N21Click(0);
    EXPECT_EQ(AllSong[0][colPinyin], "fq");
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"Open file:" + SongListPath() + " error!"});
    EXPECT_FALSE(ui_.waitVisible);
}

}  // namespace
