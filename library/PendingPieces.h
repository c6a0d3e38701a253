#pragma once
// Declarations of pieces being built on other branches, as their headers will declare them; each goes as
// soon as its piece is merged.
#include <string>

namespace qv {

void FilterSongList(bool newOnly, const std::string& searchText, bool hideSpecialDeleted, int collection,
                    bool selfPlayOnly, bool specialDeletedOnly, int language);
void FillSingerComboBox();

}  // namespace qv
