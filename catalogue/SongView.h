#pragma once
// How the song table tells the main window's grid and singer combo box that their data changed. The grid
// reads AllSong through ShownRows itself; these calls only say what to repaint. Texts are Big5.
#include <string>
#include <vector>

namespace qv {

class SongView {
public:
    virtual ~SongView() = default;

    // ShownRows was rebuilt: the grid shows ShownRows.size() rows below its title row, unsorted.
    virtual void RefreshRows() = 0;
    // colSingerPriority changed in some rows; the shown rows repaint that column.
    virtual void RefreshPriorityCells() = 0;
    // The singer combo box's items; the first one becomes the selected item.
    virtual void SetSingerItems(const std::vector<std::string>& items) = 0;
};

// The main window's view; until one is set (start-up, tools, tests) the calls do nothing.
SongView& TheSongView();
void SetSongView(SongView* view);

}  // namespace qv
