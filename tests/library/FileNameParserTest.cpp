#include <gtest/gtest.h>

#include <random>

#include "catalogue/Big5Codec.h"
#include "catalogue/SingerTable.h"
#include "catalogue/CharTw.h"
#include "library/FileNameParser.h"
#include "support/FakeUserInterface.h"

using namespace qv;

namespace {

std::string B(const std::string& utf8) { return Utf8ToBig5(utf8); }
std::string U(const std::string& big5) { return Big5ToUtf8(big5); }

class FileNameParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto* list : {&SingerNames, &SingerLanguageCodes, &SingerClassCodes, &SingerDisplayList,
                           &SingerDisplayLanguages})
            list->clear();
    }
    void TearDown() override { SetUp(); }

    static void AddSinger(const std::string& utf8, const std::string& classCode,
                          const std::string& language) {
        SingerNames.push_back(B(utf8));
        SingerClassCodes.push_back(classCode);
        SingerLanguageCodes.push_back(language);
    }
    static void AddDisplay(const std::string& utf8Entry, const std::string& language) {
        SingerDisplayList.push_back(B(utf8Entry));
        SingerDisplayLanguages.push_back(language);
    }

    // Parses a UTF-8 path under the given form; results in UTF-8.
    ParsedSongName Parse(const std::string& utf8Path, int form,
                         std::array<int, 8> selfDefine = {-1, -1, -1, -1, -1, -1, -1, -1}) {
        ParsedSongName out;
        ParseSongFileName(utf8Path, NameParseSettings{form, selfDefine}, out);
        out.name = U(out.name);
        out.singer = U(out.singer);
        return out;
    }

    test::FakeUserInterface ui_;
};

void ExpectSong(const ParsedSongName& r, bool recognised, const std::string& name, const std::string& singer,
                int singerClass, int language) {
    EXPECT_EQ(r.recognised, recognised);
    EXPECT_EQ(r.name, name);
    EXPECT_EQ(r.singer, singer);
    EXPECT_EQ(r.singerClass, singerClass);
    EXPECT_EQ(r.language, language);
}

TEST_F(FileNameParserTest, SearchesMatchOnlyWhereACharacterStarts) {
    // 北 is A5 5F: its trail byte is an underscore.
    const std::string text = B("北方的雪_王大明");
    EXPECT_EQ(text[1], '_');
    EXPECT_EQ(FindAligned(text, "_"), 8u);
    EXPECT_EQ(FindNameSeparator(text).position, 9);
    EXPECT_EQ(FindAligned(B("北方"), "_"), std::string::npos);
    EXPECT_EQ(FindAligned("", "_"), std::string::npos);

    // The first separator in table order wins, not the leftmost one.
    TextMark s = FindNameSeparator("a b_c");
    EXPECT_EQ(s.position, 4);
    EXPECT_EQ(s.number, 1);
    TextMark j = FindSingerJoiner(B("甲、乙+丙"));
    EXPECT_EQ(j.number, 2);
    EXPECT_EQ(FindSingerJoiner("abc").position, 0);

    EXPECT_EQ(SexWordClass(B("男女對唱")), 6);
    EXPECT_EQ(SexWordClass(B("女歌手")), 2);
    EXPECT_EQ(LanguageWordCode(B("廣東歌")), 3);
    EXPECT_EQ(LanguageWordCode(B("其他")), 5);
}

TEST_F(FileNameParserTest, FindsTheSpanOfKnownSingersWithTheEarliestStartsClass) {
    AddSinger("王大", "3", "2");
    AddSinger("王大明", "2", "3");
    AddSinger("小明", "1", "7");
    AddSinger("不在", "1", "1");

    SingerMatch m = FindSingerInText(B("晴天_王大明"));
    EXPECT_EQ(U(m.text), "王大明");  // nested names: the furthest end
    EXPECT_EQ(m.position, 6);
    EXPECT_EQ(m.singerClass, 3);  // same start: the first in list order
    EXPECT_EQ(m.language, 2);

    m = FindSingerInText(B("晴天_小明與王大明"));
    EXPECT_EQ(U(m.text), "小明與王大明");
    EXPECT_EQ(m.singerClass, 1);
    EXPECT_EQ(m.language, 7);

    // The display list comes first at the same start.
    AddDisplay("王大(女歌手)", "6");
    m = FindSingerInText(B("王大明"));
    EXPECT_EQ(m.singerClass, 2);
    EXPECT_EQ(m.language, 6);

    m = FindSingerInText(B("沒有歌手"));
    EXPECT_EQ(m.position, 0);
    EXPECT_TRUE(m.text.empty());
    EXPECT_EQ(FindSingerInText("").position, 0);
}

