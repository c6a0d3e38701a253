#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <iterator>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/Parallel.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongTable.h"

using namespace qv;

namespace {

// Rows from UTF-8 name, singer, language, word count, strokes.
struct SongSpec {
    const char* name;
    const char* singer;
    const char* language;
    const char* words = "1";
    const char* strokes = "1";
};

void FillTable(const std::vector<SongSpec>& songs) {
    AllSong.clear();
    ShownRows.clear();
    for (size_t i = 0; i < songs.size(); ++i) {
        SongRow row;
        row[colSongNo] = "001" + std::string(i + 1 < 10 ? "0" : "") + std::to_string(i + 1);
        row[colSongName] = Utf8ToBig5(songs[i].name);
        row[colSinger] = Utf8ToBig5(songs[i].singer);
        row[colLanguage] = songs[i].language;
        row[colWordCount] = songs[i].words;
        row[colStrokes] = songs[i].strokes;
        row[colSingerWordCount] = "1";
        row[colSingerStrokes] = "1";
        AllSong.push_back(row);
        ShownRows.push_back(static_cast<int>(i));
    }
    AllSongCount = static_cast<int>(AllSong.size());
    ResetSortStates();
}

std::vector<std::string> ShownNames() {
    std::vector<std::string> names;
    for (int r : ShownRows) names.push_back(Big5ToUtf8(AllSong[r][colSongName]));
    return names;
}

}  // namespace

TEST(SongOrder, CompareAlnumPutsDigitsAfterLowerCaseLettersAndShorterFirst) {
    EXPECT_GT(CompareAlnum("a1", "ab"), 0);
    EXPECT_LT(CompareAlnum("ab", "a1"), 0);
    EXPECT_LT(CompareAlnum("b", "aa"), 0);
    EXPECT_EQ(CompareAlnum("xy", "xy"), 0);
    EXPECT_LT(CompareAlnum("A", "B"), 0);             // upper case: plain byte values
    EXPECT_LT(CompareAlnum("1", "A"), 0);             // digit against upper case: byte values
    EXPECT_GT(CompareAlnum("\xB0\x40", "a\x40"), 0);  // unsigned bytes
}

TEST(SongOrder, LocaleCompareIsBig5ByteOrder) {
    EXPECT_GT(LocaleCompare("apple", "Banana"), 0);
    EXPECT_EQ(LocaleCompare("same", "same"), 0);
    EXPECT_LT(LocaleCompare("zz", Utf8ToBig5("一")), 0);              // Latin before Chinese
    EXPECT_LT(LocaleCompare(Utf8ToBig5("一"), Utf8ToBig5("二")), 0);  // 1 stroke before 2
    EXPECT_LT(LocaleCompare("ab", "abc"), 0);
}

TEST(SongOrder, SongBookOrderRanksLanguagesWithOtherLast) {
    FillTable({{"其他歌", "甲", "5"},
               {"兒歌歌", "甲", "9"},
               {"客語歌", "甲", "7"},
               {"日語歌", "甲", "6"},
               {"國語歌", "甲", "1"}});
    SortItems(ShownRows, CompareSongBookOrder);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"國語歌", "日語歌", "客語歌", "兒歌歌", "其他歌"}));
}

TEST(SongOrder, EnglishSectionIsOrderedByNameAloneOthersByWordsThenStrokes) {
    FillTable(
        {{"Zebra", "a", "4", "1", "0"}, {"apple pie", "a", "4", "2", "0"}, {"Mango", "a", "4", "1", "0"}});
    SortItems(ShownRows, CompareSongBookOrder);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"apple pie", "Mango", "Zebra"}));

    FillTable({{"三字歌", "a", "1", "3", "1"}, {"二字", "a", "1", "2", "9"}, {"又二", "a", "1", "2", "2"}});
    SortItems(ShownRows, CompareSongBookOrder);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"又二", "二字", "三字歌"}));
}

TEST(SongOrder, JapaneseNamePrefixSortsFirst) {
    FillTable({{"あいう", "a", "6", "3"}, {"あい", "a", "6", "3"}});
    SortItems(ShownRows, CompareSongBookOrder);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"あい", "あいう"}));
}

