#include <gtest/gtest.h>
#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "settings/SetupPages.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"

using namespace qv;
using namespace qv::setup;
using qv::test::ReadBytes;
using qv::test::WriteBytes;

namespace {

class SetupPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppPath;
        AppPath = folder_.Path();
    }
    void TearDown() override { AppPath = saved_; }
    std::string Ini() const { return folder_.File("setting.ini"); }

    qv::test::TempFolder folder_;
    qv::test::FakeUserInterface ui_;
    std::string saved_;
};

TEST_F(SetupPagesTest, BasicTabLoadsBrokenKeysAsDefaultsAndWritesOnlyItsKeys) {
    WriteBytes(Ini(),
               "; hand notes\r\n[Basic Setting]\r\nPingYing=x\r\nSongNameFormat=8\r\nSelfDefine3=abc\r\n"
               "SelfDefine5=9\r\nDefaultSongVolumn=4\r\nIdxFileOutputFormat=5\r\nFirstTime=no\r\n"
               "IsBatchAddIncludeWarningSong=no\r\n[Other]\r\nKey=\xA4\x4A\r\n");
    BasicPage page = LoadBasicSettings();
    EXPECT_EQ(page.pingYing, 0);        // not an integer: its default
    EXPECT_EQ(page.fileNameItem, 1);    // value 8 is the second item
    EXPECT_EQ(page.selfDefine[2], -1);  // not an integer: its default -1
    EXPECT_EQ(page.selfDefine[4], -1);  // no such item
    EXPECT_EQ(page.defaultSongVolumn, 4);
    EXPECT_TRUE(page.excludeWarningSongs);

    page.fileNameItem = 2;
    page.pingYing = 2;
    page.excludeWarningSongs = false;
    ASSERT_TRUE(ApplyBasicSettings(page));
    EXPECT_EQ(ReadBytes(Ini()),
              "; hand notes\r\n[Basic Setting]\r\nPingYing=2\r\nSongNameFormat=1\r\nSelfDefine3=-1\r\n"
              "SelfDefine5=-1\r\nDefaultSongVolumn=4\r\nIdxFileOutputFormat=5\r\nFirstTime=no\r\n"
              "IsBatchAddIncludeWarningSong=yes\r\nLanguage=0\r\nSelfDefine1=-1\r\nSelfDefine2=-1\r\n"
              "SelfDefine4=-1\r\nSelfDefine6=-1\r\nSelfDefine7=-1\r\nSelfDefine8=-1\r\n"
              "IsSameSongNameBeSameSong=no\r\n[Other]\r\nKey=\xA4\x4A\r\n");
    EXPECT_EQ(SongNameFormat, 1);
    EXPECT_EQ(PingYing, 2);
    EXPECT_TRUE(IsBatchAddIncludeWarningSong);
    EXPECT_TRUE(LoadBasicSettings().fileNameItem == 2);
}

TEST_F(SetupPagesTest, CustomFormsAreCheckedBeforeAnythingIsWritten) {
    BasicPage page;
    page.fileNameItem = CustomFolderItem;
    page.selfDefine = {1, 1, 0, 0, -1, -1, -1, -1};  // 語言 twice
    EXPECT_FALSE(ApplyBasicSettings(page));
    EXPECT_EQ(ui_.Texts("error").back(), "自訂資料夾形式有誤, 請檢查!");
    EXPECT_FALSE(std::filesystem::exists(Ini()));
    page.selfDefine = {0, 0, 3, -1, -1, -1, -1, -1};  // no file name
    EXPECT_EQ(Big5ToUtf8(CheckBasicSettings(page)), "自訂資料夾形式有誤, 請檢查!");
    page.selfDefine = {0, 0, 3, 2, -1, -1, -1, -1};  // "(無)" twice is no clash
    EXPECT_EQ(CheckBasicSettings(page), "");

    page.fileNameItem = CustomFileItem;
    page.selfDefine = {0, 0, 0, 0, 0, -1, 0, -1};
    EXPECT_EQ(Big5ToUtf8(CheckBasicSettings(page)), "自訂檔案形式有誤, 請檢查!");
    page.selfDefine = {0, 0, 0, 0, 4, 3, 0, 4};  // 歌名 twice
    EXPECT_EQ(Big5ToUtf8(CheckBasicSettings(page)), "自訂檔案形式有誤, 請檢查!");
    page.selfDefine = {0, 0, 0, 0, 4, 3, 0, -1};
    EXPECT_EQ(CheckBasicSettings(page), "");
    // The other items are never refused.
    page.selfDefine = {1, 1, 1, -1, 4, 4, 4, 4};
    for (int item = 0; item < CustomFolderItem; ++item) {
        page.fileNameItem = item;
        EXPECT_EQ(CheckBasicSettings(page), "") << item;
    }
}

