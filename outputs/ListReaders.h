#pragma once
// The readers of song-list files: the checks of a whole list before anything is imported (each stops at the
// first bad line with its message), the line parsers and the songlist.txt conversion. Texts are Big5.
#include <string>
#include <vector>

#include "catalogue/SongTable.h"

namespace qv {

// Lines of a list file: a file that cannot be read gives none. Enciphered lists (decided by the first
// non-empty line) are deciphered.
std::vector<std::string> ReadListLines(const std::string& path, bool decipher);

// The system's own lists: records of "song.qv2", plain or enciphered.
bool ValidateSongListShort(const std::string& path, bool report);
bool ValidateSongListLong(const std::string& path, bool report);
// The first 20 fields, each trimmed of blanks.
void SplitSongListLine(const std::string& line, FieldList& fields);
int CompareQv2ListLines(const std::string& a, const std::string& b);

// Other makers' lists.
// CSV reading: commas inside a double-byte character do not count; a field is the text between its
// commas, trailing blanks (also full-width) removed, then one pair of quotes, then trailing blanks again.
int CountCsvCommas(const std::string& text);
std::string GetCsvField(const std::string& text, int n);  // 1-based
std::string StripQuotes(const std::string& text);

bool ValidateCsvList(const std::string& path);
bool ValidateFixedWidthList(const std::string& path);
// The song of a JETKTV line and its media path (drive field + path field, see JetktvMediaPath).
void ParseCsvSongLine(const std::string& line, FieldList& row, std::string& mediaPath);
// The song of a fixed-width line and the list's song number.
void ParseFixedWidthSongLine(const std::string& line, FieldList& row, std::string& listSongNo);
// A JETKTV file's drive and path fields hold the mount point of the file's file system and its path below
// it with "\" between folders; back to a Linux path.
std::string JetktvMediaPath(const std::string& drive, const std::string& path);
// The songlist.txt conversion of one line (108 characters).
std::string ConvertSongListLine(const std::string& line);

}  // namespace qv
