#pragma once
// The song record (one fixed-width line of "song.qv2") and the writers that change the file in place.
#include <array>
#include <string>
#include <vector>

#include "catalogue/SongTable.h"

namespace qv {

constexpr int SongFieldCount = 21;
constexpr int SongLineLength = 140;  // without CR LF
constexpr int SongRecordBytes = SongLineLength + 2;
// Folders 001 to 999 of 80 songs each: no list holds more records, nor more bytes than that many.
constexpr int MaxSongRecords = 999 * 80;
constexpr size_t SongListLimit = static_cast<size_t>(MaxSongRecords) * SongRecordBytes;
extern const std::array<int, SongFieldCount> SongFieldWidths;
extern const std::array<int, SongFieldCount> SongFieldStart;  // 1-based first columns

void SplitSongRecord(const std::string& record, FieldList& fields);
void SplitOldSongRecord(const std::string& record, FieldList& fields);
std::string JoinSongRecord(const FieldList& fields);
std::string JoinSongRecord(const SongRow& row);
// Today as "YYYY/MM/DD": the date-added field of a song added now.
std::string TodayText();

std::string PadField(const std::string& text, int width, bool zeroFill);
std::string ZeroPad3(int value);
std::string ZeroPadInt(int value, int width);
std::string NextSongNumber(const std::string& lastSongNumber);

std::string SongListPath();  // LibraryRoot + "/song.qv2"
// The plain message box of a song-list file that cannot be opened, read or written.
void ShowOpenError(const std::string& path);

bool LoadSongList2();
bool UpgradeSongFileLayout();
void MigrateOlderSongLists();
bool LoadAllSong(const std::string& path);
// Reads the song list at path and makes its rows in the background, so that the next LoadAllSong of the
// same path only takes them, provided the file then still holds exactly the bytes they were made of.
void PreloadSongList(const std::string& path);
// Forgets a preload no LoadAllSong took, once its reading has ended.
void DropSongListPreload();
// Waits until a pending preload has read the file and made its rows, which stay pending.
void WaitForSongListPreload();

bool WriteSongRecord(int row);
// After a failed rewrite of a row's record: puts the record of before back as far as the file takes it,
// then gives the row what the file holds (before itself when nothing of the record can be read).
void RestoreSongRecord(int row, const SongRow& before);
// For the commands that rewrite a whole column: a failed write gets the song list's "Open file" message
// instead of the command's success message. Gives written.
bool ReportSongListWrite(bool written);
bool AppendSongRecord();
bool WriteStringToFile(const std::string& path, const std::string& text, int index);
bool AppendSongLine(const std::string& path, const std::string& text);
bool TruncateSongFile(const std::string& path, int recordLength, int recordCount);

bool WritePinyinColumn();
bool WriteSingerClassColumn();
bool WritePriorityColumn();
bool WriteStrokesColumn();
bool WriteFavouriteColumn();
bool WriteVolumeColumn();
bool ClearNewMarksColumn();
bool MarkNewSongsBooked();
bool WriteRowPriority(int row);

}  // namespace qv
