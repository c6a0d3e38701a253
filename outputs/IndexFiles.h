#pragma once
// Pieces that the jukebox index writers share: the working row list with its temporary duet rows, the
// media items of the song folders, the path field, the reference to a line of the song data file, the
// derived codes and reading keys, and a set of files that replaces the previous set only when all of it was
// written. Catalogue texts are Big5; paths are UTF-8.
#include <unordered_map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/SongTable.h"

namespace qv {

// The writers' pauses (after the old set is cleared, after the scrambling); tests skip them.
void IndexPause(int milliseconds);
void SetIndexPausesSkipped(bool skipped);

// The mount point that the path fields are relative to; empty: the mount that holds the library root.
void SetIndexMountPointOverride(const std::string& mountPoint);

// For the run of a writer: ShownRows holds every AllSong row in file order, then one temporary row per
// singer of each duet row; the destructor removes the temporary rows and refills ShownRows in file order,
// however the run ends.
class WorkingRows {
public:
    WorkingRows();
    ~WorkingRows();
    WorkingRows(const WorkingRows&) = delete;
    WorkingRows& operator=(const WorkingRows&) = delete;
};

// The media item of a song (file, or folder of a picture-folder song), each song folder read once.
struct MediaItem {
    std::string name;  // empty when the song has none
    bool isFolder = false;
};
class MediaItems {
public:
    MediaItem Of(const std::string& songNo);

private:
    using Folder = std::unordered_map<std::string, MediaItem>;  // by number prefix
    const Folder& Read(const std::string& songNo);
    std::unordered_map<std::string, Folder> folders_;
};

// "C/" + the library root's path below its mount point, "/"-separated, Big5; the song folder and item follow.
std::string IndexPathPrefix();

// A number that does not fit its field; the writers stop and report it.
struct FieldOverflow {
    std::string what;  // Big5
    long long value;
};
// value zero-filled to width digits; throws FieldOverflow when it needs more.
std::string ZeroFilled(long long value, int width, const char* what);

// The 12-character reference to a line of the song data file: offset (8 digits) and length (4 digits).
std::string IndexEntry(long long offset, long long length);

// Derived codes of a song-table row, each one character.
char SingerClassCode(const SongRow& row);              // "5" and "6" swapped
bool HasSingerPriority(const SongRow& row);            // colSingerPriority neither blank nor empty
std::string StrokesField(const std::string& strokes);  // 2 characters, blank-padded
// Volume value of colVolume: 0 when unset, "A".."F" 10..15, else the number; nullopt when not a number.
std::optional<int> VolumeValue(const std::string& volume);
char VolumeCodeChar(int value);  // "111223344556677" by value 1..15; "0" outside

// Whether the pinyin keys of a language are written (the settings' three classes).
bool IsClassExported(const std::string& language);

// Reading keys, 10 characters, blank-padded; ten blanks when absent.
bool IsKeyPresent(const std::string& key);
std::string SongPinyinKey(const SongRow& row);
std::string SongZhuyinKey(const SongRow& row);  // Bopomofo
std::string KeypadForm(const std::string& zhuyinKey);
std::string SingerPinyinKey(const std::string& cutSinger);
std::string SingerKeypadKey(const std::string& cutSinger);

// A file set written beside the previous one: each file goes to a temporary name and the whole set replaces
// the old files only by Commit. Files not committed are removed when the object goes.
class StagedFiles {
public:
    ~StagedFiles();
    // False (nothing staged) when the temporary file cannot be written.
    bool Stage(const std::string& path, const std::string& bytes);
    // Renames the staged files over their targets in staging order; the path of the first failure, or
    // empty when every one was renamed.
    std::string Commit();

private:
    std::vector<std::pair<std::string, std::string>> staged_;  // temporary path, target
};

// "找不到" + folder + "/" + number + "*.*".
std::string MissingMediaText(const std::string& songNo);
// The error box text of a file that could not be written.
std::string WriteFailedText(const std::string& path);

}  // namespace qv
