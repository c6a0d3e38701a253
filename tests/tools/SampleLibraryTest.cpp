#include "tools/SampleLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "library/AddSong.h"
#include "library/FileNameParser.h"
#include "library/SongFiles.h"
#include "resources/ShippedData.h"
#include "settings/Settings.h"
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

// The singer field that adding the file "NAME_FIRST&SECOND.mpg" stores (the name-field file-name form).
std::string DuetAsAdded(const std::string& name, const std::string& first, const std::string& second) {
    const int form = setup::SongNameFormat;
    setup::SongNameFormat = 1;
    AddPanel panel;
    FillPanelFromFile(panel, "/songs/" + Big5ToUtf8(name + "_" + first + "&" + second) + ".mpg");
    setup::SongNameFormat = form;
    return BuildNewSongFields(panel)[colSinger];
}

// Writes a sample into root and loads it as start-up does (the list check, then the table).
void WriteAndLoad(const std::string& root, int count, sample::SampleMedia media) {
    ASSERT_TRUE(sample::WriteSampleLibrary(root, count, media));
    AppDir = LibraryRoot = root;
    ASSERT_TRUE(LoadSongList2());
    ASSERT_TRUE(LoadAllSong(root + "/song.qv2"));
    ASSERT_EQ(AllSongCount, count);
}

// The program loads the sample as it loads any library, and every song's media item is where the program
// looks for it: a whole WAV file.
TEST(SampleLibraryTest, TheProgramFindsEverySongAndItsMediaFile) {
    test::TempFolder folder;
    test::FakeUserInterface ui;
    const std::string root = folder.Path() + "/demo";
    ASSERT_NO_FATAL_FAILURE(WriteAndLoad(root, 250, sample::SampleMedia::Tones));
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

// The records pass the program's list check and carry what the program itself makes of their names:
// word count, strokes and the reading code of the shipped tables; a duet's singers are stored as adding a
// file named with them stores them, and come apart again; every song of the empty-media variant has its
// item.
TEST(SampleLibraryTest, TheSampleCarriesTheProgramsOwnCodesAndDuetsThatSplit) {
    test::TempFolder folder;
    test::FakeUserInterface ui;
    const std::string root = folder.Path() + "/full";
    ASSERT_NO_FATAL_FAILURE(WriteAndLoad(root, 400, sample::SampleMedia::Empty));
    EXPECT_TRUE(ui.Texts("error").empty());

    LoadSingerBinText(ShippedSingerBin());
    BuildJapaneseTables(ShippedJapaneseTable());
    int duets = 0, japanese = 0;
    std::set<std::string> names, singers;
    for (int i = 0; i < AllSongCount; ++i) {
        const SongRow& song = AllSong[static_cast<size_t>(i)];
        const std::string& name = song[colSongName];
        ASSERT_EQ(name.find('?'), std::string::npos) << i;  // every character is a Big5 one
        const bool isJapanese = song[colLanguage] == "6";
        japanese += isJapanese;
        const std::string code = isJapanese ? MakeJapanesePinyin(name, 0) : MakePinyin(name, 0);
        if (ContainsDbcs(name)) {
            EXPECT_FALSE(song[colPinyin].empty()) << Big5ToUtf8(name);
        }
        EXPECT_EQ(song[colPinyin], TrimAndCutName(code, SongFieldWidths[colPinyin])) << Big5ToUtf8(name);
        EXPECT_EQ(song[colWordCount], std::to_string(std::min(CountSongWords(name), 11)));
        EXPECT_EQ(song[colStrokes], std::to_string(Big5StrokeCountOfFirstChar(name)));
        names.insert(name);
        singers.insert(song[colSinger]);
        if (song[colSingerClass] == "6") {
            ++duets;
            const DuetSingers duet = SplitDuetSingers(song[colSinger]);
            EXPECT_EQ(DuetAsAdded(name, duet.first, duet.second), song[colSinger])
                << Big5ToUtf8(song[colSinger]);
            EXPECT_GE(duet.first.size(), 4u);
            EXPECT_GE(duet.second.size(), 4u);
            EXPECT_NE(duet.first, duet.second);
        }
        const std::string item = SongFolderOf(song[colSongNo]) + "/" +
                                 MediaItemName(song[colSongNo], song[colVolume], song[colChannel], ".mpg");
        EXPECT_TRUE(fs::is_regular_file(item)) << item;
    }
    EXPECT_GT(duets, 10);
    EXPECT_GT(japanese, 5);
    EXPECT_GT(names.size(), 350u);
    EXPECT_GT(singers.size(), 300u);
}

TEST(SampleLibraryTest, AnExistingLibraryIsNeverReplacedAndTheSampleIsThePrefixOfTheFullDisk) {
    test::TempFolder folder;
    test::WriteBytes(folder.File("song.qv2"), "the user's own");
    EXPECT_FALSE(sample::WriteSampleLibrary(folder.Path(), 10, sample::SampleMedia::Tones));
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