TEST(SongOrder, NameHeaderCyclesThroughGroupsBookOrderAndTableOrder) {
    FillTable({{"b", "x", "1", "1", "2"},
               {"a", "x", "1", "1", "1"},
               {"b", "x", "1", "1", "2"},
               {"A", "x", "1", "1", "1"},
               {"c", "x", "1", "1", "3"}});
    HeaderSort(SortButton::Name);
    EXPECT_EQ(NameSortState, 1);
    // The two "b" form the largest group and come first; "A" differs from "a" in case, so its run is 1.
    EXPECT_EQ(ShownNames()[0], "b");
    EXPECT_EQ(ShownNames()[1], "b");
    EXPECT_EQ(SortGroupRuns[0], 2);
    EXPECT_EQ(SortGroupRuns[3], 1);

    HeaderSort(SortButton::Name);
    EXPECT_EQ(NameSortState, 2);
    EXPECT_EQ(LowerCaseBig5(AllSong[ShownRows.front()][colSongName]), "a");  // fewest strokes first
    EXPECT_EQ(ShownNames().back(), "c");

    HeaderSort(SortButton::Name);
    EXPECT_EQ(NameSortState, 0);
    EXPECT_EQ(ShownRows, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(SongOrder, ClassOrderPutsOtherAfterChildrensSongs) {
    FillTable({{"a", "x", "5"}, {"b", "x", "9"}, {"c", "x", "1"}});
    ClassSortState = 1;  // next click gives state 2: the language order key
    HeaderSort(SortButton::Class);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"c", "b", "a"}));
}

TEST(SongOrder, LineComparesReadTheirCharacterPositions) {
    std::vector<std::string> lines = {"2xxxxxxxxxxxxxAAzz", "1xxxxxxxxxxxxxBBaa", "1xxxxxxxxxxxxxAByy"};
    SortLines(lines, CompareLineByHeadAndTail);
    EXPECT_EQ(lines[0].substr(14, 2), "AB");
    EXPECT_EQ(lines[1].substr(14, 2), "BB");
    EXPECT_EQ(lines[2][0], '2');

    // Kind 1 sorts by characters 5-9 descending; other kinds by characters 1-4 ascending.
    std::vector<std::string> kinds = {"0002000101", "0001000201", "0009000002", "0003000002"};
    SortLines(kinds, CompareLineByKindAndNumber);
    EXPECT_EQ(kinds, (std::vector<std::string>{"0001000201", "0002000101", "0003000002", "0009000002"}));

    std::vector<std::string> lead = {"02b", "01z", "02a", "01a"};
    SortLines(lead, CompareLineByLeadNumber);  // equal numbers keep their incoming order
    EXPECT_EQ(lead, (std::vector<std::string>{"01z", "01a", "02b", "02a"}));

    std::vector<std::string> codes = {"02ABC", "01ABC", "09AB"};
    SortLines(codes, CompareLineByCodeAndPrefix);
    EXPECT_EQ(codes, (std::vector<std::string>{"09AB", "01ABC", "02ABC"}));
}

TEST(SongOrder, DisplayCellConvertsCodesAndMarks) {
    FillTable({{"a", "x", "6"}});
    AllSong[0][colSingerClass] = "8";
    AllSong[0][colVolume] = "B";
    AllSong[0][colChannel] = "0";
    AllSong[0][colNewMark] = "@";
    EXPECT_EQ(Big5ToUtf8(DisplayCell(0, colLanguage)), "日語");
    EXPECT_EQ(Big5ToUtf8(DisplayCell(0, colSingerClass)), "特殊歌星");
    EXPECT_EQ(DisplayCell(0, colVolume), "11");
    EXPECT_EQ(Big5ToUtf8(DisplayCell(0, colChannel)), "左");
    EXPECT_EQ(Big5ToUtf8(DisplayCell(0, colNewMark)), "◎");
    AllSong[0][colVolume] = "9";
    AllSong[0][colChannel] = "1";
    AllSong[0][colLanguage] = "0";  // outside the table: shown as 其他, never out of range
    EXPECT_EQ(DisplayCell(0, colVolume), "9");
    EXPECT_EQ(Big5ToUtf8(DisplayCell(0, colChannel)), "右");
    EXPECT_EQ(Big5ToUtf8(DisplayCell(0, colLanguage)), "其他");
}

