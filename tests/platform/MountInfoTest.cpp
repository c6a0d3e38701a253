#include "platform/MountInfo.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

constexpr const char* Sample =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 22 11:0 / /media/cd rw,relatime shared:9 - iso9660 /dev/sr0 ro\n"
    "31 22 8:17 / /media/cdrom2 rw - vfat /dev/sdb1 rw\n"
    "32 22 11:1 / /media/my\\040disc rw - udf /dev/sr1 ro\n"
    "33 22 0:40 / /media/cd/inner rw - tmpfs tmpfs rw\n"
    "broken line\n";

TEST(MountInfoTest, TheLongestMountPointHoldingThePathWins) {
    EXPECT_EQ(MountHolding(Sample, "/media/cd/songs/001").fileSystemType, "iso9660");
    EXPECT_EQ(MountHolding(Sample, "/media/cd").mountPoint, "/media/cd");
    EXPECT_EQ(MountHolding(Sample, "/media/cd/inner/x").fileSystemType, "tmpfs");
    // A longer name beginning with the mount point is another folder.
    EXPECT_EQ(MountHolding(Sample, "/media/cdrom2/x").fileSystemType, "vfat");
    EXPECT_EQ(MountHolding(Sample, "/media/cdx").fileSystemType, "ext4");
    EXPECT_EQ(MountHolding(Sample, "/home/user").mountPoint, "/");
}

TEST(MountInfoTest, EscapedBlanksInMountPoints) {
    MountEntry m = MountHolding(Sample, "/media/my disc/songs");
    EXPECT_EQ(m.mountPoint, "/media/my disc");
    EXPECT_EQ(m.fileSystemType, "udf");
}

TEST(MountInfoTest, ALaterMountOverTheSamePointHidesTheEarlierOne) {
    const char* stacked =
        "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "40 22 8:2 / /mnt rw - ext4 /dev/sda2 rw\n"
        "41 40 11:0 / /mnt rw - iso9660 /dev/sr0 ro\n";
    EXPECT_EQ(MountHolding(stacked, "/mnt/a").fileSystemType, "iso9660");
    EXPECT_TRUE(MountHolding("", "/x").mountPoint.empty());
}

TEST(MountInfoTest, TheWorkingFolderIsNoCdRom) {
    EXPECT_FALSE(MountOf(".").mountPoint.empty());
    EXPECT_FALSE(IsOnCdRom("."));
}

}  // namespace
}  // namespace qv
