#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "settings/Settings.h"
#include "settings/SingerBinEditor.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"

using namespace qv;
using namespace qv::setup;
using qv::test::ReadBytes;
using qv::test::WriteBytes;

namespace {

std::string Line(const std::string& utf8Name, const char* codes) {
    std::string name = Utf8ToBig5(utf8Name);
    name.resize(30, ' ');
    return name + codes;
}

// The character table after the marker, with CR-only, LF and unended lines that must stay as they are.
const std::string kTail = std::string(33, '#') + "\r\n065164165\r\n066\xA4\x4A\r067068069\n070";

class SingerBinEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppPath;
        AppPath = folder_.Path();
    }
    void TearDown() override { AppPath = saved_; }
    std::string Bin() const { return folder_.File("singer.bin"); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& row : editor_.Rows()) names.push_back(Big5ToUtf8(row.name));
        return names;
    }

    qv::test::TempFolder folder_;
    qv::test::FakeUserInterface ui_;
    SingerBinEditor editor_;
    std::string saved_;
};

TEST_F(SingerBinEditorTest, LoadShowsNamesAndSaveKeepsTheCharacterTable) {
    const std::string singers =
        Line("鄧麗君", "1 0") + "\r\n" + Line("Beatles", "4 2") + "\r\n" + Line("阿妹", "0 4") + "\r\n";
    WriteBytes(Bin(), singers + kTail);
    ASSERT_TRUE(editor_.Load());
    ASSERT_EQ(editor_.Rows().size(), 3u);
    EXPECT_EQ(Big5ToUtf8(editor_.Rows()[0].language), "國語");
    EXPECT_EQ(Big5ToUtf8(editor_.Rows()[0].singerClass), "女歌手");
    EXPECT_EQ(Big5ToUtf8(editor_.Rows()[1].singerClass), "團體歌手");
    EXPECT_EQ(Big5ToUtf8(editor_.Rows()[2].language), "其他");  // digit 0
    EXPECT_EQ(Big5ToUtf8(editor_.Rows()[2].singerClass), "雙人對唱");

    ASSERT_TRUE(editor_.SetLanguage(1, Utf8ToBig5("日語")));
    EXPECT_EQ(ReadBytes(Bin()), Line("鄧麗君", "1 0") + "\r\n" + Line("Beatles", "6 2") + "\r\n" +
                                    Line("阿妹", "5 4") + "\r\n" + kTail);
    ASSERT_TRUE(editor_.SetClass(0, Utf8ToBig5("其他")));
    ASSERT_TRUE(editor_.Rename(2, Utf8ToBig5("  張惠妹　")));
    EXPECT_EQ(ReadBytes(Bin()), Line("鄧麗君", "1 5") + "\r\n" + Line("Beatles", "6 2") + "\r\n" +
                                    Line("張惠妹", "5 4") + "\r\n" + kTail);
}

TEST_F(SingerBinEditorTest, NamesCompareWithoutLetterCaseButNeverOnTrailBytes) {
    // 入 is A4 4A, 大 is A4 6A: the trail bytes are the letters J and j, and must not fold.
    WriteBytes(Bin(), Line("入", "1 1") + "\r\n" + Line("Abc", "1 1") + "\r\n" + kTail);
    ASSERT_TRUE(editor_.Load());
    EXPECT_TRUE(editor_.NameTaken("aBC", -1));
    EXPECT_FALSE(editor_.NameTaken("\xA4\x6A", -1));
    EXPECT_FALSE(editor_.Rename(0, "ABC"));
    EXPECT_EQ(ui_.Texts("error").back(), "已有相同的歌手/團體");
    EXPECT_TRUE(editor_.Rename(1, "ABC"));  // its own name in other letters
    EXPECT_TRUE(editor_.Rename(0, "\xA4\x6A"));

    // Adding a name that is there after trimming asks, and replaces on yes.
    ui_.answers = {false, true};
    EXPECT_EQ(editor_.Add(" abc ", Utf8ToBig5("英語"), Utf8ToBig5("外語歌手")), -1);
    EXPECT_EQ(ui_.Texts("ask").back(), "歌手資料庫中已有此歌手, 新增動作將取代舊的資料. 確定要新增?");
    EXPECT_EQ(editor_.Add(" abc ", Utf8ToBig5("英語"), Utf8ToBig5("外語歌手")), 1);
    EXPECT_EQ(ui_.Texts("info").back(), "新增完成");
    EXPECT_EQ(Names(), (std::vector<std::string>{"大", "abc"}));
    EXPECT_EQ(ReadBytes(Bin()), Line("大", "1 1") + "\r\n" + Line("abc", "4 3") + "\r\n" + kTail);
}

