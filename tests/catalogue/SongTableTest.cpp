#include <gtest/gtest.h>

#include <cstdio>

#include <filesystem>
#include <random>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerPair.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "support/FakeSongView.h"
#include "support/FakeUserInterface.h"

using namespace qv;

namespace {

std::string Big5(const std::string& utf8) { return Utf8ToBig5(utf8); }

SongRow Song(const std::string& no, const std::string& name, const std::string& singer,
             const std::string& language = "1", const std::string& singerClass = "1") {
    SongRow row{};
    row[colSongNo] = no;
    row[colSongName] = Big5(name);
    row[colSinger] = Big5(singer);
    row[colLanguage] = language;
    row[colSingerClass] = singerClass;
    return row;
}

class SongTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qv_songtable_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        LibraryRoot = dir_.string();
        AppDir = dir_.string();
        StartingUp = true;  // no ".bak" copies and pauses
        AllSong.clear();
        AllSongCount = 0;
        ShownRows.clear();
        SingerDisplayList.clear();
        SingerDisplayLanguages.clear();
    }
    void TearDown() override {
        StartingUp = false;
        LibraryRoot = AppDir = ".";
        std::filesystem::remove_all(dir_);
    }
    // The table and the song list file behind it, in step.
    void Fill(std::vector<SongRow> rows) {
        AllSong = std::move(rows);
        AllSongCount = static_cast<int>(AllSong.size());
        std::string file;
        for (int r = 0; r < AllSongCount; ++r) file += EncodeLine(r, JoinSongRecord(AllSong[r])) + "\r\n";
        ASSERT_TRUE(ReplaceFileContents(SongListPath(), file));
    }

    test::FakeUserInterface ui_;
    test::FakeSongView view_;
    std::filesystem::path dir_;
};

TEST_F(SongTableTest, FilterAppliesEveryTestAndResetsTheSortStates) {
    Fill({Song("00101", "Love Song", "Amy", "4"), Song("00102", "中文歌", "張三", "1"),
          Song("00103", "Other", "Bob LOVE", "4"), Song("00104", "Plain", "Cat", "1")});
    AllSong[0][colNewMark] = "*";
    AllSong[1][colNewMark] = "@";
    AllSong[2][colSpecialDel] = "X";
    AllSong[3][colSelfPlay] = "*";
    AllSong[1][colFavourite] = "*";
    NameSortState = SingerSortState = ClassSortState = 2;

    FilterSongList(true, "", false, 0, false, false, 0);
    EXPECT_EQ(ShownRows, (std::vector<int>{0, 1}));
    EXPECT_EQ(NameSortState + SingerSortState + ClassSortState, 0);
    EXPECT_EQ(view_.rowRefreshes, 1);

    FilterSongList(false, "lOvE", false, 0, false, false, 0);  // name of row 0, singer of row 2
    EXPECT_EQ(ShownRows, (std::vector<int>{0, 2}));
    FilterSongList(false, "0010", true, 0, false, false, 4);  // song number, no special-deleted, English
    EXPECT_EQ(ShownRows, (std::vector<int>{0}));
    FilterSongList(false, "", false, 0, false, true, 0);
    EXPECT_EQ(ShownRows, (std::vector<int>{2}));
    FilterSongList(false, "", false, 0, true, false, 0);
    EXPECT_EQ(ShownRows, (std::vector<int>{3}));
    FilterSongList(false, "", false, 2, false, false, 0);  // collection 2 is 最愛
    EXPECT_EQ(ShownRows, (std::vector<int>{1}));
    FilterSongList(false, Big5("張"), false, 0, false, false, 1);
    EXPECT_EQ(ShownRows, (std::vector<int>{1}));
}

TEST_F(SongTableTest, SearchMatchesWholeCharactersOnly) {
    Fill({Song("00101", "乙", "x"), Song("00102", "兀", "x"), Song("00103", "A兀a", "x")});  // A4 41, A4 61
    FilterSongList(false, "a", false, 0, false, false, 0);  // no trail byte is taken for a letter
    EXPECT_EQ(ShownRows, (std::vector<int>{2}));
    FilterSongList(false, Big5("兀"), false, 0, false, false, 0);
    EXPECT_EQ(ShownRows, (std::vector<int>{1, 2}));
    EXPECT_EQ(FindSongByName(Big5("兀")), 1);
    EXPECT_EQ(FindSongByName(Big5("乙")), 0);
    EXPECT_EQ(FindSongByName("a" + Big5("兀") + "A"), 2);

    AllSong[0][colSongName] = "\xB0\xA4\xA4\x40";  // B0A4 一: its middle bytes spell 中 (A4 A4)
    FilterSongList(false, Big5("中"), false, 0, false, false, 0);
    EXPECT_TRUE(ShownRows.empty());
}

