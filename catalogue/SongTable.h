#pragma once
// The in-memory song table: every song of the library, row i = line i of "song.qv2".
#include <array>
#include <string>
#include <vector>

namespace qv {

constexpr int GridColCount = 23;
constexpr int AllSongColCount = GridColCount + 3;  // 26

enum SongColumn : int {
    colSongNo = 0,
    colSongName = 1,
    colPinyin = 2,
    colWordCount = 3,
    colSinger = 4,
    colSingerPriority = 5,
    colSingerClass = 6,
    colLanguage = 7,
    colStrokes = 8,
    colNewMark = 9,
    colSpecialDel = 10,
    colPopular = 11,
    colFavourite = 12,
    colNostalgic = 13,
    colClassic = 14,
    colDomesticPhoto = 15,
    colForeignPhoto = 16,
    colVolume = 17,
    colChannel = 18,
    colSelfPlay = 19,
    colDateAdded = 20,
    colSelect = 21,
    colDeleteSelect = 22,
    colSingerWordCount = 23,
    colSingerStrokes = 24,
    colDuetFullSinger = 25,
};
constexpr int colFavourBase = 10;  // collection filter n (1..6) tests column colFavourBase + n

using SongRow = std::array<std::string, AllSongColCount>;
using FieldList = std::vector<std::string>;

extern std::vector<SongRow> AllSong;  // AllSong.size() == AllSongCount outside a load
extern int AllSongCount;
extern std::vector<int> ShownRows;    // grid row k (k >= 1) shows AllSong[ShownRows[k - 1]]

// Appends a song (the record fields in column order) as the last row, shows it and appends its record
// to the song list file. The row is added either way; false when the file could not be written.
bool AddSongRow(const FieldList& fields);

}  // namespace qv
