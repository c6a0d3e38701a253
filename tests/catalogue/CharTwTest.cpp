#include <gtest/gtest.h>

#include <climits>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"

using namespace qv;

namespace {
std::string Rep(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}
}  // namespace

TEST(CharTw, LeadBytes) {
    EXPECT_FALSE(IsBig5LeadByte(0x80));
    EXPECT_TRUE(IsBig5LeadByte(0x81));
    EXPECT_TRUE(IsBig5LeadByte(0xFE));
    EXPECT_FALSE(IsBig5LeadByte(0xFF));
    EXPECT_TRUE(IsBig5LeadByteEx(0xC6));
    EXPECT_FALSE(IsBig5LeadByteEx('A'));
}

TEST(CharTw, StrokeCountOfFirstCharacter) {
    EXPECT_EQ(Big5StrokeCountOfFirstChar(B5("一")), 1);    // A440
    EXPECT_EQ(Big5StrokeCountOfFirstChar(B5("中文")), 4);  // A4A4, the rest ignored
    EXPECT_EQ(Big5StrokeCountOfFirstChar("\xF9\xD5"), 48);
    EXPECT_EQ(Big5StrokeCountOfFirstChar("\xF9\xC6"), 33);  // a lone code inside the 28/29 neighbourhood
    EXPECT_EQ(Big5StrokeCountOfFirstChar("\xA5\xFF"), 6);   // invalid trail byte inside a range still counts
    EXPECT_EQ(Big5StrokeCountOfFirstChar("\xA4\x90"), 0);   // between the 3 and 4 stroke rows
    EXPECT_EQ(Big5StrokeCountOfFirstChar("\xC6\xA1"), 13);
    EXPECT_EQ(Big5StrokeCountOfFirstChar(""), 0);
    EXPECT_EQ(Big5StrokeCountOfFirstChar("\xA4"), 0);
    EXPECT_EQ(Big5StrokeCountOfFirstChar("ABC"), 0);
}

TEST(CharTw, WordCountOfSongNames) {
    EXPECT_EQ(CountSongWords(B5("月亮代表我的心啊")), 8);
    EXPECT_EQ(CountSongWords("my heart will"), 3);
    EXPECT_EQ(CountSongWords("A.B"), 1);
    EXPECT_EQ(CountSongWords("(Love)" + B5("愛")), 1);
    EXPECT_EQ(CountSongWords("1234"), 4);
    EXPECT_EQ(CountSongWords(B5("愛你") + "2"), 3);
    EXPECT_EQ(CountSongWords(B5("愛") + "-ing"), 2);  // punctuation after a double-byte word starts none
    EXPECT_EQ(CountSongWords(B5("愛") + " ,go"), 2);
    EXPECT_EQ(CountSongWords(B5("（Live）愛")), 1);
    EXPECT_EQ(CountSongWords(""), 1);
    EXPECT_EQ(CountSongWords("   "), 1);
    EXPECT_EQ(CountSongWords("..."), 1);
    EXPECT_EQ(CountSongWords("\xA4"), 1);  // a lone lead byte does not run past the end
}

TEST(CharTw, BlankTrimmingKnowsTheFullWidthBlankAndItsLookalikes) {
    const std::string wide = "\xA1\x40";
    EXPECT_EQ(TrimLeadingBlanks(" " + wide + "A "), "A ");
    EXPECT_EQ(TrimTrailingBlanks(" A" + wide + " "), " A");
    EXPECT_EQ(TrimBlanks(wide + B5("中") + wide), B5("中"));
    // B3 A1 is one character, then "@" (0x40): no full-width blank there.
    EXPECT_EQ(TrimTrailingBlanks("\xB3\xA1\x40"), "\xB3\xA1\x40");
    EXPECT_EQ(TrimTrailingBlanks("   "), "");
}

TEST(CharTw, CutsNeverLeaveHalfACharacter) {
    EXPECT_EQ(FixTruncatedDbcsTail("A\xA4"), "A ");
    EXPECT_EQ(FixTruncatedDbcsTail(B5("中文")), B5("中文"));
    EXPECT_EQ(FixTruncatedDbcsTail("\xA4\xA4\xA4"), "\xA4\xA4 ");
    EXPECT_EQ(FixTruncatedDbcsTail(""), "");
    // "A" + 40 x 中 cut to 20 ends in the lead byte of the tenth 中, which goes with the blanks.
    EXPECT_EQ(TrimAndCutName("  A" + Rep(B5("中"), 40), 20), "A" + Rep(B5("中"), 9));
    EXPECT_EQ(TrimAndCutName(Rep(B5("中"), 30), 14), Rep(B5("中"), 7));
    EXPECT_EQ(TrimAndCutName("AB", 0), "");
}

