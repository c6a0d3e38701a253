#include <gtest/gtest.h>

#include "catalogue/TextFile.h"
#include "support/TempFolder.h"

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
    EXPECT_FALSE(ReadFileBytes("/tmp", bytes));
    EXPECT_FALSE(ReplaceFileContents("/nonexistent/qv/file", "x"));
}

TEST(TextFile, ReadsWholeFilesOfEverySizeAndTheStartOfOne) {
    test::TempFolder folder;
    const std::string path = folder.File("f");
    std::string bytes;
    for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{4097}, size_t{300000}}) {
        std::string text(size, '\0');
        for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i % 26);
        test::WriteBytes(path, text);
        ASSERT_TRUE(ReadFileBytes(path, bytes)) << size;
        EXPECT_EQ(bytes, text) << size;
        ASSERT_TRUE(ReadFileHead(path, bytes, 5)) << size;
        EXPECT_EQ(bytes, text.substr(0, 5)) << size;
    }
    // A file whose size says nothing: everything it gives is read, or its start.
    ASSERT_TRUE(ReadFileBytes("/proc/self/maps", bytes));
    EXPECT_GT(bytes.size(), 4096u);
    EXPECT_EQ(bytes.back(), '\n');
    std::string head;
    ASSERT_TRUE(ReadFileHead("/proc/self/maps", head, 4100));
    EXPECT_EQ(head.size(), 4100u);
    EXPECT_EQ(head.substr(0, 12), bytes.substr(0, 12));
}