// The indexed search over many texts gives the linear search's answer for each: span, position, class
// and language, with nested and overlapping names, one-byte names, Latin names and names in both lists.
TEST_F(FileNameParserTest, TheIndexedSingerSearchAnswersAsTheLinearOne) {
    AddSinger("王大", "3", "2");
    AddSinger("王大明", "2", "3");
    AddSinger("小明", "1", "7");
    AddSinger("A", "4", "4");
    AddSinger("Amy Lin", "2", "4");
    AddSinger("北方", "1", "1");  // 北 is A5 5F: its trail byte is an underscore
    AddDisplay("王大(女歌手)", "6");
    AddDisplay("B(男歌手)", "4");
    AddDisplay("amy lin(女歌手)", "4");
    AddDisplay("明(樂團)", "1");
    AddDisplay("大明(男歌手)", "2");
    const SingerFinder finder;

    const char* const pieces[] = {"王大", "明", "小", "A", "B", "Amy Lin", "amy",
                                  "北方", "_",  "與", "&", " ", "晴天",    "Lin"};
    std::mt19937 random(7);
    int found = 0;
    for (int t = 0; t < 3000; ++t) {
        std::string text;
        for (int n = static_cast<int>(random() % 5); n >= 0; --n)
            text += B(pieces[random() % std::size(pieces)]);
        const SingerMatch linear = FindSingerInText(text), indexed = finder.Find(text);
        ASSERT_EQ(indexed.text, linear.text) << U(text);
        ASSERT_EQ(indexed.position, linear.position) << U(text);
        ASSERT_EQ(indexed.singerClass, linear.singerClass) << U(text);
        ASSERT_EQ(indexed.language, linear.language) << U(text);
        found += linear.position > 0;
    }
    EXPECT_GT(found, 1500);  // most texts hold a singer: the comparison covers the matches
}

TEST_F(FileNameParserTest, KeepsSingerTableCodesInRange) {
    AddSinger("甲", "9", "0");
    AddSinger("乙", "x", "12");
    SingerMatch m = FindSingerInText(B("甲"));
    EXPECT_EQ(m.singerClass, 5);
    EXPECT_EQ(m.language, 5);
    m = FindSingerInText(B("乙"));
    EXPECT_EQ(m.singerClass, 5);
    EXPECT_EQ(m.language, 5);
    // A display entry with a one-byte name.
    AddDisplay("A(男歌手)", "4");
    m = FindSingerInText("xA");
    EXPECT_EQ(m.singerClass, 1);
    EXPECT_EQ(m.language, 4);
}

TEST_F(FileNameParserTest, SplitsDuets) {
    DuetSingers d = SplitDuetSingers(B("甲　乙"));
    EXPECT_EQ(U(d.first), "甲");
    EXPECT_EQ(U(d.second), "乙");
    EXPECT_EQ(d.firstClass, 1);
    EXPECT_EQ(d.secondClass, 2);

    AddSinger("小美", "2", "1");
    AddSinger("五月天", "3", "1");
    d = SplitDuetSingers(B("小美 & 阿強"));
    EXPECT_EQ(U(d.first), "小美");
    EXPECT_EQ(U(d.second), "阿強");
    EXPECT_EQ(d.firstClass, 2);
    EXPECT_EQ(d.secondClass, 1);

    d = SplitDuetSingers(B("阿強+五月天"));
    EXPECT_EQ(d.secondClass, 3);

    // No second singer: none is carried over from an earlier call.
    d = SplitDuetSingers(B("小美"));
    EXPECT_EQ(d.second, "");
    EXPECT_EQ(d.secondClass, 1);
}

TEST_F(FileNameParserTest, SmallTextHelpers) {
    EXPECT_EQ(U(StripTrackNumber(B("01.晴天_王大明"), 1)), "晴天_王大明");
    EXPECT_EQ(U(StripTrackNumber(B("12、晴天"), 1)), "晴天");
    EXPECT_EQ(U(StripTrackNumber(B("晴天 12"), 1)), "晴天 12");
    EXPECT_EQ(U(StripTrackNumber(B("晴天(現場)_國_x"), 1)), "晴天_x");
    EXPECT_EQ(U(StripTrackNumber(B("晴天(現場)_國_x"), 2)), "晴天(現場)_x");

    EXPECT_EQ(U(NormalizeWideSpacing(B("Love 你"))), "Love  你");
    EXPECT_EQ(U(NormalizeWideSpacing(B(" 你"))), " 你");
    EXPECT_EQ(U(NormalizeWideSpacing(B("a  你"))), "a  你");
    EXPECT_EQ(U(NormalizeWideSpacing(B("a b"))), "a b");
}

