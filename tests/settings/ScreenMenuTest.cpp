#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "settings/ScreenMenu.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"

using namespace qv;
using namespace qv::setup;
using qv::test::ReadBytes;
using qv::test::WriteBytes;

namespace {

// The jukebox's menu as first written: 42 lines, CR LF after each.
std::string StandardMenu(const char* lineBreak = "\r\n") {
    static const char* const lines[42] = {
        "[00]◎主要選單◎", "[01]1.歌星點歌", "[02]2.語言點歌", "[03]3.收藏歌曲",   "[04]4.點播排行榜",
        "[05]5.拼音點歌", "[06]6.注音點歌", "[07]◎歌星點歌◎", "[08]1.男歌星  ",   "[09]2.女歌星  ",
        "[10]3.團體歌星", "[11]4.外語歌星", "[12]5.雙人對唱", "[13]6.其他歌星",   "[14]◎語言點歌◎",
        "[15]1.國語歌曲", "[16]2.台語歌曲", "[17]3.粵語歌曲", "[18]4.英文歌曲",   "[19]5.日韓歌曲",
        "[20]6.其他語言", "[21]◎收藏歌曲◎", "[22]1.新進歌曲", "[23]2.流行歌曲",   "[24]3.我的最愛",
        "[25]4.懷舊歌曲", "[26]5.經典歌曲", "[27]6.所有歌曲", "[28]歌手姓氏筆劃", "[29]1. 3劃以下",
        "[30]2. 3到 7劃", "[31]3. 8到10劃", "[32]4.11到13劃", "[33]5.13劃以上",   "[34]6.最愛歌手",
        "[35]◎歌曲字數◎", "[36]1.一到二字", "[37]2.三字歌曲", "[38]3.四字歌曲",   "[39]4.五字歌曲",
        "[40]5.六字歌曲", "[41]6.七字以上"};
    std::string text;
    for (const char* line : lines) text += Utf8ToBig5(line) + lineBreak;
    return text;
}

class ScreenMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppPath;
        AppPath = folder_.Path();
        std::filesystem::create_directory(folder_.File("000"));
    }
    void TearDown() override { AppPath = saved_; }
    std::string Menu() const { return folder_.File("000/menu.ztx"); }

    qv::test::TempFolder folder_;
    qv::test::FakeUserInterface ui_;
    std::string saved_;
};

int FieldIndex(const char* name) {
    for (int i = 0; i < ScreenMenuFieldCount; ++i)
        if (std::string(ScreenMenuFields()[i].name) == name) return i;
    return -1;
}

TEST(FixWidthTest, CutsOnCharactersAndPads) {
    EXPECT_EQ(FixWidth("ab", 4), "ab  ");
    EXPECT_EQ(FixWidth("abcd", 4), "abcd");
    EXPECT_EQ(FixWidth("abcdef", 4), "abcd");
    // 中 is A4 A4: cut after its lead byte, the orphan becomes a blank.
    EXPECT_EQ(FixWidth("abc\xA4\xA4", 4), "abc ");
    EXPECT_EQ(FixWidth("\xA4\xA4\xA4\xA4", 3), "\xA4\xA4 ");
    EXPECT_EQ(FixWidth("", 2), "  ");
}

TEST_F(ScreenMenuTest, UnchangedFieldsWriteTheSameBytes) {
    WriteBytes(Menu(), StandardMenu());
    const ScreenMenuTexts texts = LoadScreenMenu();
    EXPECT_EQ(Big5ToUtf8(texts[FieldIndex("Edit3_6")]), "點播排行榜");
    EXPECT_EQ(Big5ToUtf8(texts[FieldIndex("Edit3_11")]), "1.男歌星");
    EXPECT_EQ(Big5ToUtf8(texts[FieldIndex("Edit3_43")]), "3. 8到10劃");
    EXPECT_EQ(texts, DefaultScreenMenu());
    ASSERT_TRUE(ApplyScreenMenu(texts));
    EXPECT_EQ(ReadBytes(Menu()), StandardMenu());
    EXPECT_EQ(ReadBytes(Menu()).size(), 686u);
}

TEST_F(ScreenMenuTest, EditedFieldsKeepTheirWidthsAndOtherLinesStay) {
    // CR-only lines and a line after the 42 are read; the file is written back with CR LF.
    std::string menu = StandardMenu("\r") + "extra\r";
    menu.replace(menu.find(Utf8ToBig5("◎主要選單◎")), 12, Utf8ToBig5("◎我的選單◎"));
    WriteBytes(Menu(), menu);
    ScreenMenuTexts texts = LoadScreenMenu();
    texts[FieldIndex("Edit3_1")] = Utf8ToBig5("歌星");
    texts[FieldIndex("Edit3_6")] = Utf8ToBig5("排行榜");
    texts[FieldIndex("Edit3_12")] = Utf8ToBig5("2.ABCDEFG中");  // 11 bytes: the cut leaves half of 中
    ASSERT_TRUE(ApplyScreenMenu(texts));
    const std::string written = ReadBytes(Menu());
    std::string expected = StandardMenu() + "extra\r\n";
    expected.replace(expected.find(Utf8ToBig5("◎主要選單◎")), 12, Utf8ToBig5("◎我的選單◎"));
    expected.replace(expected.find(Utf8ToBig5("[01]1.歌星點歌")), 14, Utf8ToBig5("[01]1.歌星    "));
    expected.replace(expected.find(Utf8ToBig5("[04]4.點播排行榜")), 16, Utf8ToBig5("[04]4.排行榜    "));
    expected.replace(expected.find(Utf8ToBig5("[09]2.女歌星  ")), 14, "[09]2.ABCDEFG ");
    EXPECT_EQ(written, expected);
    EXPECT_EQ(Big5ToUtf8(LoadScreenMenu()[FieldIndex("Edit3_12")]), "2.ABCDEFG");
}

TEST_F(ScreenMenuTest, MissingOrShortFileIsNeverWritten) {
    ScreenMenuTexts texts = LoadScreenMenu();
    EXPECT_EQ(texts, DefaultScreenMenu());
    EXPECT_TRUE(ApplyScreenMenu(texts));  // reported; the apply still ends
    EXPECT_EQ(ui_.Texts("info").back(), "錯誤:" + AppPath + "/000/menu.ztx不存在");
    EXPECT_FALSE(std::filesystem::exists(Menu()));

    std::string shortMenu = StandardMenu();
    shortMenu.resize(shortMenu.rfind(Utf8ToBig5("[41]")));
    WriteBytes(Menu(), shortMenu);
    texts = LoadScreenMenu();
    EXPECT_EQ(Big5ToUtf8(texts[FieldIndex("Edit3_56")]), "6.七字以上");  // the caption for the missing line
    texts[0] = "X";
    EXPECT_FALSE(ApplyScreenMenu(texts));
    EXPECT_EQ(ui_.Texts("error").back(), "錯誤:" + AppPath + "/000/menu.ztx只有41行, 不足42行, 未寫入");
    EXPECT_EQ(ReadBytes(Menu()), shortMenu);
}

}  // namespace
