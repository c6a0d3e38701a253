#pragma once
// A song's media item on the song disk and the commands that remove or exchange it: delete (the last song
// moves into the freed number, so numbers stay dense), delete of the marked songs, special delete (the
// media goes, the record stays) and replace. Song numbers and catalogue texts are Big5; paths are UTF-8.
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qv {

// Volume values 0..15 as colVolume texts.
extern const std::array<std::string, 16> VolumeCodes;

// What these commands need from the main window. Members left empty do nothing, except askDeleteSong,
// which falls back to a plain yes/no box with the same text.
struct SongFileHooks {
    std::function<void()> refreshGrid;                               // rebuilds the list view
    std::function<bool(const std::string& songName)> askDeleteSong;  // the delete confirmation dialog
};
SongFileHooks& TheSongFileHooks();

// LibraryRoot + "/" + the first three characters of the number.
std::string SongFolderOf(const std::string& songNo);

// Name (without folder) of the song's media item: the entry of the folder whose name begins with the
// five-character number, a file with or without an extension or a picture folder. Empty when none.
// Of several such entries the smallest name is taken.
std::string FindFileByPrefix(const std::string& folder, const std::string& songNo);
// Every media item of a folder by its five-character number, as FindFileByPrefix finds it: for walks
// over many songs that read each folder once.
std::map<std::string, std::string> SongItemsOfFolder(const std::string& folder);
// The same items with whether each is a folder (a link counts as what it leads to), told by the folder
// listing itself where it can: one status call per item is most of a walk over a whole disk.
struct SongItem {
    std::string name;
    bool isFolder = false;
};
std::map<std::string, SongItem> SongItemKindsOfFolder(const std::string& folder);

// The naming rule: number, then volume and channel characters when either is set, then the extension
// (dot included; empty for a picture folder).
char VolumeChar(const std::string& volume);
char ChannelChar(const std::string& channel);
std::string MediaItemName(const std::string& songNo, const std::string& volume, const std::string& channel,
                          const std::string& extension);
// The extension (dot included) of a media item's name, empty when it has none; a dot inside the number
// prefix does not count.
std::string ItemExtension(const std::string& itemName);
// The extension (dot included) of the last component of a path; empty when it has none.
std::string PathExtension(const std::string& path);

// Readies the song folder of a new song's item `name` of the number songNo: the folder is made when
// missing (a link in its place is not followed: false), and every entry naming that number as its item
// goes, as the number is the next free one and such an entry belongs to no song (a run killed between
// its copy and its record leaves one). An entry called `name` of the new item's kind (a regular file, or
// with picture a folder) stays for the copy to replace, made writable. False when the folder cannot be
// made, an entry cannot be removed, or a song of the table has that number after all (nothing goes).
bool ReadySongFolderFor(const std::string& folder, const std::string& songNo, const std::string& name,
                        bool picture);

// Renames the song's item by the naming rule; nothing when it has none. Never replaces another entry.
void RenameSongFileAttr(const std::string& songNo, const std::string& volume, const std::string& channel);

// Moves the folder's song items out to folder 000 and back in song-table order; false after an error box.
bool ReorderSongFolder(const std::string& folder);

// Row of the song number in AllSong, -1 when none.
int FindSongRow(const std::string& songNo);

// Deletes the song and moves the last song into its number (item, row and record); true on success.
bool DeleteSongCompact(const std::string& songNo);

// The main window's commands, given the song number of the grid's selected row (empty: none selected).
bool DeleteSong(const std::string& songNo);
bool DeleteMarkedSongs();
bool SpecialDeleteSong(const std::string& songNo);
// sources: the files selected in the source-file list (UTF-8 paths).
bool ReplaceSongFile(const std::vector<std::string>& sources, const std::string& songNo);

}  // namespace qv