TEST_F(FileNameParserTest, OriginalFormsFindTheSingerAndTheName) {
    AddSinger("王大明", "1", "1");
    AddSinger("小美", "2", "2");

    ExpectSong(Parse("/x/03.晴天_王大明.mpg", 0), true, "晴天", "王大明", 1, 1);
    ExpectSong(Parse("/x/北方的雪_王大明.mpg", 0), true, "北方的雪", "王大明", 1, 1);
    ExpectSong(Parse("王大明-北方的雪.avi", 0), true, "北方的雪", "王大明", 1, 1);
    // Joined singers: the joined text goes into the singer once and leaves the name.
    ExpectSong(Parse("晴天_王大明&小明.mpg", 0), true, "晴天", "王大明 小明", 1, 1);
    ExpectSong(Parse("晴天_阿強&小美.mpg", 0), true, "晴天", "阿強 小美", 2, 2);
    ExpectSong(Parse("王大明+阿強_晴天.mpg", 0), true, "晴天", "王大明 阿強", 1, 1);
    ExpectSong(Parse("阿強、王大明_晴天.mpg", 0), true, "晴天", "阿強 王大明", 1, 1);
    // Both sides non-empty: the shorter side joins the singer.
    ExpectSong(Parse("我_王大明_晴天的歌.mpg", 0), true, "晴天的歌", "我_王大明", 1, 1);
    ExpectSong(Parse("王大明.mpg", 0), true, "無歌名", "王大明", 1, 1);

    // Bracket groups: removed by form 0, kept by form 8.
    ExpectSong(Parse("晴天(現場版)_王大明.mpg", 0), true, "晴天", "王大明", 1, 1);
    ExpectSong(Parse("晴天(現場版)_王大明.mpg", 8), true, "晴天(現場版)", "王大明", 1, 1);
    ExpectSong(Parse("07 晴天_王大明.mpg", 8), true, "晴天", "王大明", 1, 1);

    // No known singer.
    ExpectSong(Parse("Yesterday.mp3", 0), true, "Yesterday", "英文歌", 5, 4);
    ExpectSong(Parse("晴天.mpg", 0), true, "晴天", "佚名", 1, 1);
    ExpectSong(Parse("晴天_阿強.mpg", 0), false, "阿強", "晴天", 1,
               1);  // equal lengths: before is the singer
    ExpectSong(Parse("晴天_阿強&阿弟.mpg", 0), false, "晴天", "阿強 阿弟", 1, 1);
    ExpectSong(Parse("北方的雪_阿強.mpg", 0), false, "北方的雪", "阿強", 1, 1);
}

TEST_F(FileNameParserTest, FieldForm) {
    AddSinger("王大明", "1", "1");
    ExpectSong(Parse("/a/晴天_王大明&&小美_女_台語.mpg", 1), true, "晴天", "王大明  小美", 2, 2);
    ExpectSong(Parse("晴天_王大明.mpg", 1), true, "晴天", "王大明", 5, 5);
    ExpectSong(Parse("晴天_阿強_男.mpg", 1), false, "晴天", "阿強", 1, 5);
    ExpectSong(Parse("晴天.mpg", 1), false, "晴天", "佚名", 5, 5);
}

TEST_F(FileNameParserTest, WordFolderForms) {
    AddSinger("王大明", "1", "1");
    AddSinger("小美", "2", "1");
    ExpectSong(Parse("/歌/國語/女/晴天_王大明.mpg", 2), true, "晴天", "王大明", 2, 1);
    ExpectSong(Parse("/歌/台語/其他/晴天_王大明&小美.mpg", 2), true, "晴天", "王大明 小美", 1, 2);
    ExpectSong(Parse("/歌/台語/女/晴天.mpg", 2), false, "晴天", "佚名", 2, 2);
    ExpectSong(Parse("/歌/女/粵語/晴天_小美.mpg", 3), true, "晴天", "小美", 2, 3);
    ExpectSong(Parse("晴天_阿強.mpg", 3), false, "晴天", "阿強", 5, 5);

    ExpectSong(Parse("/歌/日語/團體/五月天/晴天.mpg", 4), true, "晴天", "五月天", 3, 6);
    ExpectSong(Parse("/歌/英語/其他/小美_Amy/Rain.mpg", 5), true, "Rain", "小美 Amy", 2, 4);
    ExpectSong(Parse("晴天.mpg", 4), true, "晴天", "佚名", 5, 5);
}

