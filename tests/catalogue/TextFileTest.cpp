#include <gtest/gtest.h>

#include "catalogue/TextFile.h"

using namespace qv;
using Lines = std::vector<std::string>;

TEST(TextFile, AnyLineBreakEndsALineAndAFinalOneAddsNoLine) {
    EXPECT_EQ(SplitTextLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitTextLines("a\n\nb\r\r\n"), (Lines{"a", "", "b", ""}));
    EXPECT_EQ(SplitTextLines("\r\n"), (Lines{""}));
    EXPECT_TRUE(SplitTextLines("").empty());
    EXPECT_EQ(SplitTextLines("\xA4\x0D"), (Lines{"\xA4"}));  // a lone lead byte before the break stays
    EXPECT_EQ(JoinLinesCrLf({"a", ""}), "a\r\n\r\n");
}

TEST(TextFile, MissingFilesAndFoldersAreReported) {
    std::string bytes;
    EXPECT_FALSE(ReadFileBytes("/nonexistent/qv/file", bytes));
    EXPECT_FALSE(ReplaceFileContents("/nonexistent/qv/file", "x"));
}
