#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A disk may carry anything under a file's name: none of it blocks the reader or fills the memory.
TEST(TextFile, OnlyRegularFilesAreReadAndALinkOnlyWhereAllowed) {
    test::TempFolder folder;
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string bytes = "old";
    EXPECT_FALSE(ReadFileBytes(fifo, bytes));  // no writer: a blocking open would wait for ever
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(ReadFileHead(fifo, bytes, 5));
    EXPECT_FALSE(ReadSettledFile(fifo, bytes, 100, FinalLink::Follow));

    const std::string zero = folder.File("zero");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    EXPECT_FALSE(ReadFileBytes(zero, bytes));
    EXPECT_FALSE(ReadFileHead(zero, bytes, 5));

    const std::string real = folder.File("real"), link = folder.File("link");
    test::WriteBytes(real, "bytes");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(ReadFileBytes(link, bytes));
    EXPECT_EQ(bytes, "bytes");
    EXPECT_FALSE(ReadFileBytes(link, bytes, DefaultReadLimit, FinalLink::Refuse));
    EXPECT_FALSE(ReadSettledFile(link, bytes, 100, FinalLink::Refuse));
    ASSERT_TRUE(ReadSettledFile(real, bytes, 100, FinalLink::Refuse));
    EXPECT_EQ(bytes, "bytes");
}

TEST(TextFile, AFileOverItsBoundIsRefusedWithoutBeingRead) {
    test::TempFolder folder;
    const std::string path = folder.File("sparse");
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{2} << 30), 0);  // 2 GB of nothing: costs no disk
        ::close(fd);
    }
    std::string bytes;
    EXPECT_FALSE(ReadFileBytes(path, bytes));
    EXPECT_FALSE(ReadSettledFile(path, bytes, size_t{16} << 20, FinalLink::Refuse));
    EXPECT_LT(bytes.capacity(), size_t{1} << 20);
    ASSERT_TRUE(ReadFileHead(path, bytes, 10));
    EXPECT_EQ(bytes, std::string(10, '\0'));

    test::WriteBytes(path, "12345");
    EXPECT_TRUE(ReadFileBytes(path, bytes, 5));
    EXPECT_FALSE(ReadFileBytes(path, bytes, 4));
    EXPECT_TRUE(bytes.empty());
    // A file whose size says nothing is bounded by what it gives.
    EXPECT_FALSE(ReadFileBytes("/proc/self/maps", bytes, 100));
}

// Another program cuts or replaces the file while it is read: the bytes given are one whole state of it.
TEST(TextFile, ASettledReadReadsAgainAfterAChangeBehindIt) {
    test::TempFolder folder;
    const std::string path = folder.File("list");
    test::WriteBytes(path, std::string(1000, 'a'));
    int calls = 0;
    SetSettledReadHook([&](const std::string&) {
        if (++calls > 1) return;
        test::WriteBytes(folder.File("new"), "replaced");
        ASSERT_EQ(::rename(folder.File("new").c_str(), path.c_str()), 0);
    });
    std::string bytes;
    EXPECT_TRUE(ReadSettledFile(path, bytes, 5000, FinalLink::Refuse));
    EXPECT_EQ(bytes, "replaced");

    // A file that never holds still is given up after a few reads.
    calls = 0;
    SetSettledReadHook([&](const std::string&) {
        ++calls;
        test::WriteBytes(path, std::string(static_cast<size_t>(calls), 'b'));
    });
    EXPECT_FALSE(ReadSettledFile(path, bytes, 5000, FinalLink::Refuse));
    EXPECT_TRUE(bytes.empty());
    EXPECT_GT(calls, 1);
    EXPECT_LT(calls, 10);
    SetSettledReadHook({});
}
