#include "library/SongListView.h"

#include <gtest/gtest.h>

#include "catalogue/ProgramState.h"
#include "catalogue/SongTable.h"
#include "support/FakeSongView.h"

namespace qv {
namespace {

TEST(SongListViewTest, NothingIsRefilteredWhileSongsAreAdded) {
    test::FakeSongView view;
    AllSong.assign(2, SongRow{});
    AllSongCount = 2;
    AllSong[1][colLanguage] = "5";
    ShownRows = {0, 1};
    SongFilterChoice others;
    others.showOnlyItem = 9;
    AddingSongs = true;
    RefreshSongGrid(others);
    EXPECT_EQ(view.rowRefreshes, 0);
    EXPECT_EQ(ShownRows.size(), 2u);
    AddingSongs = false;
    RefreshSongGrid(others);
    EXPECT_EQ(view.rowRefreshes, 1);
    EXPECT_EQ(ShownRows, std::vector<int>{1});
    AllSong.clear();
    AllSongCount = 0;
    ShownRows.clear();
}

TEST(SongListViewTest, ShowOnlyItemsMapToLanguageCodes) {
    const int expected[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 5, 0};
    for (int item = 0; item <= 10; ++item) EXPECT_EQ(LanguageOfShowOnlyItem(item), expected[item]) << item;
    EXPECT_EQ(LanguageOfShowOnlyItem(-1), 0);
}

}  // namespace
}  // namespace qv
