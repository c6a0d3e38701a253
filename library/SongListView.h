#pragma once
// What the filter controls and the selection buttons of the song list view do to the song table.
#include <string>

namespace qv {

// The state of the view's filter controls.
struct SongFilterChoice {
    bool newOnly = false;             // NewSongCheckBox
    std::string searchText;           // SearchEdit, Big5
    int favorItem = 0;                // FavorComboBox item (no selection: 0) = collection index
    bool selfPlayOnly = false;        // SelectOnlyCheckBox
    bool specialDeletedOnly = false;  // SpecialDelCheckBox
    int showOnlyItem = 0;             // ShowOnlyComboBox item
};

// Language code filtered by an item of ShowOnlyComboBox: 0 all, 1..4 as is, 5..8 -> 6..9, 9 -> 5 ("其他").
int LanguageOfShowOnlyItem(int item);

// Rebuilds ShownRows from the filters; nothing while songs are being added.
void RefreshSongGrid(const SongFilterChoice& choice);

// Selection marks (colSelect) of every song, shown or not.
void ClearSelectMarks();
void InvertSelectMarks();

}  // namespace qv