TEST_F(SingerBinEditorTest, AddDeleteAndTheirRefusals) {
    WriteBytes(Bin(), Line("A", "1 1") + "\r\n" + kTail);
    ASSERT_TRUE(editor_.Load());
    EXPECT_EQ(editor_.Add("  ", "x", "y"), -1);
    EXPECT_EQ(editor_.Add("B", "", "y"), -1);
    EXPECT_EQ(editor_.Add("B", "x", ""), -1);
    EXPECT_EQ(editor_.Add(std::string(31, 'n'), "x", "y"), -1);
    EXPECT_EQ(ui_.Texts("error"),
              (std::vector<std::string>{"請輸入歌手/團體名稱", "請選取歌手主要的語言", "請選取歌手類別",
                                        "歌手/團體名稱不可超過30個位元組(15個中文字)"}));
    // Unknown texts are stored as their fallback digits, and shown as what was stored.
    EXPECT_EQ(editor_.Add(std::string(30, 'n'), "x", "y"), 1);
    EXPECT_EQ(Big5ToUtf8(editor_.Rows()[1].language), "國語");
    EXPECT_EQ(Big5ToUtf8(editor_.Rows()[1].singerClass), "女歌手");
    EXPECT_EQ(ReadBytes(Bin()), Line("A", "1 1") + "\r\n" + std::string(30, 'n') + "1 0\r\n" + kTail);

    EXPECT_FALSE(editor_.Delete(-1));
    EXPECT_EQ(ui_.Texts("error").back(), "請選取欲刪除之歌手");
    ui_.answers = {false, true};
    EXPECT_FALSE(editor_.Delete(0));
    EXPECT_EQ(ui_.Texts("ask").back(), "確定要從資料庫刪除歌手[A]的資料?");
    EXPECT_TRUE(editor_.Delete(0));
    EXPECT_EQ(ui_.Texts("info").back(), "刪除完成");
    EXPECT_EQ(ReadBytes(Bin()), std::string(30, 'n') + "1 0\r\n" + kTail);
}

TEST_F(SingerBinEditorTest, MalformedLinesAreKeptUntilEdited) {
    const std::string odd[] = {"short", Line("Bad", "x 1"), Line("Wide", "1 9"), "",
                               std::string(30, 'L') + "AB1 1"};
    std::string singers;
    for (const auto& line : odd) singers += line + "\r\n";
    // CR-only line ends before the marker too.
    WriteBytes(Bin(), singers + Line("Good", "2 1") + "\r" + Line("Cr", "3 0") + "\r" + kTail);
    ASSERT_TRUE(editor_.Load());
    ASSERT_EQ(editor_.Rows().size(), 7u);
    EXPECT_EQ(Names()[4], std::string(30, 'L') + "AB");  // a name over 30 bytes shows whole
    ASSERT_TRUE(editor_.SetLanguage(5, Utf8ToBig5("國語")));
    const std::string expected = singers + Line("Good", "1 1") + "\r\n" + Line("Cr", "3 0") + "\r\n" + kTail;
    EXPECT_EQ(ReadBytes(Bin()), expected);

    // Re-classifying the over-long name would cut it: refused until it is renamed.
    EXPECT_FALSE(editor_.SetClass(4, Utf8ToBig5("其他")));
    EXPECT_EQ(ui_.Texts("error").back(), "歌手/團體名稱不可超過30個位元組(15個中文字)");
    EXPECT_EQ(ReadBytes(Bin()), expected);
    ASSERT_TRUE(editor_.Rename(4, "Mended"));
    EXPECT_NE(ReadBytes(Bin()).find(Line("Mended", "1 1") + "\r\n"), std::string::npos);
}

TEST_F(SingerBinEditorTest, NoMarkerOrNoFile) {
    WriteBytes(Bin(), Line("A", "1 1") + "\n065164165\n");
    ASSERT_TRUE(editor_.Load());
    EXPECT_EQ(ui_.Texts("warning").size(), 1u);
    ASSERT_TRUE(editor_.Rename(0, "B"));
    EXPECT_EQ(ReadBytes(Bin()), Line("B", "1 1") + "\r\n065164165\r\n");

    std::filesystem::remove(Bin());
    EXPECT_FALSE(editor_.Rename(0, "C"));
    EXPECT_EQ(ui_.Texts("error").back(), "找不到singer.bin");
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "065164165"}));  // the change was taken back
    EXPECT_FALSE(std::filesystem::exists(Bin()));
    EXPECT_FALSE(editor_.Load());
    EXPECT_TRUE(editor_.Rows().empty());
}

TEST_F(SingerBinEditorTest, SearchWrapsFromTheCurrentRow) {
    WriteBytes(Bin(), Line("Jay", "1 1") + "\r\n" + Line("Amy", "1 0") + "\r\n" + Line("JOLIN", "1 0") +
                          "\r\n" + Line("入", "1 1") + "\r\n" + kTail);
    ASSERT_TRUE(editor_.Load());
    EXPECT_EQ(editor_.Search("j", -1), 0);
    EXPECT_EQ(editor_.Search("j", 0), 2);
    EXPECT_EQ(editor_.Search("j", 2), 0);  // the trail byte J of row 3 is no letter J
    EXPECT_EQ(editor_.Search("amy", 3), 1);
    EXPECT_EQ(editor_.Search("Jay", 0), 0);  // wraps round to the current row itself
    EXPECT_EQ(editor_.Search("zz", 1), -1);
    EXPECT_EQ(ui_.Texts("info").back(), "找不到相關歌手/團體");
    EXPECT_EQ(editor_.Search(" ", 1), -1);
    EXPECT_EQ(ui_.Texts("error").back(), "請輸入關鍵字");
}

}  // namespace
