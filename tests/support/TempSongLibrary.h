#pragma once
// A song library in a fresh temporary folder: AllSong rows, their "song.qv2" and media items in the song
// folders. LibraryRoot points at it while it lives.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"

namespace qv::test {

class TempSongLibrary {
public:
    TempSongLibrary() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-library-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        LibraryRoot = AppDir = root_;
        StartingUp = true;  // no ".bak" copy and pause before each write
        AllSong.clear();
        AllSongCount = 0;
        ShownRows.clear();
    }
    ~TempSongLibrary() {
        AllSong.clear();
        AllSongCount = 0;
        ShownRows.clear();
        // Its singers go with it: a test that set the list alone leaves no lists out of step for the next.
        SingerDisplayList.clear();
        SingerDisplayLanguages.clear();
        StartingUp = false;
        LibraryRoot = AppDir = ".";
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempSongLibrary(const TempSongLibrary&) = delete;
    TempSongLibrary& operator=(const TempSongLibrary&) = delete;

    // A song of UTF-8 texts; language and class codes as stored.
    static SongRow Song(const std::string& no, const std::string& name, const std::string& singer,
                        const std::string& language = "1", const std::string& singerClass = "1") {
        SongRow row{};
        row[colSongNo] = no;
        row[colSongName] = Utf8ToBig5(name);
        row[colSinger] = Utf8ToBig5(singer);
        row[colLanguage] = language;
        row[colSingerClass] = singerClass;
        return row;
    }

    // Songs 00001 .. count, each name the given one followed by its number.
    static std::vector<SongRow> Numbered(int count, const std::string& name, const std::string& singer) {
        std::vector<SongRow> rows;
        for (int i = 1; i <= count; ++i) {
            const std::string number = std::to_string(i);
            rows.push_back(Song(std::string(5 - std::min<size_t>(5, number.size()), '0') + number,
                                name + number, singer));
        }
        return rows;
    }

    // The table (all rows shown) and its song list file.
    void Fill(std::vector<SongRow> rows) {
        AllSong = std::move(rows);
        AllSongCount = static_cast<int>(AllSong.size());
        ShownRows.clear();
        std::string file;
        for (int r = 0; r < AllSongCount; ++r) {
            ShownRows.push_back(r);
            file += EncodeLine(r, JoinSongRecord(AllSong[r])) + "\r\n";
        }
        std::ofstream(SongListPath(), std::ios::binary) << file;
    }

    // Record of a row as "song.qv2" holds it now, deciphered.
    std::string Record(int row) const {
        std::string bytes;
        ReadFileBytes(SongListPath(), bytes);
        const auto lines = SplitTextLines(bytes);
        return row < static_cast<int>(lines.size()) ? DecodeLine(row, lines[row]) : std::string();
    }

    // An empty media item (file) in the song's folder.
    std::string AddMedia(const std::string& itemName) const {
        const std::string folder = Path(itemName.substr(0, 3));
        std::filesystem::create_directories(folder);
        const std::string path = folder + "/" + itemName;
        std::ofstream(path) << "media";
        return path;
    }
    std::vector<std::string> FolderEntries(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Path(folder)))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string Path(const std::string& name) const { return root_ + "/" + name; }

private:
    std::string root_;
};

}  // namespace qv::test
