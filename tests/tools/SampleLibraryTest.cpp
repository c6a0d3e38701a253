#include "tools/SampleLibrary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>

#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "library/SongFiles.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

uint32_t Le(const std::string& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The program loads the sample as it loads any library, and every song's media item is where the program
// looks for it: a whole WAV file.
TEST(SampleLibraryTest, TheProgramFindsEverySongAndItsMediaFile) {
    test::TempFolder folder;
    test::FakeUserInterface ui;
    const std::string root = folder.Path() + "/demo";
    ASSERT_TRUE(sample::WriteSampleLibrary(root, 250, true));

    AppDir = LibraryRoot = root;
    ASSERT_TRUE(LoadSongList2());  // the start-up check of the song list
    ASSERT_TRUE(LoadAllSong(root + "/song.qv2"));
    ASSERT_EQ(AllSongCount, 250);
    EXPECT_EQ(AllSong[0][colSongNo], "00101");
    EXPECT_EQ(AllSong[80][colSongNo], "00201");
    EXPECT_EQ(AllSong[249][colSongNo], "00410");
    EXPECT_TRUE(ui.Texts("error").empty());

    std::set<std::string> seen;
    int withVolumeOrChannel = 0;
    for (int i = 0; i < AllSongCount; ++i) {
        const auto& song = AllSong[static_cast<size_t>(i)];
        const std::string name = FindFileByPrefix(SongFolderOf(song[colSongNo]), song[colSongNo]);
        ASSERT_EQ(name, MediaItemName(song[colSongNo], song[colVolume], song[colChannel], ".wav"));
        if (name.size() > 9) ++withVolumeOrChannel;
        const std::string wav = test::ReadBytes(SongFolderOf(song[colSongNo]) + "/" + name);
        ASSERT_GT(wav.size(), 44u);
        EXPECT_EQ(wav.substr(0, 4), "RIFF");
        EXPECT_EQ(Le(wav, 4, 4), wav.size() - 8);
        EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(Le(wav, 20, 2), 1u);                               // PCM
        EXPECT_EQ(Le(wav, 28, 4), Le(wav, 24, 4) * Le(wav, 32, 2));  // bytes a second
        EXPECT_EQ(wav.substr(36, 4), "data");
        EXPECT_EQ(Le(wav, 40, 4), wav.size() - 44);
        seen.insert(song[colSongName]);
    }
    EXPECT_GT(withVolumeOrChannel, 0);  // the naming rule's volume and channel characters are exercised
    EXPECT_GT(seen.size(), 240u);       // names differ

    // Only the numbered folders and the list: nothing beside them.
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        ++entries;
        EXPECT_TRUE(entry.path().filename() == "song.qv2" || entry.is_directory()) << entry.path();
    }
    EXPECT_EQ(entries, 5u);  // 001-004 and song.qv2
}

TEST(SampleLibraryTest, AnExistingLibraryIsNeverReplacedAndTheSampleIsThePrefixOfTheFullDisk) {
    test::TempFolder folder;
    test::WriteBytes(folder.File("song.qv2"), "the user's own");
    EXPECT_FALSE(sample::WriteSampleLibrary(folder.Path(), 10, true));
    EXPECT_EQ(test::ReadBytes(folder.File("song.qv2")), "the user's own");
    EXPECT_EQ(folder.EntryCount(), 1u);

    const std::vector<FieldList> few = sample::SampleSongs(30), many = sample::SampleSongs(300);
    ASSERT_EQ(few.size(), 30u);
    EXPECT_TRUE(std::equal(few.begin(), few.end(), many.begin()));
    EXPECT_EQ(sample::SampleSongs(sample::FullDiskSongs + 5).size(),
              static_cast<size_t>(sample::FullDiskSongs));
}

}  // namespace
}  // namespace qv
