#pragma once
// What the jukebox index sets (ZT and VKM) share: the reference from an index record to a line of the song
// data file, the path field, the derived one-character codes, the reading keys, the switch of the 1 s
// pauses and the temporary duet rows.
// Catalogue texts are Big5; paths are UTF-8.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/SongTable.h"

namespace qv {

// A run that cannot go on: a file that cannot be written, a number too wide for its field. The text
// (Big5) is what the error box shows.
class IndexRunError : public std::runtime_error {
public:
    explicit IndexRunError(const std::string& big5Text) : std::runtime_error(big5Text) {}
};

// The index runs' two 1000 ms pauses; tests switch them off.
extern bool IndexPausesEnabled;
void IndexPause();
// work(0) ... work(count - 1), several at once on up to 16 threads (jobs that wait for a disk, sorts of
// their own lists); false when one of them answered false. work neither throws nor talks to the user.
bool AllAtOnce(size_t count, const std::function<bool(size_t)>& work);
// A step of a long loop of a run: a look at the end request, cheap enough for every few hundred rows;
// RunAbandoned once the end was asked for (not while an exception unwinds).
void IndexStep();

// Mount point that stands for "the drive" of the library in the path field; empty (the default): the real
// mount point of the file system that holds the library.
extern std::string IndexDriveOverride;

// Zero-filled decimal of exactly width digits; IndexRunError naming the field (Big5) when it is wider.
std::string FixedDigits(uint64_t value, int width, const std::string& fieldName);
// The same with the field's name as a UTF-8 literal, converted only for the message.
std::string FixedDigits(uint64_t value, int width, const char* utf8FieldName);

// The 12-character reference: offset in 8 digits, length (without CR LF) in 4 digits.
std::string MakeIndexEntry(uint64_t offset, uint64_t length);
constexpr size_t IndexEntrySize = 12;

// The path field of a song line: "C/" + the song folder's path below the drive, "/"-separated, + "/" +
// the media item's name. Made once per run: the library root is resolved once.
class SongPathField {
public:
    SongPathField();  // for LibraryRoot and IndexDriveOverride as they are now
    std::string Of(const std::string& songNo, const std::string& mediaName) const;  // Big5

private:
    std::string prefix_;  // "C/" + the root below the drive + "/" (Big5)
};

// A cell that holds a mark: neither empty nor one blank.
bool IsMarked(const std::string& cell);

// Singer class of an index record: "5" and "6" swapped, every other text kept (first character).
char IndexSingerClass(const std::string& singerClass);
// The 2-character strokes field: blank-padded on the right.
std::string StrokesField(const std::string& strokes);
// Channel then volume character of a song line: channel "0" when unset; volume 1-3 "1" ... E-F "7",
// "0" when unset or out of range.
std::string ChannelVolumeCode(const std::string& channel, const std::string& volume);
char VolumeGroupChar(const std::string& volume);

// The ZT set's derived codes.
char ZtStrokeGroup(const std::string& singer);
char ZtLanguageCode(const std::string& language);
char ZtWordCountGroup(const std::string& wordCount);
std::string ZtCollectionCodes(const SongRow& row);  // "1".."5" for its marks, then "6"

// Whether songs of the language get a pinyin key (the ZT pinyin settings).
bool IsClassExported(const std::string& language);

// Reading keys, 10 bytes each; empty when the song or singer has none.
std::string SongPinyinKey(const SongRow& row);
std::string SongZhuyinKey(const SongRow& row);  // Bopomofo; none for language "6"
std::string SingerPinyinKey(const std::string& cutSinger);
std::string SingerKeypadKey(const std::string& cutSinger);
// Keypad digits of a record whose first ten bytes are Bopomofo; the rest unchanged.
std::string KeypadRecord(const std::string& bopomofoRecord);

// A song's reading keys as above, the Zhuyin key also in keypad digits; none for a temporary row.
struct SongKeys {
    std::string pinyin, zhuyin, keypad;
};
class IndexRows;
// The keys of the rows of a run's order, position by position, made on all cores (the costliest part of a
// row). Takes steps (IndexStep) while it works.
std::vector<SongKeys> SongKeysInOrder(const IndexRows& rows);

// The working rows of an index run: every AllSong row, then one temporary row per duet singer
// (colDuetFullSinger holds the full duet text), numbered on from AllSongCount, and their order for the run
// (CompareZtSingerOrder). The temporary rows live here: the table is neither grown nor moved, and ShownRows
// (what the grid shows meanwhile) never holds a row the table does not have. However the run ends,
// ShownRows is refilled in file order. Takes steps (IndexStep) while it is made.
class IndexRows {
public:
    IndexRows();
    ~IndexRows();
    IndexRows(const IndexRows&) = delete;
    IndexRows& operator=(const IndexRows&) = delete;

    const SongRow& operator[](int row) const {
        return row < AllSongCount ? AllSong[static_cast<size_t>(row)]
                                  : temporary_[static_cast<size_t>(row - AllSongCount)];
    }
    const std::vector<int>& Order() const { return order_; }

private:
    std::vector<SongRow> temporary_;
    std::vector<int> order_;
};
bool IsTemporaryRow(int row);

// Message texts of the runs (Big5).
std::string CannotWriteText(const std::string& path);
// Left-overs of a cut run in folder that could not be put back into target (both UTF-8 paths).
std::string CannotRestoreText(const std::string& folder, const std::string& target);

}  // namespace qv
