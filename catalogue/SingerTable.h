#pragma once
// The singer table read from "singer.bin", the character-to-Zhuyin-key table that follows it in the same
// file, and the singer display list of the singer combo box. All texts Big5.
#include <string>
#include <vector>

#include "catalogue/SongTable.h"

namespace qv {

// Parallel: one entry per singer line of "singer.bin".
extern std::vector<std::string> SingerNames;
extern std::vector<std::string> SingerLanguageCodes;
extern std::vector<std::string> SingerClassCodes;  // catalogue codes (after the file's codes are remapped)
// Parallel: one entry per character line (two Big5 bytes; one Zhuyin keyboard key byte).
extern std::vector<std::string> ZhuyinCharList;
extern std::vector<std::string> ZhuyinKeyList;
// Changes with every load of the character table, so indexes built over it know to rebuild.
extern unsigned ZhuyinTableGeneration;
// Parallel, most recently added first.
extern std::vector<std::string> SingerDisplayList;
extern std::vector<std::string> SingerDisplayLanguages;

void LoadSingerBin();                             // AppDir + "/singer.bin"
void LoadSingerBinText(const std::string& text);  // the tables of a "singer.bin" text instead
void BuildSingerDisplayList();
void AddSingerDisplayEntry(const std::string& singer, int classCode, int languageCode);
// The same as AddSingerDisplayEntry for the singer, class and language of each row in turn.
void AddSingerDisplayEntriesOfRows(const std::vector<SongRow>& rows);
void FillSingerComboBox();  // the view's singer items := SingerDisplayList

// While one lives, AddSingerDisplayEntry only records its entries; the last one to end applies them
// all at once, giving the same list as adding them one by one. Loading a full library adds an entry
// per song, and moving each to the top of a long list one by one takes seconds.
class SingerDisplayBatch {
public:
    SingerDisplayBatch();
    ~SingerDisplayBatch();
    SingerDisplayBatch(const SingerDisplayBatch&) = delete;
    SingerDisplayBatch& operator=(const SingerDisplayBatch&) = delete;
};

}  // namespace qv
