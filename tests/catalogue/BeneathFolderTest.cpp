#include "catalogue/BeneathFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/FolderSnapshot.h"
#include "support/TempFolder.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

TEST(BeneathFolderTest, OnlyPlainRelativeNamesPass) {
    for (const std::string& name : std::vector<std::string>{"a", "SPEED/Index/00.ztx", "..a", "a..",
                                                            ".hidden/b", std::string(1024, 'a')})
        EXPECT_TRUE(IsPlainRelativeName(name)) << name;
    for (const std::string& name :
         std::vector<std::string>{"", "/a", "a//b", "a/", "./a", "a/./b", "../a", "a/..", "a/../../b",
                                  std::string("a\0b", 3), std::string(1025, 'a')})
        EXPECT_FALSE(IsPlainRelativeName(name)) << name;
}

// A disk folder with a link to a folder outside it and a link to a file outside it.
class BeneathFolderWays : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(temp.File("disk/in"));
        fs::create_directories(temp.File("outside/deep"));
        test::WriteBytes(temp.File("outside/secret"), "secret");
        test::WriteBytes(temp.File("outside/deep/more"), "more");
        test::WriteBytes(temp.File("disk/in/file"), "disk");
        fs::create_directory_symlink(temp.File("outside"), temp.File("disk/in/up"));
        fs::create_symlink(temp.File("outside/secret"), temp.File("disk/in/secret"));
        disk = OpenFolder(temp.File("disk"));
        ASSERT_TRUE(disk.ok());
        before = test::SnapshotOf(temp.File("outside"));
    }
    void TearDown() override {
        UseOpenat2 = true;
        EXPECT_EQ(test::SnapshotOf(temp.File("outside")), before);
    }
    void BothWays(const std::function<void()>& body) {
        for (const bool openat2 : {true, false}) {
            SCOPED_TRACE(openat2 ? "openat2" : "component walk");
            UseOpenat2 = openat2;
            body();
        }
    }

    test::TempFolder temp;
    UniqueFd disk;
    test::FolderSnapshot before;
};

TEST_F(BeneathFolderWays, NothingIsOpenedThroughALink) {
    BothWays([&] {
        std::string bytes;
        EXPECT_EQ(ReadRegularFileBeneath(disk.get(), "in/file", bytes, 100), ReadBeneath::Read);
        EXPECT_EQ(bytes, "disk");
        EXPECT_EQ(ReadRegularFileBeneath(disk.get(), "in/none", bytes, 100), ReadBeneath::Missing);
        for (const char* name : {"in/up/secret", "in/secret", "in/../in/file", "in/file/x"}) {
            EXPECT_EQ(ReadRegularFileBeneath(disk.get(), name, bytes, 100), ReadBeneath::Refused) << name;
            EXPECT_EQ(bytes, "") << name;
        }
        EXPECT_LT(OpenBeneath(disk.get(), "in/up/deep/more", O_RDONLY), 0);
        EXPECT_TRUE(errno == ELOOP || errno == ENOTDIR || errno == EXDEV) << errno;
        // A new file is not made through a link either.
        EXPECT_LT(OpenBeneath(disk.get(), "in/up/planted", O_WRONLY | O_CREAT | O_EXCL, 0644), 0);

        EXPECT_EQ(EntryKindBeneath(disk.get(), "in/file"), EntryKind::File);
        EXPECT_EQ(EntryKindBeneath(disk.get(), "in/up"), EntryKind::Link);
        EXPECT_EQ(EntryKindBeneath(disk.get(), "in/up/secret"), EntryKind::Refused);
        EXPECT_EQ(EntryKindBeneath(disk.get(), "in/gone/file"), EntryKind::Missing);
    });
}

TEST_F(BeneathFolderWays, AFileTooLongOrNotRegularIsNotRead) {
    ASSERT_EQ(::mkfifo(temp.File("disk/in/fifo").c_str(), 0600), 0);
    BothWays([&] {
        std::string bytes;
        EXPECT_EQ(ReadRegularFileBeneath(disk.get(), "in/fifo", bytes, 100), ReadBeneath::Refused);
        EXPECT_EQ(ReadRegularFileBeneath(disk.get(), "in/file", bytes, 3), ReadBeneath::Refused);
        EXPECT_EQ(ReadRegularFileBeneath(disk.get(), "in/file", bytes, 4), ReadBeneath::Read);
    });
}

TEST_F(BeneathFolderWays, MovesMakeTheirFoldersButNeverGoThroughALink) {
    BothWays([&] {
        EXPECT_FALSE(MoveBeneath(disk.get(), "in/file", disk.get(), "in/up/file"));
        EXPECT_FALSE(MoveBeneath(disk.get(), "in/up/secret", disk.get(), "taken"));
        ASSERT_TRUE(MoveBeneath(disk.get(), "in/file", disk.get(), "new/folders/file"));
        EXPECT_EQ(test::ReadBytes(temp.File("disk/new/folders/file")), "disk");
        // Never over an existing entry.
        test::WriteBytes(temp.File("disk/in/file"), "second");
        EXPECT_FALSE(MoveBeneath(disk.get(), "in/file", disk.get(), "new/folders/file"));
        EXPECT_EQ(test::ReadBytes(temp.File("disk/new/folders/file")), "disk");
        fs::remove_all(temp.File("disk/new"));
        test::WriteBytes(temp.File("disk/in/file"), "disk");
    });
}

TEST_F(BeneathFolderWays, ARemovalTakesTheLinksButNothingTheyPointAt) {
    std::vector<std::string> files;
    EXPECT_FALSE(RegularFilesBeneath(disk.get(), files));  // the links are met and left out
    EXPECT_EQ(files, std::vector<std::string>{"in/file"});
    EXPECT_TRUE(RemoveTree(temp.File("disk/in")));
    EXPECT_FALSE(fs::exists(temp.File("disk/in")));
    // A link named as the tree goes itself.
    fs::create_directory_symlink(temp.File("outside"), temp.File("disk/in"));
    EXPECT_TRUE(RemoveTree(temp.File("disk/in")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp.File("disk/in"))));
}

TEST_F(BeneathFolderWays, OwnLeftoversAreKnownByNameAndMarker) {
    std::string own = temp.File("disk/.qv-x-XXXXXX");
    ASSERT_TRUE(MakeOwnWorkFolder(own));
    test::WriteBytes(own + "/work", "ours");
    fs::create_directory(temp.File("disk/.qv-x-notes"));  // the name fits, no marker: the user's
    test::WriteBytes(temp.File("disk/.qv-x-Ab3xYz"), "a file of ours");
    test::WriteBytes(temp.File("disk/.qv-x-Ab3xY"), "another name");
    fs::create_symlink(temp.File("outside"), temp.File("disk/.qv-x-L1nk00"));
    RemoveOwnLeftovers(disk.get(), ".qv-x-");
    EXPECT_FALSE(fs::exists(own));
    EXPECT_FALSE(fs::exists(temp.File("disk/.qv-x-Ab3xYz")));
    EXPECT_TRUE(fs::is_directory(temp.File("disk/.qv-x-notes")));
    EXPECT_TRUE(fs::exists(temp.File("disk/.qv-x-Ab3xY")));
    EXPECT_TRUE(fs::is_symlink(temp.File("disk/.qv-x-L1nk00")));
}

}  // namespace
}  // namespace qv
