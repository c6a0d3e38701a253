#pragma once
// The index file set of the VKM (QV04) jukebox in folder 000 of the library: the song data file
// "okdata.vkm" (UTF-8 with byte-order mark, scrambled) and the fixed-width indexes into it, the own-choice
// list and the screen menu "menu.vkm".
#include <string>

#include "catalogue/SongTable.h"

namespace qv {

// The bytes of "menu.vkm": its 81 lines in UTF-8 with a byte-order mark, each ended by CR LF.
std::string VkmMenuBytes();

// Writes the whole set from AllSong; every outcome is reported to the user.
void WriteVkmIndex();

// The menu command: empties and removes LibraryRoot + "/ErrFiles", then writes the set.
void ZT1Click();

// Codes of the VKM records, each one character.
char VkmStrokeGroup(int strokes);
char VkmLanguageCode(const std::string& language);
char VkmWordCountGroup(int words);
// Channel letter and volume character; "00" for an ".mkv" item.
std::string VkmChannelVolumeCode(const SongRow& row, bool mkv);
// The collection codes of a row in ascending order ("6" for every song).
std::string VkmCollectionCodes(const SongRow& row);

}  // namespace qv