// The search, done the slow and obvious way: lower-case both, then try every character boundary.
bool ReferenceContains(const std::string& text, const std::string& needle) {
    const std::string t = LowerCaseBig5(text), n = LowerCaseBig5(needle);
    for (std::size_t i = 0; i <= t.size(); i += IsBig5LeadByte(static_cast<unsigned char>(t[i])) ? 2 : 1)
        if (t.compare(i, n.size(), n) == 0 && i + n.size() <= t.size()) return true;
    return false;
}

TEST_F(SongTableTest, SearchAgreesWithLowerCasingBothTexts) {
    std::mt19937 rng(4242);
    const std::string bytes = "aAbB \xA4\x41\x61\xA1\x40\x5A\xFE\x80";
    auto text = [&](int maxLen) {
        std::string s(std::uniform_int_distribution<int>(0, maxLen)(rng), ' ');
        for (char& c : s) c = bytes[rng() % bytes.size()];
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        Fill({Song("00101", "", "")});
        AllSong[0][colSongName] = text(10);
        const std::string needle = text(3);
        FilterSongList(false, needle, false, 0, false, false, 0);
        ASSERT_EQ(ShownRows.size() == 1, needle.empty() || ReferenceContains(AllSong[0][colSongName], needle))
            << round;
    }
}

TEST_F(SongTableTest, AddedSongsShowAndPutTheirSingersAboveTheSingerTable) {
    SingerNames = {Big5("甲"), Big5("乙")};
    SingerClassCodes = {"1", "2"};
    SingerLanguageCodes = {"1", "1"};
    BuildSingerDisplayList();
    LoadingSongs = true;  // as while the song list is read: nothing is written
    FieldList fields(21);
    fields[colSongNo] = "00101";
    fields[colSinger] = Big5("甲");
    fields[colSingerClass] = "1";
    fields[colLanguage] = "2";
    AddSongRow(fields);
    fields[colSongNo] = "00102";
    fields[colSinger] = "Tom Lee";
    fields[colSingerClass] = "4";
    AddSongRow(fields);
    LoadingSongs = false;
    EXPECT_EQ(AllSongCount, 2);
    EXPECT_EQ(ShownRows, (std::vector<int>{0, 1}));
    EXPECT_EQ(AllSong[1][colSingerWordCount], "2");
    EXPECT_EQ(AllSong[0][colSingerStrokes], "5");  // 甲
    EXPECT_EQ(SingerDisplayList, (std::vector<std::string>{"Tom Lee(" + Big5("外語歌手") + ")",
                                                           Big5("甲(男歌手)"), Big5("乙(女歌手)")}));
    EXPECT_EQ(SingerDisplayLanguages, (std::vector<std::string>{"2", "2", "1"}));
}

TEST_F(SongTableTest, EmptyTableShowsNoRows) {
    ShownRows = {3};
    FilterSongList(false, "", false, 0, false, false, 0);
    EXPECT_TRUE(ShownRows.empty());
    EXPECT_EQ(view_.rowRefreshes, 1);
}

TEST_F(SongTableTest, RangeShowsTableOrderOrNothing) {
    Fill({Song("00101", "a", "s"), Song("00102", "b", "s"), Song("00103", "c", "s")});
    ShowSongRange("00102", "00103");
    EXPECT_EQ(ShownRows, (std::vector<int>{1, 2}));
    ShowSongRange("00103", "00101");
    EXPECT_TRUE(ShownRows.empty());
    ShowSongRange("00101", "00199");
    EXPECT_TRUE(ShownRows.empty());
    EXPECT_EQ(view_.rowRefreshes, 3);
}