namespace {

// count songs of the singers (with names and numbers of few values) in a scrambled order (stride coprime to
// count): the keyed sort leaves them where the compare's sort does.
void ExpectKeyedSortAsTheCompare(const std::vector<const char*>& singers, int count, int stride) {
    const char* const names[] = {"Moon", "moon", "月亮", "一", "二字", "", "Zoo"};
    const char* const numbers[] = {"1", "2", "10", "", "x"};
    const int singerCount = static_cast<int>(singers.size());
    std::vector<SongSpec> songs;
    for (int i = 0; i < count; ++i)
        songs.push_back({names[i % 7], singers[static_cast<size_t>((i * 11) % singerCount)], "1",
                         numbers[(i * 13) % 5], numbers[(i * 3) % 5]});
    FillTable(songs);
    std::vector<int> rows;
    for (int i = 0; i < count; ++i) rows.push_back((i * stride) % count);
    std::vector<int> expected = rows;
    SortItems(expected, CompareZtSingerOrder);
    SortByZtSingerOrder(
        rows, [](int row) -> const SongRow& { return AllSong[row]; }, [] {});
    EXPECT_EQ(rows, expected);
}

// The keyed ZT singer sort leaves rows where the compare's sort leaves them: singers that differ only in
// letter case, share a head or its strokes, differ in length; equal singers by words, strokes and name;
// a head of a letter and a lead byte. Many rows in a scrambled order, so the sort's ties show.
TEST(SongOrder, TheKeyedZtSingerSortOrdersAsTheCompare) {
    ExpectKeyedSortAsTheCompare({"Amy", "amy", "AMY", "Amy Lin", "王大明", "王大", "王小明", "丁一", "A王", "a王",
                                 "兀", "A", "", "b", "B", "王一二", "Aaa", "Ab"},
                                600, 277);
}

// A table large enough for the keys to be made on several threads sorts as the compare's sort does.
TEST(SongOrder, TheKeyedZtSingerSortOfAFullTableOrdersAsTheCompare) {
    if (SliceCount(9000) < 2) GTEST_SKIP() << "needs two cores";
    ExpectKeyedSortAsTheCompare({"Amy", "amy", "王大明", "王大", "丁一", "A王", "", "B", "Amy Lin", "兀"}, 9000, 2777);
}

// An index run sorts rows that are not in the table (its duet singers' rows): given through rowOf, the
// first 200 table rows as rows 600-799, they sort as the table's own rows do, the run's step taken every
// few thousand rows and comparisons; a step that throws leaves the rows a reordering of themselves.
TEST(SongOrder, TheZtSingerSortOfRowsBesideTheTableTakesSteps) {
    const char* const singers[] = {"Amy", "amy", "王大明", "王大", "丁一", "A王", "", "B"};
    std::vector<SongSpec> songs;
    for (int i = 0; i < 20000; ++i)
        songs.push_back({i % 3 ? "Moon" : "月亮", singers[(i * 7) % 8], "1", "2", "3"});
    FillTable(songs);
    std::vector<SongRow> beside(AllSong.begin(), AllSong.begin() + 200);
    auto rowOf = [&](int row) -> const SongRow& { return row < 600 ? AllSong[row] : beside[row - 600]; };
    std::vector<int> rows(800), expected(800);
    for (int i = 0; i < 800; ++i) rows[i] = (i * 277) % 800;
    for (int i = 0; i < 800; ++i) expected[i] = rows[i] < 600 ? rows[i] : rows[i] - 600;
    std::atomic<int> steps = 0;  // the keys' steps come from several threads
    SortByZtSingerOrder(rows, rowOf, [&] { ++steps; });
    SortItems(expected, CompareZtSingerOrder);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rowOf(rows[i])[colSinger] + rowOf(rows[i])[colSongName],
                  AllSong[expected[i]][colSinger] + AllSong[expected[i]][colSongName])
            << i;
    EXPECT_GE(steps, 1);

