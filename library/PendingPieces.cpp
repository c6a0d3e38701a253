// Stand-ins for pieces being built on other branches. Each definition goes as soon as its piece is merged
// (the duplicate symbol then points here).
#include <filesystem>

#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "library/PendingPieces.h"

namespace qv {

// Singer table.
std::vector<std::string> SingerNames, SingerLanguageCodes, SingerClassCodes, ZhuyinCharList, ZhuyinKeyList;
std::vector<std::string> SingerDisplayList, SingerDisplayLanguages;
void LoadSingerBin() {}
void BuildSingerDisplayList() {}

}  // namespace qv

namespace qv {

// Song table filter and singer box.
void FilterSongList(bool, const std::string&, bool, int, bool, bool, int) {}
void FillSingerComboBox() {}

}  // namespace qv
