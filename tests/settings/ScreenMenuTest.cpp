#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "settings/ScreenMenu.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"
#include "support/ZtMenuText.h"

using namespace qv;
using namespace qv::setup;
using qv::test::ReadBytes;
using qv::test::WriteBytes;

namespace {

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
    WriteBytes(Menu(), test::StandardZtMenu());
    const ScreenMenuTexts texts = LoadScreenMenu();
    EXPECT_EQ(Big5ToUtf8(texts[FieldIndex("Edit3_6")]), "點播排行榜");
    EXPECT_EQ(Big5ToUtf8(texts[FieldIndex("Edit3_11")]), "1.男歌星");
    EXPECT_EQ(Big5ToUtf8(texts[FieldIndex("Edit3_43")]), "3. 8到10劃");
    EXPECT_EQ(texts, DefaultScreenMenu());
    ASSERT_TRUE(ApplyScreenMenu(texts));
    EXPECT_EQ(ReadBytes(Menu()), test::StandardZtMenu());
    EXPECT_EQ(ReadBytes(Menu()).size(), 686u);
}

TEST_F(ScreenMenuTest, EditedFieldsKeepTheirWidthsAndOtherLinesStay) {
    // CR-only lines and a line after the 42 are read; the file is written back with CR LF.
    std::string menu = test::StandardZtMenu("\r") + "extra\r";
    menu.replace(menu.find(Utf8ToBig5("◎主要選單◎")), 12, Utf8ToBig5("◎我的選單◎"));
    WriteBytes(Menu(), menu);
    ScreenMenuTexts texts = LoadScreenMenu();
    texts[FieldIndex("Edit3_1")] = Utf8ToBig5("歌星");
    texts[FieldIndex("Edit3_6")] = Utf8ToBig5("排行榜");
    texts[FieldIndex("Edit3_12")] = Utf8ToBig5("2.ABCDEFG中");  // 11 bytes: the cut leaves half of 中
    ASSERT_TRUE(ApplyScreenMenu(texts));
    const std::string written = ReadBytes(Menu());
    std::string expected = test::StandardZtMenu() + "extra\r\n";
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

    std::string shortMenu = test::StandardZtMenu();
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
