#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "outputs/IndexMedia.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

// The items found by number are the ones the folder's listing gives for that number: a name that starts
// with another folder's number is not a song of this folder, the smallest name of a number wins, a folder
// item is told apart, and a number that is not five digits is still looked up by its prefix. The folders
// are asked for in an order that jumps between them, as the singer order does, or read all at first.
TEST(IndexMediaTest, ItemsByNumberAreTheFoldersOwn) {
    test::TempSongLibrary library;
    fs::create_directories(library.Path("001/00103"));
    fs::create_directories(library.Path("002"));
    for (const char* name : {"001/00101B1.mpg", "001/00101.mp4", "001/00201.mpg", "001/0010a.mpg",
                             "002/00202.mkv", "002/00299.mpg"})
        std::ofstream(library.Path(name)) << "x";

    // Looked up one by one, and with every folder read first, several at once.
    MediaItems oneByOne, readFirst;
    readFirst.ReadFoldersOf({"00202", "00101", "0010a", "00301", "00102"});
    for (MediaItems* items : {&oneByOne, &readFirst}) {
        EXPECT_EQ(items->Of("00202").name, "00202.mkv");
        EXPECT_EQ(items->Of("00101").name, "00101.mp4");
        EXPECT_EQ(items->Of("00201").name, "");  // its file lies in 001, not in its own folder 002
        EXPECT_EQ(items->Of("00299").name, "00299.mpg");
        const MediaItem& picture = items->Of("00103");
        EXPECT_EQ(picture.name, "00103");
        EXPECT_TRUE(picture.isFolder);
        EXPECT_FALSE(items->Of("00101").isFolder);
        EXPECT_EQ(items->Of("0010a").name, "0010a.mpg");
        EXPECT_EQ(items->Of("00102").name, "");
        EXPECT_EQ(items->Of("003").name, "");
        EXPECT_EQ(items->Of("00301").name, "");  // no folder at all
    }
}

// Looked up without reading: unknown until the song's folder was read (then what Of gives, also "none"),
// a number too short for a folder has no item at all, and Of still reads a folder that was not read.
TEST(IndexMediaTest, KnownItemsAreThoseOfFoldersReadBefore) {
    test::TempSongLibrary library;
    fs::create_directories(library.Path("001"));
    fs::create_directories(library.Path("002"));
    for (const char* name : {"001/00101.mpg", "001/0010a.mp4", "002/00202.mkv"})
        std::ofstream(library.Path(name)) << "x";
    MediaItems items;
    EXPECT_EQ(items.Known("00101"), nullptr);
    EXPECT_EQ(items.Known("0010a"), nullptr);
    ASSERT_NE(items.Known("003"), nullptr);
    EXPECT_EQ(items.Known("003")->name, "");

    items.ReadFoldersOf({"00101"});
    ASSERT_NE(items.Known("00101"), nullptr);
    EXPECT_EQ(items.Known("00101")->name, "00101.mpg");
    EXPECT_EQ(items.Known("00101"), &items.Of("00101"));
    ASSERT_NE(items.Known("00102"), nullptr);
    EXPECT_EQ(items.Known("00102")->name, "");
    ASSERT_NE(items.Known("0010a"), nullptr);  // its folder was read for 00101
    EXPECT_EQ(items.Known("0010a")->name, "0010a.mp4");
    EXPECT_EQ(items.Known("00202"), nullptr);

    EXPECT_EQ(items.Of("00202").name, "00202.mkv");
    ASSERT_NE(items.Known("00202"), nullptr);
    EXPECT_EQ(items.Known("00202")->name, "00202.mkv");
}

}  // namespace
}  // namespace qv
