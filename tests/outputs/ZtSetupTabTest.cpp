#include <gtest/gtest.h>

#include <filesystem>

#include "outputs/ZtSetupTab.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/FileLimits.h"
#include "support/TempFolder.h"

using namespace qv;
using namespace qv::setup;
using qv::test::ReadBytes;
using qv::test::WriteBytes;

namespace {

class ZtSetupTabTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppPath;
        AppPath = folder_.Path();
        std::filesystem::create_directory(folder_.File("000"));
    }
    void TearDown() override { AppPath = saved_; }
    std::string Zt(const char* name) const { return folder_.File(std::string("000/") + name); }

    qv::test::TempFolder folder_;
    qv::test::FakeUserInterface ui_;
    std::string saved_;
};

TEST_F(ZtSetupTabTest, HandWrittenFilesLoadWithinTheirRanges) {
    struct Case {
        const char* menuTop;
        int expectedTop;
        std::string randPlay;
        int expectedMode;
    };
    const Case cases[] = {{"99\r\n", 3, "", 0},      {"x", 3, "\x02\r\n", 1}, {"7", 7, "\x03", 2},
                          {"-1\r\n", 3, "2\r\n", 0}, {"", 3, "\x04\r\n", 0},  {"88\r\n", 88, "\x01\r\n", 0}};
    for (const Case& c : cases) {
        WriteBytes(Zt("MenuTopSet.ztx"), c.menuTop);
        WriteBytes(Zt("RandPlay.ztx"), c.randPlay);
        const ZtPage page = LoadZtSettings();
        EXPECT_EQ(page.menuTop, c.expectedTop) << c.menuTop;
        EXPECT_EQ(page.randPlayMode, c.expectedMode) << c.randPlay;
        EXPECT_TRUE(page.randPlay);
    }
}

TEST_F(ZtSetupTabTest, ApplyWritesKeysMarkersAndValues) {
    WriteBytes(Zt("OKMODE.ztx"), "kept as it is");
    WriteBytes(Zt("ResumePlayEnable.ztx"), "");
    ZtPage page;
    page.okMode = true;
    page.randPlay = true;
    page.randPlayMode = 1;
    page.resumePlay = false;
    page.menuTop = 5;
    page.pinYinEng = true;
    page.playMode = -1;  // no choice
    ASSERT_TRUE(ApplyZtSettings(page));
    EXPECT_EQ(ReadBytes(Zt("OKMODE.ztx")), "kept as it is");
    EXPECT_EQ(ReadBytes(Zt("RandPlay.ztx")), "\x02\r\n");
    EXPECT_FALSE(std::filesystem::exists(Zt("ResumePlayEnable.ztx")));
    EXPECT_EQ(ReadBytes(Zt("MenuTopSet.ztx")), "05\r\n");
    EXPECT_EQ(ReadBytes(folder_.File("setting.ini")),
              "[Zt Setting]\r\nZtPinYinIncludeJpn=yes\r\nZtPinYinIncludeChi=yes\r\nZtPinYinIncludeEng=yes\r\n"
              "ZtSelectedSongPlayMode=REPLAY\r\n");
    EXPECT_TRUE(ZtPinYinIncludeEng);

    page.randPlay = false;
    page.menuTop = -1;
    ASSERT_TRUE(ApplyZtSettings(page));
    EXPECT_FALSE(std::filesystem::exists(Zt("RandPlay.ztx")));
    EXPECT_EQ(ReadBytes(Zt("MenuTopSet.ztx")), "03\r\n");
    EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(ZtSetupTabTest, MissingFolderIsReported) {
    std::filesystem::remove(folder_.File("000"));
    EXPECT_FALSE(ApplyZtSettings(DefaultZtSettings()));
    EXPECT_EQ(ui_.Texts("error"), (std::vector<std::string>{"無法寫入檔案:" + Zt("OKMODE.ztx"),
                                                            "無法寫入檔案:" + Zt("RandPlay.ztx"),
                                                            "無法寫入檔案:" + Zt("MenuTopSet.ztx")}));
}

// A marker that cannot be removed is a failure with its name; the files after it are still written.
TEST_F(ZtSetupTabTest, MarkerThatCannotBeRemovedIsReportedAndTheRestWritten) {
    WriteBytes(Zt("OKMODE.ztx"), "");
    WriteBytes(Zt("ResumePlayEnable.ztx"), "");
    std::filesystem::create_directories(Zt("RandPlay.ztx/in the way"));
    qv::test::Immutable locked(Zt("OKMODE.ztx"));
    if (!locked.ok()) GTEST_SKIP() << "no immutable files here";
    ZtPage page;
    page.okMode = false;
    page.randPlay = false;
    page.resumePlay = false;
    page.menuTop = 7;
    EXPECT_FALSE(ApplyZtSettings(page));
    EXPECT_EQ(ui_.Texts("error"), (std::vector<std::string>{"無法寫入檔案:" + Zt("OKMODE.ztx"),
                                                            "無法寫入檔案:" + Zt("RandPlay.ztx")}));
    EXPECT_TRUE(std::filesystem::exists(Zt("OKMODE.ztx")));
    EXPECT_FALSE(std::filesystem::exists(Zt("ResumePlayEnable.ztx")));
    EXPECT_EQ(ReadBytes(Zt("MenuTopSet.ztx")), "07\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(Zt("RandPlay.ztx/in the way")));
}

}  // namespace
