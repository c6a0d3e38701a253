#pragma once
// A real temporary song library for the disk tools' tests: library root and program folder in one fresh
// folder, songs added through the song table with real media files, a scripted host and user.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "library/DiskTools.h"
#include "library/SongFiles.h"
#include "platform/DiskSpace.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"

namespace qv::test {

class FakeDiskToolsHost final : public DiskToolsHost {
public:
    FakeDiskToolsHost() { SetDiskToolsHost(this); }
    ~FakeDiskToolsHost() override { SetDiskToolsHost(nullptr); }

    std::deque<std::string> folders;  // answers of the folder choice; empty = cancelled
    std::function<int(const std::string&)> selectDirForm = [](const std::string&) { return 2; };
    int filterResets = 0, refreshes = 0, previewStops = 0;

    bool ChooseFolder(const std::string&, const std::string&, std::string& folder) override {
        if (folders.empty()) return false;
        folder = folders.front();
        folders.pop_front();
        return true;
    }
    int ShowSelectDirForm(const std::string& iniDir) override { return selectDirForm(iniDir); }
    int ShowProgressForm(const std::string& root) override {
        return MoveSingerPhotos(root, [](int) {}) ? 1 : 2;
    }
    void ResetSongFilters() override { ++filterResets; }
    void RefreshSongList() override { ++refreshes; }
    void StopPreview() override { ++previewStops; }
};

using Snapshot = std::map<std::string, std::string>;  // relative path -> bytes, "<dir>" for a folder

inline Snapshot TakeSnapshot(const std::string& root) {
    Snapshot shot;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string rel = std::filesystem::relative(entry.path(), root).string();
        std::string bytes = "<dir>";
        if (!entry.is_directory()) ReadFileBytes(entry.path().string(), bytes);
        shot[rel] = bytes;
    }
    return shot;
}

class DiskToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        LibraryDataDirOk = true;
        BuildLineCipherTables();
        LoadingSongs = false;
        SetRetryPause([this](int) { ++pauses; });
        std::filesystem::create_directory(root_ + "/000");
    }
    void TearDown() override {
        SetRetryPause({});
        SetFreeDiskBytesSource({});
    }

    // Another fresh folder, removed after the test.
    std::string MakeTemp() { return temps_.emplace_back().Path(); }
    // A second library with two songs, written as the program writes one, in a new folder; the table
    // holds the first library's one song again. The other list's bytes go to otherList.
    std::string MakeOtherLibrary(std::string& otherList) {
        const std::string other = MakeTemp();
        LibraryRoot = other;
        std::filesystem::create_directory(other + "/000");
        AddSong("00101", "甲", "王");
        AddSong("00102", "乙", "林");
        otherList = ReadFile(other + "/song.qv2");
        LibraryRoot = root_;
        AllSong.clear();
        AllSongCount = 0;
        AddSong("00101", "丙", "周");
        return other;
    }

    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBytes(path, bytes);
    }
    static std::string ReadFile(const std::string& path) { return ReadBytes(path); }

    // Adds a song (Big5 name and singer given as UTF-8) and, unless extension is null, its media item:
    // a file with that extension, or a picture folder for "/".
    void AddSong(const std::string& no, const char* name, const char* singer,
                 const std::string& language = "1", const std::string& singerClass = "1",
                 const char* extension = ".mpg", const std::string& volume = "",
                 const std::string& channel = "") {
        FieldList f(SongFieldCount);
        f[colSongNo] = no;
        f[colSongName] = B5(name);
        f[colWordCount] = "1";
        f[colSinger] = B5(singer);
        f[colSingerClass] = singerClass;
        f[colLanguage] = language;
        f[colStrokes] = "0";
        f[colVolume] = volume;
        f[colChannel] = channel;
        f[colDateAdded] = "2024/01/02";
        ASSERT_TRUE(AddSongRow(f));
        if (!extension) return;
        const std::string folder = root_ + "/" + no.substr(0, 3);
        if (std::string(extension) == "/") {
            WriteFile(folder + "/" + MediaItemName(no, volume, channel, "") + "/p1.jpg",
                      "picture 1 of " + no);
            WriteFile(folder + "/" + MediaItemName(no, volume, channel, "") + "/p2.jpg",
                      "picture 2 of " + no);
        } else {
            WriteFile(folder + "/" + MediaItemName(no, volume, channel, extension), "media of " + no);
        }
    }

    // The song list file read back into rows of fields.
    std::vector<FieldList> StoredRecords() const {
        std::vector<FieldList> rows;
        std::string bytes;
        ReadFileBytes(root_ + "/song.qv2", bytes);
        int i = 0;
        for (const std::string& line : SplitTextLines(bytes)) {
            FieldList f;
            SplitSongRecord(DecodeLine(i++, line), f);
            rows.push_back(f);
        }
        return rows;
    }

    TempSongLibrary library;  // LibraryRoot and AppDir
    const std::string root_ = LibraryRoot;
    FakeUserInterface ui;
    FakeDiskToolsHost host;
    int pauses = 0;

private:
    std::deque<TempFolder> temps_;
};

}  // namespace qv::test
