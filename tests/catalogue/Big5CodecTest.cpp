#include <gtest/gtest.h>

#include "catalogue/Big5Codec.h"

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