TEST_F(SongTableTest, DuplicateNeedsSameNameLanguageAndASingerOrDuetPart) {
    Fill({Song("00101", "Moon River", "張三　李四", "4"), Song("00102", "Moon River", "Andy  Lee", "1")});
    EXPECT_EQ(FindDuplicateSong("moon RIVER", Big5("李四"), "", "4"), 0);
    EXPECT_EQ(FindDuplicateSong("moon river", Big5("王五 張三"), "", "4"), 0);
    EXPECT_EQ(FindDuplicateSong("moon river", Big5("李四"), "", "1"), -1);       // other language
    EXPECT_EQ(FindDuplicateSong("moon river", Big5("李四"), "00101", "4"), -1);  // the song being edited
    EXPECT_EQ(FindDuplicateSong("moon river", Big5("王五"), "", "4"), -1);
    EXPECT_EQ(FindDuplicateSong("Moon River", "ANDY", "", "1"), 1);
    EXPECT_EQ(FindDuplicateSong("Moon River", "andy  lee", "", "1"), 1);
    // The empty part between two blanks is no shared singer.
    EXPECT_EQ(FindDuplicateSong("Moon River", "Bob  Joe", "", "1"), -1);
}

// The index of a long run answers every look-up as the walks over the table do: letter case, duet parts,
// languages, the song being edited, and rows appended or taken away while the index lives.
TEST_F(SongTableTest, TheNameIndexFindsTheRowsTheWalksFind) {
    const char* const names[] = {"Moon River", "moon river", "MOON RIVER", "兀", "A兀a", "a兀A", "乙"};
    const char* const singers[] = {"張三　李四", "李四", "王五 張三", "Andy  Lee",
                                   "andy lee",   "ANDY", "Bob  Joe"};
    const char* const languages[] = {"1", "4"};
    std::vector<SongRow> rows;
    for (int i = 0; i < 40; ++i) {
        char no[6];
        std::snprintf(no, sizeof no, "%03d%02d", 1 + i / 80, 1 + i % 80);
        rows.push_back(Song(no, names[i * 3 % 7], singers[i * 5 % 7], languages[i % 3 == 0]));
    }
    Fill(rows);
    SongNameIndex index;
    int duplicates = 0, byName = 0;
    auto compareAll = [&] {
        for (const char* name : names) {
            ASSERT_EQ(index.FindByName(Big5(name)), FindSongByName(Big5(name))) << name;
            byName += FindSongByName(Big5(name)) >= 0;
            for (const char* singer : singers)
                for (const char* language : languages)
                    for (const char* skip : {"", "00101", "00104"}) {
                        const int walk = FindDuplicateSong(Big5(name), Big5(singer), skip, language);
                        ASSERT_EQ(index.FindDuplicate(Big5(name), Big5(singer), skip, language), walk)
                            << name << " " << singer << " " << language << " " << skip;
                        duplicates += walk >= 0;
                    }
        }
    };
    compareAll();
    // Rows appended later are taken in; a name found earlier still gives its first row.
    AllSong.push_back(Song("00141", "Sky", "ANDY", "1"));
    AllSong.push_back(Song("00142", "moon RIVER", "andy", "4"));
    AllSongCount += 2;
    compareAll();
    EXPECT_EQ(index.FindByName("SKY"), 40);
    AllSong.resize(10);
    AllSongCount = 10;
    compareAll();
    EXPECT_EQ(index.FindByName("SKY"), -1);
    EXPECT_GT(duplicates, 100);  // refusals and acceptances both compared
    EXPECT_GT(byName, 10);
}

int ReferenceDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = static_cast<int>(i);
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            d[i][j] = std::min(
                {d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1), d[i - 1][j] + 1, d[i][j - 1] + 1});
    return d[a.size()][b.size()];
}

TEST(EditDistanceTest, CountsBytesOfTheFirst255Only) {
    EXPECT_EQ(EditDistance("", "abc"), 3);
    EXPECT_EQ(EditDistance(std::string(255, 'a') + "xyz", std::string(255, 'a') + "q"), 0);
    EXPECT_EQ(EditDistance(Big5("中文"), Big5("中午")), 1);  // A4E5 / A4C8: one byte differs
    EXPECT_EQ(EditDistance(Big5("中文"), Big5("中愛")), 2);  // A4E5 / B7 52: both bytes
    EXPECT_EQ(EditDistanceUpTo(std::string(300, 'a'), std::string(256, 'a') + "b", 2), 0);
}

