#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "resources/ShippedData.h"
#include "tests/resources/ShippedFileSupport.h"

using namespace qv;
using namespace qv::test;

namespace {

unsigned Code(const std::string& s, std::size_t at = 0) {
    return static_cast<unsigned char>(s[at]) * 256u + static_cast<unsigned char>(s[at + 1]);
}
// Hiragana run from C6E7 (small a) to C77A, katakana from C77B.
bool IsHiragana(unsigned code) { return code >= 0xC6E7 && code < 0xC77B; }
bool IsKatakana(unsigned code) { return code >= 0xC77B && code <= 0xC7F2; }

struct JapaneseTable {
    int groups = 0;
    std::vector<std::string> kanji;             // every entry, in table order
    std::map<std::string, std::string> kanaOf;  // kanji -> first kana of its reading (first entry wins)
    std::vector<std::string> kanaLines;         // after the separator
    std::map<std::string, char> initialOf;      // kana -> upper-case romaji initial
};

// Reads the table the way the program builds its Japanese lists, checking the line forms on the way.
JapaneseTable Parse(const std::string& text) {
    JapaneseTable table;
    const std::vector<std::string> lines = CrLfLines(text);
    std::size_t i = 0;
    for (; i < lines.size() && lines[i].rfind("****", 0) != 0; i += 2) {
        const std::string& kana = lines[i];
        EXPECT_EQ(kana.size(), 4u) << "kana line " << i;
        EXPECT_TRUE(kana.size() == 4 && IsHiragana(Code(kana)) && IsKatakana(Code(kana, 2))) << "line " << i;
        if (i + 1 >= lines.size()) {
            ADD_FAILURE() << "kana line without kanji at the end";
            break;
        }
        const std::string& run = lines[i + 1];
        EXPECT_EQ(run.size() % 2, 0u) << "line " << i + 1;
        EXPECT_TRUE(run.size() >= 2 && run.size() <= 242) << "line " << i + 1 << " holds " << run.size() / 2;
        for (std::size_t k = 0; k + 1 < run.size(); k += 2) {
            const std::string c = run.substr(k, 2);
            EXPECT_TRUE(IsBig5HanziCode(Code(c))) << "line " << i + 1 << " offset " << k;
            table.kanji.push_back(c);
            table.kanaOf.emplace(c, kana.substr(0, 2));
        }
        ++table.groups;
    }
    EXPECT_LT(i, lines.size()) << "no separator";
    if (i >= lines.size()) return table;
    EXPECT_EQ(lines[i], std::string(57, '*'));
    for (++i; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        EXPECT_GE(line.size(), 4u) << line;
        if (line.size() < 4) continue;
        EXPECT_TRUE(IsHiragana(Code(line)) || IsKatakana(Code(line))) << "line " << i;
        EXPECT_EQ(line[2], ' ') << "line " << i;
        EXPECT_EQ(line.find_first_not_of("abcdefghijklmnopqrstuvwxyz", 3), std::string::npos) << "line " << i;
        table.kanaLines.push_back(line);
        table.initialOf.emplace(line.substr(0, 2), static_cast<char>(line[3] - 'a' + 'A'));
    }
    return table;
}

const JapaneseTable& Shipped() {
    static const JapaneseTable table = Parse(ShippedJapaneseTable());
    return table;
}

// The romaji initial the program derives for one character: a kanji through its kana, a kana directly.
char InitialOf(const char* utf8) {
    std::string c = Utf8ToBig5(utf8);
    if (auto k = Shipped().kanaOf.find(c); k != Shipped().kanaOf.end()) c = k->second;
    auto it = Shipped().initialOf.find(c);
    return it == Shipped().initialOf.end() ? '\0' : it->second;
}

}  // namespace

TEST(ShippedJapaneseTable, IsTheCommittedFileByteForByte) {
    EXPECT_EQ(ShippedJapaneseTable(), CommittedResource("japanese_table.txt"));
}

TEST(ShippedJapaneseTable, KanjiGroupsHoldAboutThreeThousandDistinctKanji) {
    const auto& t = Shipped();
    EXPECT_GT(t.groups, 0);
    EXPECT_GE(t.kanji.size(), 2800u);
    EXPECT_LE(t.kanji.size(), 3100u);
    EXPECT_EQ(std::set<std::string>(t.kanji.begin(), t.kanji.end()).size(), t.kanji.size());
    // Every group's kana is one the kana table can turn into a letter.
    for (const auto& [kanji, kana] : t.kanaOf)
        EXPECT_TRUE(t.initialOf.count(kana)) << Big5ToUtf8(kanji) << " " << Big5ToUtf8(kana);
}

TEST(ShippedJapaneseTable, KanaTableHoldsEachSyllableInHiraganaThenKatakana) {
    const auto& lines = Shipped().kanaLines;
    ASSERT_EQ(lines.size(), 142u);
    // Hiragana start at C6E7 (small a), katakana at C77B (small a): あ C6E8, ア C77C.
    EXPECT_EQ(lines[0], "\xC6\xE8 a");
    EXPECT_EQ(lines[1], "\xC7\x7C a");
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        EXPECT_TRUE(IsHiragana(Code(lines[i]))) << lines[i].substr(3);
        EXPECT_TRUE(IsKatakana(Code(lines[i + 1]))) << lines[i + 1].substr(3);
        EXPECT_EQ(lines[i].substr(3), lines[i + 1].substr(3));
    }
    EXPECT_EQ(Shipped().initialOf.size(), 142u);
}

TEST(ShippedJapaneseTable, KanaGiveTheirRomajiInitials) {
    EXPECT_EQ(InitialOf("あ"), 'A');
    EXPECT_EQ(InitialOf("カ"), 'K');
    EXPECT_EQ(InitialOf("ち"), 'C');
    EXPECT_EQ(InitialOf("つ"), 'T');
    EXPECT_EQ(InitialOf("ふ"), 'H');
    EXPECT_EQ(InitialOf("じ"), 'J');
    EXPECT_EQ(InitialOf("ぢ"), 'D');
    EXPECT_EQ(InitialOf("ヅ"), 'D');
    EXPECT_EQ(InitialOf("を"), 'W');
    EXPECT_EQ(InitialOf("ン"), 'N');
    EXPECT_EQ(InitialOf("ピ"), 'P');
    EXPECT_EQ(InitialOf("ぁ"), '\0');  // small kana are not in the table
}

TEST(ShippedJapaneseTable, KanjiGiveTheInitialOfTheirReading) {
    EXPECT_EQ(InitialOf("電"), 'D');  // den
    EXPECT_EQ(InitialOf("感"), 'K');  // kan
    EXPECT_EQ(InitialOf("特"), 'T');  // toku
    EXPECT_EQ(InitialOf("愛"), 'A');  // ai
    EXPECT_EQ(InitialOf("中"), 'C');  // chuu
    EXPECT_EQ(InitialOf("不"), 'H');  // fu
    EXPECT_EQ(InitialOf("人"), 'J');  // jin
    EXPECT_EQ(InitialOf("京"), 'K');  // kyou
    EXPECT_EQ(InitialOf("和"), 'W');  // wa
    EXPECT_EQ(InitialOf("月"), 'G');  // getsu
    // Traditional forms stand for the simplified Japanese ones Big5 lacks.
    EXPECT_EQ(InitialOf("經"), 'K');  // kei (経)
    EXPECT_EQ(InitialOf("驛"), 'E');  // eki (駅)
    EXPECT_EQ(InitialOf("戀"), 'R');  // ren (恋)
}
