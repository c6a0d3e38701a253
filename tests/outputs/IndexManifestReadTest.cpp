// The record of an interrupted index commit comes from the disk: whatever stands under its name, the
// recovery neither waits on it nor reads without end; a record that is no regular file is refused, named,
// and the old set stays where the commit put it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "outputs/IndexCommon.h"
#include "outputs/IndexStaging.h"
#include "support/TempFolder.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

TEST(IndexManifestRead, ARecordThatIsAFifoOrADeviceIsNotReadAndNothingMoves) {
    for (const char* kind : {"fifo", "zero"}) {
        test::TempFolder folder;
        const std::string index = folder.Path();
        fs::create_directories(index + "/IndexOld.tmp");
        fs::create_directories(index + "/IndexNew.tmp");
        test::WriteBytes(index + "/IndexOld.tmp/song.ztx", "old set");
        const std::string record = index + "/IndexNew.tmp/commit.list";
        if (std::string(kind) == "fifo")
            ASSERT_EQ(::mkfifo(record.c_str(), 0600), 0);
        else
            ASSERT_EQ(::symlink("/dev/zero", record.c_str()), 0);

        EXPECT_THROW(RecoverIndexFolder(index), IndexRunError) << kind;

        EXPECT_EQ(test::ReadBytes(index + "/IndexOld.tmp/song.ztx"), "old set") << kind;
        EXPECT_FALSE(fs::exists(index + "/song.ztx")) << kind;
    }
}

// Only a regular file under the marker's name means that the commit ended: anything else there was not
// written by a commit, and the old set comes back instead of being removed with the aside folder.
TEST(IndexManifestRead, AMarkerThatIsNoRegularFileRollsTheCommitBack) {
    for (const char* kind : {"folder", "link", "staging file"}) {
        test::TempFolder folder;
        const std::string index = folder.Path();
        fs::create_directories(index + "/IndexOld.tmp");
        test::WriteBytes(index + "/IndexOld.tmp/song.ztx", "old set");
        test::WriteBytes(index + "/song.ztx", "new set");
        const std::string staging = index + "/IndexNew.tmp";
        if (std::string(kind) == "staging file") {
            test::WriteBytes(staging, "not a folder");
        } else {
            fs::create_directories(staging);
            test::WriteBytes(staging + "/commit.list", "+song.ztx\n");
            if (std::string(kind) == "folder")
                fs::create_directories(staging + "/commit.done");
            else
                ASSERT_EQ(::symlink("/dev/null", (staging + "/commit.done").c_str()), 0);
        }

        RecoverIndexFolder(index);

        EXPECT_EQ(test::ReadBytes(index + "/song.ztx"), "old set") << kind;
        EXPECT_FALSE(fs::exists(index + "/IndexOld.tmp")) << kind;
        EXPECT_FALSE(fs::exists(staging) || fs::is_symlink(staging)) << kind;
    }
}

}  // namespace
}  // namespace qv
