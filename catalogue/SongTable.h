#pragma once
// The in-memory song table: every song of the library, row i = line i of "song.qv2".
#include <array>
#include <string>
#include <unordered_map>
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
extern std::vector<int> ShownRows;  // grid row k (k >= 1) shows AllSong[ShownRows[k - 1]]

// Rebuilds ShownRows from the filters (collection 0 = none, 1..6; language 0 = all) and refreshes the view;
// the header sort states (SongOrder.h) become 0, as after every rebuild of ShownRows.
void FilterSongList(bool newOnly, const std::string& searchText, bool hideSpecialDeleted, int collection,
                    bool selfPlayOnly, bool specialDeletedOnly, int language);
// ShownRows := the rows from song number first to song number last; empty when either is missing.
void ShowSongRange(const std::string& firstSongNo, const std::string& lastSongNo);

int FindSongByName(const std::string& name);  // row or -1; letter case ignored
// Row of another song (number != skipSongNo) with the same name, language and singer (or a shared duet
// part); -1 when none.
int FindDuplicateSong(const std::string& name, const std::string& singer, const std::string& skipSongNo,
                      const std::string& languageCode);
// FindSongByName and FindDuplicateSong for a run of many look-ups, from an index of the names: the same
// rows (those two stay the reference, and the form for a single look-up). It takes in the rows appended
// since the last look-up by itself and starts over when rows were taken away; a row whose name changes in
// place while it lives is not seen under its new name.
class SongNameIndex {
public:
    SongNameIndex();  // over AllSong as it is now
    int FindByName(const std::string& name);
    int FindDuplicate(const std::string& name, const std::string& singer, const std::string& skipSongNo,
                      const std::string& languageCode);

private:
    void Sync();
    const std::vector<int>* RowsNamed(const std::string& name);
    std::unordered_map<std::string, std::vector<int>> rowsByName_;  // lower-cased name: rows, ascending
    int indexed_ = 0;
};
// Shows the songs whose names are within edit distance 2 of the name; true when it showed any.
bool FuzzyFindSimilar(const std::string& name);
// Levenshtein distance over the first 255 bytes of each text.
int EditDistance(const std::string& a, const std::string& b);
// EditDistance when it is at most limit, else limit + 1; the same result for far less work.
int EditDistanceUpTo(const std::string& a, const std::string& b, int limit);

// Sets one cell of the song with that number and writes its record; the row, or -1 when the number is
// unknown, the volume/channel value is out of range or the record could not be written (the row then
// holds what the file holds).
int UpdateInAllSong(const std::string& songNo, int column, const std::string& value);
bool SetAllSongCell(int row, int column, const std::string& value);  // false as UpdateInAllSong's -1
void SetSingerPriority(const std::string& singer, const std::string& value);
int CountMarkedSongs();
void N20Click();  // clears every singer priority after a confirmation

// Appends a song (the record fields in column order) as the last row, shows it and appends its record
// to the song list file. The row is added either way; false when the file could not be written.
bool AddSongRow(const FieldList& fields);

}  // namespace qv