TEST(CharTw, ValidatorsAndScansStepOverDoubleByteCharacters) {
    EXPECT_TRUE(ContainsDbcs("ab\xA4\x41"));
    EXPECT_FALSE(ContainsDbcs("abc~"));
    EXPECT_TRUE(IsValidSongText(""));
    EXPECT_TRUE(IsValidSongText("a~_b"));
    EXPECT_TRUE(IsValidSongText("\xA2\x5E"));  // second byte 0x5E inside a character
    EXPECT_FALSE(IsValidSongText("a^b"));
    EXPECT_FALSE(IsValidSongText("a\tb"));
    EXPECT_FALSE(IsValidSongText("a\x7F"));

    const std::string bei = "\xA5\x5F";  // 北: trail byte is "_"
    EXPECT_EQ(ReplaceSingleByteChar(bei + "_", '_', ' '), bei + " ");
    EXPECT_EQ(PosCharDbcs(bei + "_", 1, '_'), 3);
    EXPECT_EQ(PosCharDbcs("a_b_", 3, '_'), 4);
    EXPECT_EQ(PosCharDbcs("abc", 1, '_'), 0);
    EXPECT_EQ(PosCharDbcs(bei, 1, '_'), 0);

    std::string digits = "1" + B5("愛") +
                         "2a\xA4\x31"
                         "3";  // A4 31 holds a "1" as trail byte
    EXPECT_EQ(RemoveAsciiDigits(digits), 3);
    EXPECT_EQ(digits, B5("愛") + "a\xA4\x31");

    // 乙 A4 41 must not become 兀 A4 61.
    EXPECT_EQ(LowerCaseBig5("AbZ\xA4\x41Q"), "abz\xA4\x41q");
}

TEST(CharTw, BracketRemoval) {
    EXPECT_EQ(StripParenSuffix("abc(def)gh"), "abc");
    EXPECT_EQ(StripParenSuffix("a(b)c(d"), "a");
    EXPECT_EQ(StripParenSuffix("abc)("), "abc)(");
    EXPECT_EQ(RemoveDelimited("a(b)c(d)e", "(", ")"), "ae");
    EXPECT_EQ(RemoveDelimited("a(bc", "(", ")"), "a(bc");
    EXPECT_EQ(RemoveDelimited("a)b(c", "(", ")"), "a)b(c");
    // 兀 A4 61 then "{" as trail byte: 0xA4 0x7B is one character, not an opening brace.
    EXPECT_EQ(RemoveDelimited("\xA4\x7B"
                              "x}",
                              "{", "}"),
              "\xA4\x7B"
              "x}");
    EXPECT_EQ(RemoveBracketGroups(B5("愛（原版）") + "[MV](live){x}" + B5("你")), B5("愛你"));
    EXPECT_EQ(RemoveBracketGroups("a[b(c]d)e"), "a[be");  // "(" goes before "[" in a pass
}

// Marks of unequal length: the close mark is matched whole, never past the end of the text.
TEST(CharTw, RemoveDelimitedWithMarksOfOtherLengths) {
    const std::string wideOpen = B5("（");
    EXPECT_EQ(RemoveDelimited("a" + wideOpen + "b)", wideOpen, ")"), "a");
    EXPECT_EQ(RemoveDelimited("a" + wideOpen + "b)c)d", wideOpen, ")"), "ad");
    EXPECT_EQ(RemoveDelimited("a" + wideOpen + "b", wideOpen, ")"), "a" + wideOpen + "b");
    EXPECT_EQ(RemoveDelimited("a(b))c)", "(", "))"), "ac)");
    EXPECT_EQ(RemoveDelimited("a(b)c", "(", "))"), "a(b)c");
    EXPECT_EQ(RemoveDelimited("a(b)c", "(", ""), "a(b)c");
    EXPECT_EQ(RemoveDelimited("a(b)c", "", ")"), "a(b)c");
}

TEST(CharTw, FileNameTitleCleaning) {
    EXPECT_EQ(CleanFileNameTitle(B5("00101_國_月亮(MV)_瑞影_vR_.mpg")), B5("00101_月亮_") + ".mpg");
    EXPECT_EQ(CleanFileNameTitle("a___b"), "a_b");
    // The trail byte of 北 is no underscore: 北_ + "_x" keeps 北 whole.
    const std::string bei = "\xA5\x5F";
    EXPECT_EQ(CleanFileNameTitle(bei + "__x"), bei + "_x");
    EXPECT_EQ(CleanFileNameTitle("a" + bei + "_b"), "a" + bei + "_b");
    EXPECT_EQ(StripFileNameTags("(x)_vL_y"), "(x)_y");
}

