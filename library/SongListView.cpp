#include "library/SongListView.h"

#include "catalogue/ProgramState.h"
#include "catalogue/SongTable.h"

namespace qv {

int LanguageOfShowOnlyItem(int item) {
    if (item >= 1 && item <= 4) return item;
    if (item >= 5 && item <= 8) return item + 1;
    if (item == 9) return 5;
    return 0;
}

void RefreshSongGrid(const SongFilterChoice& choice) {
    if (AddingSongs) return;
    const int collection = choice.favorItem >= 1 && choice.favorItem <= 6 ? choice.favorItem : 0;
    FilterSongList(choice.newOnly, choice.searchText, false, collection, choice.selfPlayOnly,
                   choice.specialDeletedOnly, LanguageOfShowOnlyItem(choice.showOnlyItem));
}

void ClearSelectMarks() {
    for (SongRow& row : AllSong) row[colSelect].clear();
}

void InvertSelectMarks() {
    for (SongRow& row : AllSong) {
        std::string& mark = row[colSelect];
        if (mark == "*")
            mark.clear();
        else
            mark.assign(1, '*');
    }
}

}  // namespace qv
