#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "resources/ShippedData.h"
#include "tests/resources/ShippedFileSupport.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kSeparator(33, '#');
const std::string kZhuyinKeys = "1qaz2wsxedcrfv5tgbyhn8ik,9ol.0p;/-ujm";

struct CharacterTable {
    std::vector<std::string> singerLines;
    std::map<std::string, char> keyOf;  // Big5 character -> Zhuyin key
    std::vector<unsigned> codes;        // lead * 256 + trail, in file order
};

// Reads the file as the singer table loader does: singer lines up to the separator, then aaabbbccc lines.
CharacterTable Parse(const std::string& text) {
    CharacterTable table;
    bool inCharacters = false;
    for (const std::string& line : CrLfLines(text)) {
        if (!inCharacters) {
            if (line == kSeparator)
                inCharacters = true;
            else
                table.singerLines.push_back(line);
            continue;
        }
        EXPECT_EQ(line.size(), 9u) << line;
        EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos) << line;
        if (line.size() != 9) continue;
        const int key = std::stoi(line.substr(0, 3));
        const int trail = std::stoi(line.substr(3, 3));
        const int lead = std::stoi(line.substr(6, 3));
        EXPECT_NE(kZhuyinKeys.find(static_cast<char>(key)), std::string::npos) << line;
        EXPECT_TRUE(lead >= 0xA1 && lead <= 0xF9) << line;
        EXPECT_TRUE((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE)) << line;
        const std::string character{static_cast<char>(lead), static_cast<char>(trail)};
        table.keyOf[character] = static_cast<char>(key);
        table.codes.push_back(static_cast<unsigned>(lead * 256 + trail));
    }
    EXPECT_TRUE(inCharacters) << "no separator line";
    return table;
}

const CharacterTable& Shipped() {
    static const CharacterTable table = Parse(ShippedSingerBin());
    return table;
}

char KeyOf(const char* utf8) {
    auto it = Shipped().keyOf.find(Utf8ToBig5(utf8));
    return it == Shipped().keyOf.end() ? '\0' : it->second;
}

}  // namespace

TEST(ShippedSingerBin, IsTheCommittedFileByteForByte) {
    EXPECT_EQ(ShippedSingerBin(), CommittedResource("singer.bin"));
}

TEST(ShippedSingerBin, HoldsNoSingersAndStartsWithTheSeparator) {
    ASSERT_GE(ShippedSingerBin().size(), 35u);
    EXPECT_EQ(ShippedSingerBin().substr(0, 35), kSeparator + "\r\n");
    EXPECT_TRUE(Shipped().singerLines.empty());
}

TEST(ShippedSingerBin, CharacterLinesAreUniqueAndInCodeOrder) {
    const auto& codes = Shipped().codes;
    ASSERT_FALSE(codes.empty());
    for (std::size_t i = 1; i < codes.size(); ++i) ASSERT_LT(codes[i - 1], codes[i]) << "line " << i;
    EXPECT_EQ(Shipped().keyOf.size(), codes.size());
}

TEST(ShippedSingerBin, KeyIsTheFirstBopomofoOfTheReading) {
    // Initials, including the retroflex and the palatal ones.
    EXPECT_EQ(KeyOf("中"), '5');
    EXPECT_EQ(KeyOf("文"), 'j');
    EXPECT_EQ(KeyOf("愛"), '9');
    EXPECT_EQ(KeyOf("一"), 'u');
    EXPECT_EQ(KeyOf("吃"), 't');
    EXPECT_EQ(KeyOf("書"), 'g');
    EXPECT_EQ(KeyOf("日"), 'b');
    EXPECT_EQ(KeyOf("家"), 'r');
    EXPECT_EQ(KeyOf("去"), 'f');
    EXPECT_EQ(KeyOf("小"), 'v');
    EXPECT_EQ(KeyOf("草"), 'h');
    EXPECT_EQ(KeyOf("三"), 'n');
    EXPECT_EQ(KeyOf("綠"), 'x');  // lü
    EXPECT_EQ(KeyOf("女"), 's');  // nü
    // y and w spellings: yu-, yong -> ㄩ; other y- -> ㄧ; w- -> ㄨ.
    EXPECT_EQ(KeyOf("月"), 'm');
    EXPECT_EQ(KeyOf("用"), 'm');
    EXPECT_EQ(KeyOf("有"), 'u');
    EXPECT_EQ(KeyOf("我"), 'j');
    // Syllables without an initial begin with their final.
    EXPECT_EQ(KeyOf("啊"), '8');
    EXPECT_EQ(KeyOf("哦"), 'i');
    EXPECT_EQ(KeyOf("鵝"), 'k');
    EXPECT_EQ(KeyOf("誒"), 'o');
    EXPECT_EQ(KeyOf("安"), '0');
    EXPECT_EQ(KeyOf("恩"), 'p');
    EXPECT_EQ(KeyOf("昂"), ';');
    EXPECT_EQ(KeyOf("歐"), '.');
    EXPECT_EQ(KeyOf("二"), '-');
    // Where readings differ, the one used in Taiwan: 堤 tí, 乾 gān.
    EXPECT_EQ(KeyOf("堤"), 'w');
    EXPECT_EQ(KeyOf("乾"), 'e');
    // The less frequent block.
    EXPECT_EQ(KeyOf("乂"), 'u');
    EXPECT_EQ(KeyOf("淼"), 'a');
    EXPECT_EQ(KeyOf("琤"), 't');
    EXPECT_EQ(KeyOf("喃"), 's');
}

TEST(ShippedSingerBin, CoversEveryHanziOfBothBig5Blocks) {
    const auto& keyOf = Shipped().keyOf;
    int frequent = 0, lessFrequent = 0;
    std::vector<std::string> missing;
    for (unsigned lead = 0xA4; lead <= 0xF9; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const unsigned code = lead * 256 + trail;
            if (!IsBig5HanziCode(code)) continue;
            const bool blockA = code <= 0xC67E;
            const std::string character{static_cast<char>(lead), static_cast<char>(trail)};
            if (Big5ToUtf8(character) == "\xEF\xBF\xBD") continue;  // no character at this code
            if (!keyOf.count(character)) missing.push_back(Big5ToUtf8(character));
            (blockA ? frequent : lessFrequent) += 1;
        }
    }
    EXPECT_EQ(frequent, 5401);
    EXPECT_EQ(lessFrequent, 7652);
    EXPECT_TRUE(missing.empty()) << missing.size() << " missing, first " << missing.front();
    // Big5 holds 兀 and 嗀 twice; both codes of each get the same key.
    EXPECT_EQ(keyOf.at("\xC9\x4A"), keyOf.at("\xA4\x61"));
    EXPECT_EQ(keyOf.at("\xDD\xFC"), keyOf.at("\xDC\xD1"));
}