TEST(EditDistanceTest, BoundedAndFullAgreeWithTheTextbookTable) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 4000; ++round) {
        const int alphabet = 2 + round % 4;
        auto text = [&](int maxLen) {
            std::string s(std::uniform_int_distribution<int>(0, maxLen)(rng), 'a');
            for (char& c : s)
                c = static_cast<char>('a' + std::uniform_int_distribution<int>(0, alphabet - 1)(rng));
            return s;
        };
        const int maxLen = round % 50 == 0 ? 280 : 12;
        std::string a = text(maxLen);
        std::string b = round % 3 == 0 ? a : text(maxLen);
        if (round % 3 == 0 && !b.empty()) b[rng() % b.size()] = 'z';
        const int full = ReferenceDistance(a.substr(0, 255), b.substr(0, 255));
        ASSERT_EQ(EditDistance(a, b), full) << a << " / " << b;
        for (int limit = 0; limit <= 4; ++limit)
            ASSERT_EQ(EditDistanceUpTo(a, b, limit), std::min(full, limit + 1))
                << a << " / " << b << " " << limit;
    }
}

TEST_F(SongTableTest, FuzzyListsNamesWithinTwoEditsInLfCrOrder) {
    Fill({Song("00101", "Yesterday", "Beatles"), Song("00102", "Yesterdxy", "A"),
          Song("00103", "yestErdxx", "B"), Song("00104", "Yesterxxx", "C"), Song("00105", "Other", "D")});
    EXPECT_TRUE(FuzzyFindSimilar("YESTERDAY"));
    ASSERT_EQ(ui_.Texts("info").size(), 1u);
    EXPECT_EQ(ui_.Texts("info")[0],
              "模糊比對結果相似的歌曲:\n\rYesterday(Beatles)\n\rYesterdxy(A)\n\ryestErdxx(B)");
    EXPECT_FALSE(FuzzyFindSimilar("Nothing like it"));
    EXPECT_EQ(ui_.Texts("info").size(), 1u);
}

TEST_F(SongTableTest, UpdateMapsVolumeAndChannelPositions) {
    Fill({Song("00101", "a", "s")});
    const std::vector<std::pair<std::string, std::string>> volumes = {{"0", ""},   {"1", ""},   {"2", "1"},
                                                                      {"10", "9"}, {"11", "A"}, {"16", "F"}};
    for (const auto& [value, stored] : volumes) {
        EXPECT_EQ(UpdateInAllSong("00101", colVolume, value), 0);
        EXPECT_EQ(AllSong[0][colVolume], stored) << value;
    }
    for (const std::string bad : {"17", "-1", "x", ""}) {
        EXPECT_EQ(UpdateInAllSong("00101", colVolume, bad), -1) << bad;
        EXPECT_EQ(AllSong[0][colVolume], "F");
    }
    const std::vector<std::pair<std::string, std::string>> channels = {
        {"3", "1"}, {"2", "0"}, {"1", ""}, {"0", ""}};
    for (const auto& [value, stored] : channels) {
        EXPECT_EQ(UpdateInAllSong("00101", colChannel, value), 0);
        EXPECT_EQ(AllSong[0][colChannel], stored) << value;
    }
    EXPECT_EQ(UpdateInAllSong("00101", colChannel, "4"), -1);
    EXPECT_TRUE(ui_.shown.empty());
    EXPECT_EQ(UpdateInAllSong("00101", colSongName, "New"), 0);
    EXPECT_EQ(AllSong[0][colSongName], "New");
    EXPECT_TRUE(std::filesystem::exists(dir_ / "song.qv2"));
}

TEST_F(SongTableTest, UpdateOfAnUnknownNumberChangesNothing) {
    Fill({Song("00101", "a", "s")});
    EXPECT_EQ(UpdateInAllSong("00102", colSongName, "b"), -1);
    EXPECT_EQ(ui_.Texts("info"),
              std::vector<std::string>{"parameter index is error in UpdateInAllSong:00102"});
    EXPECT_EQ(AllSong[0][colSongName], "a");
}

TEST_F(SongTableTest, UpdateOfSingerLanguageOrClassPutsTheSingerOnTop) {
    Fill({Song("00101", "a", "Amy", "4", "2")});
    AddSingerDisplayEntry("Zed", 1, 1);
    UpdateInAllSong("00101", colLanguage, "6");
    EXPECT_EQ(SingerDisplayList.front(), "Amy(" + Big5("女歌手") + ")");
    EXPECT_EQ(SingerDisplayLanguages.front(), "6");
    UpdateInAllSong("00101", colSinger, "Bo");
    EXPECT_EQ(SingerDisplayList.front(), "Bo(" + Big5("女歌手") + ")");
    UpdateInAllSong("00101", colSingerClass, "9");  // no such class
    EXPECT_EQ(SingerDisplayList.front(), "Bo(" + Big5("其他") + ")");
    EXPECT_EQ(SingerDisplayList.size(), 4u);
}