    std::vector<int> all(AllSong.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>((i * 7919) % all.size());
    std::vector<int> sorted = all;
    steps = 0;
    SortByZtSingerOrder(
        sorted, [](int row) -> const SongRow& { return AllSong[row]; }, [&] { ++steps; });
    EXPECT_GE(steps, 20000 / 4096 + 1);  // the keys' rows, then the comparisons too
    std::vector<int> cut = all;
    struct Stop {};
    std::atomic<int> left = 8;
    EXPECT_THROW(SortByZtSingerOrder(
                     cut, [](int row) -> const SongRow& { return AllSong[row]; },
                     [&] {
                         if (--left == 0) throw Stop{};
                     }),
                 Stop);
    std::sort(cut.begin(), cut.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(cut, all);
}

}  // namespace

namespace {

// SortLines leaves the lines where the compare's own sort leaves them, ties included.
void ExpectSortLinesAsTheCompare(std::vector<std::string> lines,
                                 int (*compare)(const std::vector<std::string>&, int, int)) {
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) order.push_back(i);
    SortItems(order, [&](int a, int b) { return compare(lines, a, b); });
    std::vector<std::string> expected;
    for (int i : order) expected.push_back(lines[static_cast<size_t>(i)]);
    SortLines(lines, compare);
    EXPECT_EQ(lines, expected);
}

// The reading lists' sort reads keys made once per line: it must leave full-width lines where the compare
// leaves them. Few byte values (Big5 lead and trail bytes among them) at every position of the code and
// the strokes field, so that lines tie on one field and differ on the other; the entry tells ties apart.
TEST(SongOrder, TheKeyedCodeAndPrefixSortOrdersAsTheCompare) {
    const char alphabet[] = {' ', '1', '9', 'a', 'B', '\xA4', '\x40', '\xF9', '\x7E'};
    uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) {
        std::string line;
        for (int pos = 0; pos < 12; ++pos) line += alphabet[next() % (pos >= 4 && pos < 10 ? 2 : 9)];
        lines.push_back(line + std::to_string(100000 + i));
    }
    ExpectSortLinesAsTheCompare(lines, CompareLineByCodeAndPrefix);
}

// The language list's sort reads keys made once per line: every answer must be the compare's. Lines of
// every length around the fields (short ones end before the bytes compared), a digit or another byte
// first, bytes above 127 in the fields and the tail, and tails that tie, so that the sort's ties show.
TEST(SongOrder, TheKeyedHeadAndTailSortOrdersAsTheCompare) {
    const char alphabet[] = {'0', '3', '9', 'x', ' ', '\xA4', '\x40', '\xF9', '\x7E'};
    uint32_t seed = 777;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    std::vector<std::string> lines;
    for (int i = 0; i < 4000; ++i) {
        std::string line;
        const size_t length = next() % 21;
        for (size_t pos = 0; pos < length; ++pos) line += alphabet[next() % (pos < 14 ? 9 : 4)];
        lines.push_back(line);
    }
    ExpectSortLinesAsTheCompare(lines, CompareLineByHeadAndTail);
}

}  // namespace

namespace {

// The book sort reads keys made once per row: every answer must be the compare's, so that the same sort
// leaves the rows in the same order. Names of few byte values (kana and kanji lead bytes, ASCII of both
// cases, a lone lead byte at the end), odd lengths, every language rank with codes outside 1..9, and
// word counts and strokes that tie.
TEST(SongOrder, TheKeyedBookSortOrdersAsTheCompare) {
    const char bytes[] = {'a', 'B', 'z', ' ', '\xA4', '\x40', '\xC6', '\xA1', '\xC7', '\xF9'};
    const char* languages[] = {"1", "2", "4", "5", "6", "6", "9", "0", "12", "x", ""};
    uint32_t seed = 4242;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    AllSong.clear();
    for (int i = 0; i < 6000; ++i) {  // enough for the keys to be made over several threads
        SongRow row;
        const size_t length = next() % 7;
        for (size_t k = 0; k < length; ++k) row[colSongName] += bytes[next() % sizeof bytes];
        row[colLanguage] = languages[next() % std::size(languages)];
        row[colWordCount] = std::to_string(next() % 3);
        row[colStrokes] = next() % 5 == 0 ? "" : std::to_string(next() % 3);
        AllSong.push_back(row);
    }
    AllSongCount = static_cast<int>(AllSong.size());
    std::vector<int> rows;
    for (int i = 0; i < AllSongCount; ++i) rows.push_back((i * 1187) % AllSongCount);
    std::vector<int> expected = rows;
    std::sort(expected.begin(), expected.end(), [](int a, int b) { return CompareSongBookOrder(a, b) < 0; });
    SortBySongBookOrder(rows);
    EXPECT_EQ(rows, expected);
    AllSong.clear();
    AllSongCount = 0;
}

}  // namespace
