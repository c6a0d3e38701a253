#pragma once
// Records what the song table asks the main window's grid and singer combo box to show.
#include <string>
#include <vector>

#include "catalogue/SongView.h"

namespace qv::test {

class FakeSongView final : public SongView {
public:
    FakeSongView() { SetSongView(this); }
    ~FakeSongView() override { SetSongView(nullptr); }

    int rowRefreshes = 0;
    int priorityRefreshes = 0;
    std::vector<std::string> singerItems;

    void RefreshRows() override { ++rowRefreshes; }
    void RefreshPriorityCells() override { ++priorityRefreshes; }
    void SetSingerItems(const std::vector<std::string>& items) override { singerItems = items; }
};

}  // namespace qv::test