TEST_F(SongTableTest, PriorityFollowsTheSingerWhereHeStandsFirst) {
    Fill({Song("00101", "a", "張三"), Song("00102", "b", "張三　李四"), Song("00103", "c", "李四　張三"),
          Song("00104", "d", "張三豐"), Song("00105", "e", "張三&王五")});
    EXPECT_EQ(UpdateInAllSong("00101", colSingerPriority, "3"), 0);
    std::vector<std::string> priorities;
    for (const auto& row : AllSong) priorities.push_back(row[colSingerPriority]);
    EXPECT_EQ(priorities, (std::vector<std::string>{"3", "3", "", "", "3"}));
    EXPECT_EQ(view_.priorityRefreshes, 1);

    SetSingerPriority(Big5("張"), "5");  // no song has exactly this singer
    EXPECT_EQ(AllSong[0][colSingerPriority], "3");
}

TEST_F(SongTableTest, ClearingPrioritiesAsksFirst) {
    Fill({Song("00101", "a", "s"), Song("00102", "b", "t")});
    AllSong[0][colSingerPriority] = "1";
    AllSong[1][colSingerPriority] = "9";
    ui_.answers = {false};
    N20Click();
    EXPECT_EQ(AllSong[0][colSingerPriority], "1");
    ui_.answers = {true};
    N20Click();
    EXPECT_EQ(AllSong[0][colSingerPriority] + AllSong[1][colSingerPriority], "");
    EXPECT_EQ(ui_.Texts("ask"),
              std::vector<std::string>(2, "注意:此動怍會永遠清除歌星優先標示. 確定要執行?"));
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"清除完畢!"});
}

TEST_F(SongTableTest, ClearingPrioritiesThatCannotBeWrittenIsNotReportedDone) {
    Fill({Song("00101", "a", "s")});
    AllSong[0][colSingerPriority] = "1";
    LibraryRoot = (dir_ / "gone").string();  // no folder: the song list cannot be opened
    ui_.answers = {true};
    N20Click();
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"Open file:" + LibraryRoot + "/song.qv2 error!"});
}

TEST(SingerPairTest, SplitsAtTheFirstSeparatorInPrecedenceOrder) {
    std::string first, second;
    SplitSingerPair(Big5("張三&李 四　王五"), first, second);  // the full-width blank wins over "&"
    EXPECT_EQ(first, Big5("張三&李 四"));
    EXPECT_EQ(second, Big5("王五"));
    SplitSingerPair(" A + B&C ", first, second);
    EXPECT_EQ(first, "A + B");
    EXPECT_EQ(second, "C");
    SplitSingerPair("A +B", first, second);
    EXPECT_EQ(first, "A");
    EXPECT_EQ(second, "B");
    SplitSingerPair(Big5("獨唱　"), first, second);
    EXPECT_EQ(first, Big5("獨唱"));
    EXPECT_EQ(second, "");
    SplitSingerPair("Solo", first, second = " kept ");
    EXPECT_EQ(first, "Solo");
    EXPECT_EQ(second, "kept");
    // 丹 is A4 A1: with "@" after it, A1 40 is no full-width blank.
    SplitSingerPair("\xA4\xA1@B&C", first, second);
    EXPECT_EQ(first, "\xA4\xA1@B");
    EXPECT_EQ(second, "C");
}

TEST(SingerPairTest, SingerWordsKeepEmptyPartsBetweenSeparators) {
    EXPECT_EQ(SplitSingerWords(Big5("A  B　C ")), (std::vector<std::string>{"A", "", "B", "C"}));
    EXPECT_EQ(SplitSingerWords(" A"), (std::vector<std::string>{"", "A"}));
    EXPECT_EQ(SplitSingerWords("\xA4\xA1@x"), (std::vector<std::string>{"\xA4\xA1@x"}));
    EXPECT_TRUE(SplitSingerWords("").empty());
}

}  // namespace
