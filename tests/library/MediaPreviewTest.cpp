#include <gtest/gtest.h>

#include "library/MediaPreview.h"
#include "platform/MediaPlayer.h"
#include "support/FakeUserInterface.h"
#include "support/RecordingPlayer.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

// The preview's player while it lives; it keeps its own list of calls.
struct CallList {
    std::vector<std::string> calls;
};
class FakePlayer final : private CallList, public test::RecordingPlayer {
public:
    FakePlayer() : RecordingPlayer(CallList::calls) { SetPreviewPlayer(this); }
    ~FakePlayer() override { SetPreviewPlayer(nullptr); }
    using CallList::calls;
};

class MediaPreviewTest : public ::testing::Test {
protected:
    test::FakeUserInterface ui;
    test::TempSongLibrary lib;
    FakePlayer player;
};

TEST_F(MediaPreviewTest, PlaysTheSongsItemWithBothChannels) {
    lib.Fill(
        {test::TempSongLibrary::Song("00101", "a", "b"), test::TempSongLibrary::Song("00102", "c", "d")});
    const std::string item = lib.AddMedia("00102A1.vob");
    PlaySongByNumber("00102");
    EXPECT_EQ(player.calls, (std::vector<std::string>{"balance 0", "play " + item}));
    EXPECT_EQ(PreviewSongNo, "00102");
    StopPreviewOf("00101");
    EXPECT_EQ(player.calls.size(), 2u);
    StopPreviewOf("00102");
    EXPECT_EQ(player.calls.back(), "close");
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(MediaPreviewTest, MissingPicturesAndUnplayableFilesAreReported) {
    PlaySongByNumber("00105");
    ASSERT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_EQ(ui.Texts("error")[0], "找不到欲播放的影音檔:" + lib.Path("001/00105") + ".*");
    EXPECT_EQ(PreviewSongNo, "00105");

    lib.AddMedia("00106.JPG");
    PlaySongByNumber("00106");
    EXPECT_EQ(ui.Texts("error").back(), "播放機不支援 .jpg 格式的影音檔");
    PreviewSourceFile("/somewhere/clip.wmv");
    EXPECT_EQ(ui.Texts("error").back(), "播放機不支援 .wmv 格式的影音檔");
    EXPECT_TRUE(player.calls.empty());

    player.opens = false;
    PreviewSourceFile("/somewhere/clip.mpg");
    EXPECT_EQ(ui.Texts("error").back(), "無法播放影音檔:/somewhere/clip.mpg");
}

}  // namespace
}  // namespace qv