TEST(CharTw, IntegerConversion) {
    EXPECT_TRUE(IsInteger("00101"));
    EXPECT_TRUE(IsInteger("-7"));
    EXPECT_TRUE(IsInteger("+7"));
    EXPECT_TRUE(IsInteger(" 7"));
    EXPECT_TRUE(IsInteger("2147483647"));
    EXPECT_TRUE(IsInteger("-2147483648"));
    EXPECT_FALSE(IsInteger("2147483648"));
    EXPECT_FALSE(IsInteger("99999999999999999999999"));
    EXPECT_FALSE(IsInteger(""));
    EXPECT_FALSE(IsInteger(" "));
    EXPECT_FALSE(IsInteger("-"));
    EXPECT_FALSE(IsInteger("7 "));
    EXPECT_FALSE(IsInteger("1a"));
    EXPECT_FALSE(IsInteger("0x10"));
    EXPECT_EQ(SafeStrToInt("005"), 5);
    EXPECT_EQ(SafeStrToInt("-12"), -12);
    EXPECT_EQ(SafeStrToInt("1 2"), 0);
    EXPECT_EQ(SafeStrToInt("A"), 0);
    // Long zero-filled texts, on both sides of the digit count that still adds up without overflow.
    EXPECT_EQ(SafeStrToInt("000000000000000042"), 42);
    EXPECT_EQ(SafeStrToInt("-000000000000000001"), -1);
    EXPECT_EQ(SafeStrToInt("0000000000000000000000042"), 42);
    EXPECT_EQ(SafeStrToInt("-000000000000002147483648"), INT_MIN);
    EXPECT_EQ(SafeStrToInt("+2147483647"), INT_MAX);
    EXPECT_EQ(SafeStrToInt("-2147483649"), 0);
    EXPECT_FALSE(IsInteger("999999999999999999"));
    EXPECT_FALSE(IsInteger("-9223372036854775808"));
    EXPECT_FALSE(IsInteger(" -0000000000000000000000002147483649"));
    EXPECT_EQ(RepeatChar(' ', 3), "   ");
    EXPECT_EQ(RepeatChar('x', -1), "");
}

TEST(CharTw, CodeTables) {
    EXPECT_EQ(LanguageNames()[0], "\xB0\xEA\xBB\x79");  // 國語
    EXPECT_EQ(LanguageCodeOfName(B5("粵語")), 3);
    EXPECT_EQ(LanguageCodeOfName(B5("兒歌")), 9);
    EXPECT_EQ(LanguageCodeOfName(B5("火星語")), 5);
    EXPECT_EQ(LanguageCodeOfName(""), 5);
    EXPECT_EQ(SingerClassCodeOfName(B5("特殊歌星")), 8);
    EXPECT_EQ(SingerClassCodeOfName(B5("男歌手")), 1);
    EXPECT_EQ(SingerClassCodeOfName("x"), 5);
    EXPECT_EQ(LanguageNameOfCode(6), B5("日語"));
    EXPECT_EQ(LanguageNameOfCode(0), B5("其他"));
    EXPECT_EQ(LanguageNameOfCode(10), B5("其他"));
    EXPECT_EQ(SingerClassNameOfCode(9), B5("其他"));
    EXPECT_EQ(SingerClassNameOfCode(-3), B5("其他"));
    EXPECT_EQ(ValidFontSize("15", "20"), "20");
    EXPECT_EQ(ValidFontSize("28", "20"), "28");
    EXPECT_EQ(ValidFontSize("028", "20"), "20");
}

TEST(CharTw, CollectsFilesWithoutFollowingFolderLinks) {
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("qv_collect_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "b" / "inner");
    fs::create_directories(root / "empty");
    std::ofstream(root / "a.mpg") << "x";
    std::ofstream(root / "b" / "inner" / "c.vob") << "x";
    fs::create_directory_symlink(root, root / "b" / "loop");
    fs::create_symlink(root / "a.mpg", root / "link.mpg");

    std::vector<std::string> list;
    CollectFilesRecursive(list, root.string());
    const std::string r = root.string();
    EXPECT_EQ(list, (std::vector<std::string>{r + "/a.mpg", r + "/b/inner/c.vob", r + "/link.mpg"}));

    list.clear();
    CollectFilesRecursive(list, r + "/a.mpg");
    EXPECT_EQ(list, std::vector<std::string>{r + "/a.mpg"});
    fs::remove_all(root);
}
