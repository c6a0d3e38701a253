#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"

using namespace qv;

TEST(Big5Codec, RoundTripsCommonCharactersAndAscii) {
    const std::string utf8 = "中文歌 ABC 123 國語";
    std::string big5 = Utf8ToBig5(utf8);
    EXPECT_EQ(big5.substr(0, 2), "\xA4\xA4");  // 中
    EXPECT_EQ(big5.substr(2, 2), "\xA4\xE5");  // 文
    EXPECT_EQ(Big5ToUtf8(big5), utf8);
}

TEST(Big5Codec, TrailBytesThatLookLikeAsciiStayInsideTheirCharacter) {
    // 乙 is A4 41 and 兀 is A4 61: the second bytes are 'A' and 'a'.
    EXPECT_EQ(Utf8ToBig5("乙"), "\xA4\x41");
    EXPECT_EQ(Utf8ToBig5("兀"), "\xA4\x61");
    EXPECT_EQ(Big5ToUtf8("\xA5\x5F"), "北");  // trail byte is '_'
    EXPECT_EQ(Big5ToUtf8("\xA5\x5F_"), "北_");
}

TEST(Big5Codec, KanaBlockUsesTheCodePagesUserArea) {
    // Hiragana start at C6E7, katakana at C77B.
    EXPECT_EQ(Big5ToUtf8("\xC6\xE7"), "ぁ");
    EXPECT_EQ(Utf8ToBig5("ぁ"), "\xC6\xE7");
    EXPECT_EQ(Big5ToUtf8("\xC7\x7B"), "ァ");
    EXPECT_EQ(Utf8ToBig5("ァ"), "\xC7\x7B");
}

TEST(Big5Codec, WhatBig5CannotHoldIsReplaced) {
    EXPECT_EQ(Utf8ToBig5("a😀b"), "a?b");
    EXPECT_FALSE(Utf8FitsBig5("😀"));
    EXPECT_TRUE(Utf8FitsBig5("愛你"));
    EXPECT_EQ(Utf8ToBig5("\xFF"), "?");               // invalid UTF-8
    EXPECT_EQ(Big5ToUtf8("A\xA4"), "A\xEF\xBF\xBD");  // lone lead byte at the end
}

TEST(Big5Codec, LiteralsAreConvertedOnce) {
    const std::string& a = B5("國語");
    const std::string& b = B5("國語");
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(a, "\xB0\xEA\xBB\x79");
}

// Every Unicode character that two Big5 codes decode to: UTF-8 input takes the frequent-character
// block's code (A440-C67E) when one of them is there, so strokes, readings and searches see one code.
TEST(Big5Codec, CharactersWithTwoCodesTakeTheFrequentBlocksCode) {
    std::map<std::string, std::vector<unsigned>> codesOf;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = Big5ToUtf8(pair);
            if (utf8 != "\xEF\xBF\xBD") codesOf[utf8].push_back(lead * 256 + trail);
        }
    }
    auto frequent = [](unsigned code) { return code >= 0xA440 && code <= 0xC67E; };
    int shared = 0, withFrequent = 0;
    for (const auto& [utf8, codes] : codesOf) {
        if (codes.size() < 2) continue;
        ++shared;
        auto it = std::find_if(codes.begin(), codes.end(), frequent);
        unsigned want = it != codes.end() ? *it : codes.front();  // else the lowest
        withFrequent += it != codes.end();
        const std::string big5 = Utf8ToBig5(utf8);
        ASSERT_EQ(big5.size(), 2u) << utf8;
        EXPECT_EQ(static_cast<unsigned char>(big5[0]) * 256u + static_cast<unsigned char>(big5[1]), want)
            << utf8;
        EXPECT_EQ(Big5ToUtf8(big5), utf8);
    }
    EXPECT_GE(shared, 2);
    EXPECT_GE(withFrequent, 2);

    EXPECT_EQ(B5("十"), "\xA4\x51");
    EXPECT_EQ(B5("卅"), "\xA4\xCA");
    EXPECT_EQ(Utf8ToBig5(Big5ToUtf8("\xA2\xCC\xA2\xCE")), "\xA4\x51\xA4\xCA");
    EXPECT_EQ(Big5StrokeCountOfFirstChar(Utf8ToBig5("十年")), 2);
    EXPECT_EQ(Big5StrokeCountOfFirstChar(Utf8ToBig5("卅")), 4);
}

// Ill-formed UTF-8 never passes as ASCII: each bad sequence is one "?" and the bytes after it are kept.
TEST(Big5Codec, IllFormedUtf8BecomesQuestionMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\xC0\xAF"
         "b",
         "a??b"},                           // overlong "/"
        {"\xC0\x80", "??"},                 // overlong NUL
        {"\xE0\x80\xAF", "???"},            // three-byte overlong "/"
        {"\xF0\x80\x80\xAF", "????"},       // four-byte overlong "/"
        {"\xED\xA0\x80", "???"},            // surrogate
        {"\xF4\x90\x80\x80", "????"},       // above U+10FFFF
        {"\xF5\x80", "??"},                 // no such lead byte
        {"\xE4\xB8", "?"},                  // cut short at the end
        {"\xE4\xB8/x", "?/x"},              // cut short before ASCII, which stays
        {"\x80", "?"},                      // stray continuation byte
        {"\xE4\xB8\xAD\xC3", "\xA4\xA4?"},  // 中 then a cut lead byte
    };
    for (const auto& [utf8, big5] : cases) {
        EXPECT_EQ(Utf8ToBig5(utf8), big5) << testing::PrintToString(utf8);
        EXPECT_FALSE(Utf8FitsBig5(utf8)) << testing::PrintToString(utf8);
    }
    // The largest well-formed forms still decode (and, not being Big5, become "?").
    EXPECT_EQ(Utf8ToBig5("\xF4\x8F\xBF\xBF\xEF\xBF\xBF"), "??");
    EXPECT_EQ(Utf8ToBig5("\xC2\xA7"), "\xA1\xB1");  // §, the smallest two-byte lead
}