// An overlong "/" or NUL in a raw file name is no folder break and no end of text: it stays where it was,
// as "?".
TEST_F(FileNameParserTest, OverlongUtf8StaysInsideItsPathPart) {
    ExpectSong(Parse("/歌/日語/團體/五月\xC0\xAF天/晴天.mpg", 4), true, "晴天", "五月??天", 3, 6);
    ExpectSong(Parse("/歌/晴\xC0\xAF天_阿\xC0\x80強.mpg", 1), false, "晴??天", "阿??強", 5, 5);
}

TEST_F(FileNameParserTest, CustomFolderForm) {
    AddSinger("王大明", "1", "1");
    ParsedSongName kept;
    kept.name = "keep";
    EXPECT_FALSE(ParseSongFileName("/a/b.mpg", NameParseSettings{6, {1, 2, 3, -1, -1, -1, -1, -1}}, kept));
    EXPECT_EQ(kept.name, "keep");
    ASSERT_EQ(ui_.Texts("error").size(), 1u);
    EXPECT_EQ(ui_.Texts("error")[0], "自訂資料夾形式有誤!");

    ExpectSong(Parse("/x/晴天_王大明.mpg", 6, {-1, -1, -1, 3, -1, -1, -1, -1}), true, "晴天", "王大明", 1, 5);
    // "(無)" and unset levels are dropped; the rest pair with the folders from the end.
    ExpectSong(Parse("/x/台語/女/小美_晴天.mpg", 6, {0, 1, 2, 1, -1, -1, -1, -1}), true, "晴天", "小美", 2,
               2);
    // A singer folder wins over the singer of the file name.
    ExpectSong(Parse("/x/國語/王大明/晴天-阿強.mpg", 6, {1, 3, -1, 4, -1, -1, -1, -1}), true, "晴天",
               "王大明", 1, 1);
    // More levels than folders.
    ExpectSong(Parse("晴天.mpg", 6, {1, 2, 3, 0, -1, -1, -1, -1}), true, "晴天", "佚名", 5, 5);
}

TEST_F(FileNameParserTest, CustomFileForm) {
    AddSinger("王大明", "1", "1");
    ExpectSong(Parse("王大明_晴天.mpg", 7, {-1, -1, -1, -1, 3, 0, 4, -1}), true, "晴天", "王大明", 1, 5);
    ExpectSong(Parse("國語_女_阿強&阿弟_晴天-live.mpg", 7, {-1, -1, -1, -1, 1, 2, 3, 4}), true, "晴天_live",
               "阿強 阿弟", 2, 1);
    ExpectSong(Parse("晴天.mpg", 7, {-1, -1, -1, -1, 3, 4, -1, -1}), true, "無歌名", "晴天", 5, 5);
}

TEST_F(FileNameParserTest, AnyBytesParseWithoutFault) {
    AddSinger("王大明", "1", "1");
    AddDisplay("王大明(男歌手)", "1");
    std::vector<std::string> names = {"",
                                      ".",
                                      "/",
                                      "____.mpg",
                                      "-_- 　.mpg",
                                      "((((]]]{}.mpg",
                                      "(晴天).mpg",
                                      "\xA5",
                                      "\xff\xfe\x80_\xA4.mpg",
                                      std::string(300, 'a'),
                                      std::string(300, '_'),
                                      "01.",
                                      "1_",
                                      "noext",
                                      "a/b/c/",
                                      "王大明&&&",
                                      "&_&_&"};
    std::mt19937 rng(5);
    for (int i = 0; i < 300; ++i) {
        std::string s(rng() % 40, ' ');
        static const char pool[] = "_-. &+/(ab\xA4\xA5\x5F\xA1\x40\xFF";
        for (auto& c : s) c = pool[rng() % (sizeof pool - 1)];
        names.push_back(s);
    }
    for (const auto& name : names) {
        for (int form = 0; form <= 8; ++form) {
            ParsedSongName out;
            bool ok = ParseSongFileNameBig5(name, NameParseSettings{form, {1, 2, 3, 3, 3, 4, 1, 2}}, out);
            EXPECT_EQ(ok, out.recognised);
            if (ok) {
                EXPECT_FALSE(out.name.empty()) << "form " << form << " name " << name;
                EXPECT_FALSE(out.singer.empty()) << "form " << form << " name " << name;
            }
            EXPECT_TRUE(out.singerClass >= 1 && out.singerClass <= 8);
            EXPECT_TRUE(out.language >= 1 && out.language <= 9);
        }
    }
    // Not valid UTF-8: converted with replacement characters, still parsed.
    ParsedSongName out;
    EXPECT_TRUE(ParseSongFileName("\xC3\x28\xA0_x.mpg", NameParseSettings{}, out));
}

}  // namespace