TEST_F(SetupPagesTest, ReportRuleRoundTripWithTypedTexts) {
    WriteBytes(Ini(),
               "[Report Rule]\nIsMainLanguageContinue=Yes\nSongReportLeadFontSize=30\n"
               "SingerReportNormalFontSize=16\nSongReportSongNumPerPage=55\nSingerMaleColor=red\n"
               "SingerOtherColor=255\nSingerNameBackground=1\n");
    ReportRulePage page = LoadReportRule();
    EXPECT_FALSE(page.mainLanguageContinue);
    EXPECT_EQ(page.songLeadFontSize, "24");
    EXPECT_EQ(page.singerNormalFontSize, "16");
    EXPECT_EQ(page.songsPerPage, "50");  // the list has no 55
    EXPECT_EQ(page.colours[0], 0);
    EXPECT_EQ(page.colours[5], 255);
    EXPECT_EQ(page.singerNameBackground, 1);
    EXPECT_TRUE(page.excludeSpecialDeleteSongs);

    page.songsPerPage = "55";
    page.songNormalFontSize = "17";  // typed, not in the list
    page.colours[2] = 0x00FF8040;
    page.excludeSpecialDeleteSongs = false;
    ASSERT_TRUE(ApplyReportRule(page));
    const std::string file = ReadBytes(Ini());
    EXPECT_NE(file.find("SongReportSongNumPerPage=55\n"), std::string::npos);
    EXPECT_NE(file.find("SongReportNormalFontSize=17\n"), std::string::npos);
    EXPECT_NE(file.find("SingerGroupColor=16744512\n"), std::string::npos);
    EXPECT_NE(file.find("IsOutputSpecialDeleteSong=yes\n"), std::string::npos);
    EXPECT_NE(file.find("IsMainLanguageContinue=no\n"), std::string::npos);
    EXPECT_EQ(SongReportSongNumPerPage, 55);
    EXPECT_EQ(SongReportNormalFontSize, 20);  // in use: the default
    EXPECT_EQ(page.songNormalFontSize, "20");
    EXPECT_EQ(SingerGroupColor, 0x00FF8040);
    EXPECT_TRUE(IsOutputSpecialDeleteSong);
}

TEST_F(SetupPagesTest, SongsPerPageMustBeAPositiveNumber) {
    WriteBytes(Ini(), "[Report Rule]\r\nSongReportSongNumPerPage=52\r\n");
    for (const char* typed : {"", "0", "-5", "5x", " 50", "99999999999"}) {
        ReportRulePage page;
        page.songsPerPage = typed;
        EXPECT_FALSE(ApplyReportRule(page)) << typed;
        EXPECT_EQ(ui_.Texts("error").back(), "每頁歌曲數必須是正整數, 請檢查!");
    }
    EXPECT_EQ(ReadBytes(Ini()), "[Report Rule]\r\nSongReportSongNumPerPage=52\r\n");
}

TEST_F(SetupPagesTest, WriteFailureIsReportedOnce) {
    // A folder where the file should be: nothing can be written.
    std::filesystem::create_directory(Ini());
    PingYing = 1;
    BasicPage page;
    page.pingYing = 2;
    EXPECT_FALSE(ApplyBasicSettings(page));
    EXPECT_EQ(PingYing, 1);
    ASSERT_EQ(ui_.Texts("error").size(), 1u);
    EXPECT_EQ(ui_.Texts("error")[0], "無法寫入檔案:" + Ini());
    // Loading from it gives the defaults.
    EXPECT_EQ(LoadBasicSettings().defaultSongVolumn, -1);
}

TEST_F(SetupPagesTest, CloudPasswordRoundTripAndCorruptValue) {
    ObrelPage page{true,
                   "ab\xA4\x4A"
                   "9"};
    ASSERT_TRUE(ApplyObrelSettings(page));
    EXPECT_TRUE(ObrelEnabled);
    const std::string file = ReadBytes(Ini());
    EXPECT_NE(file.find("Enable=yes\r\n"), std::string::npos);
    EXPECT_NE(file.find("Password=" + ScrambleToHex(page.password, HexScrambleStartKey) + "\r\n"),
              std::string::npos);
    ObrelEnabled = false;
    const ObrelPage loaded = LoadObrelSettings();
    EXPECT_TRUE(loaded.enabled);
    EXPECT_TRUE(ObrelEnabled);
    EXPECT_EQ(loaded.password, page.password);

    for (const char* corrupt : {"zz12", "ABC", "0"}) {
        WriteBytes(Ini(), std::string("[Obrel Setting]\r\nEnable=Yes\r\nPassword=") + corrupt + "\r\n");
        const ObrelPage bad = LoadObrelSettings();
        EXPECT_EQ(bad.password, "") << corrupt;
        EXPECT_FALSE(bad.enabled);
        EXPECT_FALSE(ObrelEnabled);
    }
}

}  // namespace
