#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongTable.h"
#include "library/Startup.h"
#include "outputs/OutputSteps.h"
#include "outputs/ZtControlFiles.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"
#include "support/ZtMenuText.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

class ZtControlFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(library.Path("000"));
        LibraryDataDirOk = true;
    }
    std::string File(const std::string& name) const { return library.Path("000/" + name); }

    test::TempSongLibrary library;
    test::FakeUserInterface ui;
};

TEST_F(ZtControlFilesTest, MenuIsTheFortyTwoFixedLines) {
    const std::string file = test::StandardZtMenu();

    const std::string bytes = ZtMenuBytes();
    EXPECT_EQ(bytes.size(), 686u);
    EXPECT_EQ(bytes, file);
    EXPECT_EQ(bytes.substr(0, 18), "[00]\xA1\xB7\xA5\x44\xAD\x6E\xBF\xEF\xB3\xE6\xA1\xB7\r\n");
    EXPECT_EQ(ZtMenuLines().size(), 42u);
}

TEST_F(ZtControlFilesTest, MenuTopSetWritesTwoDigitsAndReadsBadTextAsThree) {
    for (auto [value, text] : {std::pair{5, "05"}, {0, "00"}, {88, "88"}, {-1, "03"}, {89, "03"}}) {
        ASSERT_TRUE(WriteMenuTopSet(value));
        EXPECT_EQ(ReadBytes(File("MenuTopSet.ztx")), std::string(text) + "\r\n") << value;
    }
    EXPECT_EQ(ReadMenuTopSet(library.Path("000")), 3);
    WriteBytes(File("MenuTopSet.ztx"), "42\r\n");
    EXPECT_EQ(ReadMenuTopSet(library.Path("000")), 42);
    for (const char* bad : {"89", "-1", "x7", ""}) EXPECT_EQ(ParseMenuTopSet(bad), 3) << bad;
    fs::remove(File("MenuTopSet.ztx"));
    EXPECT_EQ(ReadMenuTopSet(library.Path("000")), 3);
}

TEST_F(ZtControlFilesTest, MarkerFilesAndRandomPlayModes) {
    const std::string folder = library.Path("000");
    EXPECT_FALSE(ReadMarkerFile(folder, OkModeFileName));
    WriteBytes(File(OkModeFileName), "old");
    ASSERT_TRUE(WriteMarkerFile(folder, OkModeFileName, true));
    EXPECT_EQ(ReadBytes(File(OkModeFileName)), "");
    EXPECT_TRUE(ReadMarkerFile(folder, OkModeFileName));
    ASSERT_TRUE(WriteMarkerFile(folder, ResumePlayFileName, false));
    EXPECT_FALSE(ReadMarkerFile(folder, ResumePlayFileName));
    ASSERT_TRUE(WriteMarkerFile(folder, OkModeFileName, false));
    EXPECT_FALSE(fs::exists(File(OkModeFileName)));

    EXPECT_EQ(ReadRandPlayMode(folder), 0);
    WriteBytes(File(RandPlayFileName), "\x02\r\n");
    EXPECT_EQ(ReadRandPlayMode(folder), 2);
    WriteBytes(File(RandPlayFileName), "");
    EXPECT_EQ(ReadRandPlayMode(folder), 1);
    WriteBytes(File(RandPlayFileName), "3");  // the digit, not the control character
    EXPECT_EQ(ReadRandPlayMode(folder), 1);
    WriteBytes(File(RandPlayFileName), "\x04\r\n");
    EXPECT_EQ(ReadRandPlayMode(folder), 1);
}

TEST_F(ZtControlFilesTest, PlayListOfMarkedSongsOrNoFile) {
    auto song = [](const char* no, const char* mark) {
        SongRow row = test::TempSongLibrary::Song(no, "歌", "人");
        row[colSelfPlay] = mark;
        return row;
    };
    library.Fill({song("00101", "*"), song("00102", " "), song("00103", "*")});
    setup::ZtSelectedSongPlayMode = "";
    EXPECT_EQ(ZtPlayListText(), "[REPLAY]\r\n00101;\r\n00103;\r\n");
    setup::ZtSelectedSongPlayMode = "RANDOM";
    EXPECT_EQ(ZtPlayListText(), "[RANDOM]\r\n00101;\r\n00103;\r\n");
    setup::ZtSelectedSongPlayMode = setup::PlayModeReplay;

    AllSong[0][colSelfPlay] = AllSong[2][colSelfPlay] = "";
    EXPECT_EQ(ZtPlayListText(), "");
}

TEST_F(ZtControlFilesTest, FirstRunRewritesOnlyFirstTimeAndTurnsOnTheMarkers) {
    const std::string ini = library.Path("setting.ini");
    const std::string before =
        "; " + Utf8ToBig5("註解") + "\r\n[Basic Setting]\r\nPingYing=2\r\nFirstTime=yes\r\n" +
        "Extra=" + Utf8ToBig5("許功蓋") + "\r\n[Zt Setting]\r\nZtPinYinIncludeEng=no\r\n";
    WriteBytes(ini, before);
    ResetPlayModeFiles();
    std::string after = before;
    after.replace(after.find("FirstTime=yes"), 13, "FirstTime=no");
    EXPECT_EQ(ReadBytes(ini), after);
    EXPECT_EQ(ReadBytes(File(OkModeFileName)), "");
    EXPECT_EQ(ReadBytes(File(RandPlayFileName)), "");

    // Later starts leave the user's choices alone.
    fs::remove(File(OkModeFileName));
    WriteBytes(File(RandPlayFileName), "\x03\r\n");
    ResetPlayModeFiles();
    EXPECT_FALSE(fs::exists(File(OkModeFileName)));
    EXPECT_EQ(ReadBytes(File(RandPlayFileName)), "\x03\r\n");
    EXPECT_EQ(ReadBytes(ini), after);
}

TEST_F(ZtControlFilesTest, StartUpStepsAndRankingClear) {
    InstallOutputSteps();
    OutputSteps& steps = StartupOutputSteps();
    ASSERT_TRUE(steps.writeMenuTopSetIfMissing && steps.resetPlayModeFilesOnFirstRun && steps.writeZtIndex);
    steps.writeMenuTopSetIfMissing();
    EXPECT_EQ(ReadBytes(File("MenuTopSet.ztx")), "03\r\n");
    WriteBytes(File("MenuTopSet.ztx"), "12\r\n");
    steps.writeMenuTopSetIfMissing();
    EXPECT_EQ(ReadBytes(File("MenuTopSet.ztx")), "12\r\n");

    steps.resetPlayModeFilesOnFirstRun();  // no setting.ini: a first run
    EXPECT_TRUE(fs::exists(File(OkModeFileName)));
    EXPECT_NE(ReadBytes(library.Path("setting.ini")).find("FirstTime=no"), std::string::npos);

    WriteBytes(File(SongTopFileName), "rank");
    N30Click();
    EXPECT_FALSE(fs::exists(File(SongTopFileName)));
    N30Click();  // nothing to delete: still quiet
    EXPECT_TRUE(ui.shown.empty());
    StartupOutputSteps() = {};
}

}  // namespace
}  // namespace qv
