#pragma once
// A song library in a temporary folder: LibraryRoot with folder 000 and its placeholder picture, songs
// with real media files and a real "song.qv2", a scripted user and no pauses between retries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "library/DiskFiles.h"
#include "platform/DiskSpace.h"
#include "settings/Settings.h"
#include "support/TempFolder.h"
#include "support/FakeUserInterface.h"

namespace qv::test {

class SongLibraryTest : public ::testing::Test {
protected:
    TempFolder root;
    FakeUserInterface ui;
    int pauses = 0;

    void SetUp() override {
        AppDir = LibraryRoot = root.Path();
        StartingUp = true;  // no ".bak" copy and pause per record: they are the song list's own business
        LoadingSongs = AddingSongs = false;
        AllSong.clear();
        AllSongCount = 0;
        ShownRows.clear();
        SingerDisplayList.clear();
        SingerDisplayLanguages.clear();
        setup::DefaultSongVolumn = -1;
        setup::SongNameFormat = 1;
        setup::IsBatchAddIncludeWarningSong = true;
        SetRetryPause([this](int) { ++pauses; });
        std::filesystem::create_directory(root.File("000"));
        WriteBytes(root.File("000/000.jpg"), "placeholder");
    }
    void TearDown() override {
        SetRetryPause({});
        SetFreeDiskBytesSource({});
        StartingUp = false;
    }

    // Appends a song with the next number; its media file holds the number. Returns the number.
    std::string AddSong(const std::string& nameUtf8, const std::string& ext = ".mpg",
                        const std::string& volume = "", const std::string& channel = "") {
        FieldList f(SongFieldCount);
        f[colSongNo] = NextSongNumber(AllSongCount ? AllSong[AllSongCount - 1][colSongNo] : "");
        f[colSongName] = Utf8ToBig5(nameUtf8);
        f[colSinger] = Utf8ToBig5("歌手");
        f[colSingerClass] = "1";
        f[colLanguage] = "1";
        f[colVolume] = volume;
        f[colChannel] = channel;
        const std::string folder = root.File(f[colSongNo].substr(0, 3));
        std::filesystem::create_directories(folder);
        std::string item = f[colSongNo];
        if (!volume.empty() || !channel.empty())
            item += std::string{volume.empty() ? '9' : volume[0]} + (channel == "1" ? "1" : "0");
        WriteBytes(folder + "/" + item + ext, f[colSongNo]);
        EXPECT_TRUE(AddSongRow(f));
        return f[colSongNo];
    }
    void AddSongs(int n) {
        for (int i = 0; i < n; ++i) AddSong("歌" + std::to_string(i + 1));
    }

    std::string Media(const std::string& relative) const { return ReadBytes(root.File(relative)); }
    bool Exists(const std::string& relative) const { return std::filesystem::exists(root.File(relative)); }
    std::string Name(int row) const { return Big5ToUtf8(AllSong[row][colSongName]); }

    // The table and "song.qv2" hold the same songs, record for record.
    void ExpectListMatchesTable() {
        const std::string path = SongListPath();
        ASSERT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(AllSongCount) * SongRecordBytes);
        std::vector<std::string> expected;
        for (int r = 0; r < AllSongCount; ++r) expected.push_back(JoinSongRecord(AllSong[r]));
        const auto saved = AllSong;
        const int savedCount = AllSongCount;
        ASSERT_TRUE(LoadAllSong(path));
        std::vector<std::string> loaded;
        for (int r = 0; r < AllSongCount; ++r) loaded.push_back(JoinSongRecord(AllSong[r]));
        EXPECT_EQ(loaded, expected);
        AllSong = saved;
        AllSongCount = savedCount;
    }
};

}  // namespace qv::test
