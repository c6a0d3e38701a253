#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/TempFolder.h"
#include "catalogue/ProgramState.h"
#include "settings/Settings.h"

using namespace qv;
using qv::test::ReadBytes;
using qv::test::TempFolder;
using qv::test::WriteBytes;

namespace {

// Runs each test in its own program folder, with every value scrambled first so that a value
// LoadSettings forgets to set shows up.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedAppDir_ = AppDir;
        AppDir = folder_.Path();
        Scramble();
    }
    void TearDown() override { AppDir = savedAppDir_; }

    // Every integer and flag value LoadSettings fills, in the order of the tables.
    static std::vector<int*> IntValues() {
        using namespace setup;
        return {&Language,
                &PingYing,
                &SongNameFormat,
                &DefaultSongVolumn,
                &SelfDefine1,
                &SelfDefine2,
                &SelfDefine3,
                &SelfDefine4,
                &SelfDefine5,
                &SelfDefine6,
                &SelfDefine7,
                &SelfDefine8,
                &IdxFileOutputFormat,
                &SingerNameBackground,
                &SingerOutputRowStyle,
                &SongReportLeadFontSize,
                &SongReportNormalFontSize,
                &SongReportSongNumPerPage,
                &SingerReportLeadFontSize,
                &SingerReportNormalFontSize,
                &SingerMaleColor,
                &SingerFemaleColor,
                &SingerGroupColor,
                &SingerForeignColor,
                &SingerDoubleColor,
                &SingerOtherColor};
    }
    static std::vector<bool*> FlagValues() {
        using namespace setup;
        return {&IsSameSongNameBeSameSong,     &IsBatchAddIncludeWarningSong, &IsMainLanguageContinue,
                &IsOtherReportContinue,        &IsOutputWithPingYing,         &IsSingerReportContinue,
                &IsSingerClassifiedByLanguage, &IsOutputSpecialDeleteSong,    &ZtPinYinIncludeJpn,
                &ZtPinYinIncludeChi,           &ZtPinYinIncludeEng,           &ObrelEnabled};
    }
    static std::vector<int> Ints() {
        std::vector<int> out;
        for (int* v : IntValues()) out.push_back(*v);
        return out;
    }
    static std::vector<bool> Flags() {
        std::vector<bool> out;
        for (bool* v : FlagValues()) out.push_back(*v);
        return out;
    }

    static void Scramble() {
        for (int* v : IntValues()) *v = 777;
        for (bool* b : FlagValues()) *b = !*b;
        setup::ZtSelectedSongPlayMode = "garbage";
    }

    std::string IniPath() const { return folder_.File("setting.ini"); }

    // Loads the file and checks that loading left it byte for byte as it was, and made nothing new.
    void LoadUnchanged() {
        bool existed = folder_.EntryCount() == 1;
        std::string before = existed ? ReadBytes(IniPath()) : "";
        LoadSettings();
        EXPECT_EQ(folder_.EntryCount(), existed ? 1u : 0u);
        if (existed) {
            EXPECT_EQ(ReadBytes(IniPath()), before);
        }
    }

    static void ExpectDefaults() {
        EXPECT_EQ(Ints(), (std::vector<int>{0, 0, 0,  -1, -1, -1, -1, -1, -1, -1, -1, -1, 2,
                                            0, 0, 24, 20, 50, 18, 14, 0,  0,  0,  0,  0,  0}));
        EXPECT_EQ(Flags(), (std::vector<bool>{false, true, true, true, false, true, false, false, true, true,
                                              false, false}));
        EXPECT_EQ(setup::ZtSelectedSongPlayMode, "REPLAY");
    }

    TempFolder folder_;

private:
    std::string savedAppDir_;
};

}  // namespace

TEST_F(SettingsTest, NoFileGivesTheDefaultsAndCreatesNothing) {
    LoadUnchanged();
    ExpectDefaults();
}

TEST_F(SettingsTest, ReadsEveryValueOfAWrittenFile) {
    WriteBytes(IniPath(),
               "[Basic Setting]\r\nLanguage=1\r\nPingYing=2\r\nSongNameFormat=8\r\nDefaultSongVolumn=15\r\n"
               "SelfDefine1=1\r\nSelfDefine2=2\r\nSelfDefine3=3\r\nSelfDefine4=4\r\nSelfDefine5=0\r\n"
               "SelfDefine6=1\r\nSelfDefine7=2\r\nSelfDefine8=4\r\nIsSameSongNameBeSameSong=yes\r\n"
               "IsBatchAddIncludeWarningSong=no\r\nIdxFileOutputFormat=7\r\n"
               "[Report Rule]\r\nIsMainLanguageContinue=no\r\nIsOtherReportContinue=no\r\n"
               "IsOutputWithPingYing=yes\r\nIsSingerReportContinue=no\r\nIsSingerClassifiedByLanguage=yes\r\n"
               "IsOutputSpecialDeleteSong=yes\r\nSingerNameBackground=1\r\nSingerOutputRowStyle=1\r\n"
               "SongReportLeadFontSize=28\r\nSongReportNormalFontSize=14\r\nSongReportSongNumPerPage=55\r\n"
               "SingerReportLeadFontSize=26\r\nSingerReportNormalFontSize=16\r\nSingerMaleColor=255\r\n"
               "SingerFemaleColor=65280\r\nSingerGroupColor=16711680\r\nSingerForeignColor=1\r\n"
               "SingerDoubleColor=2\r\nSingerOtherColor=3\r\n"
               "[Zt Setting]\r\nZtPinYinIncludeJpn=no\r\nZtPinYinIncludeChi=no\r\nZtPinYinIncludeEng=yes\r\n"
               "ZtSelectedSongPlayMode=RANDOM\r\n"
               "[Obrel Setting]\r\nEnable=yes\r\n");
    LoadUnchanged();
    // 55 songs a page: the number is not checked at start.
    EXPECT_EQ(Ints(), (std::vector<int>{1, 2, 8,  15, 1,  2,  3,  4,   0,     1,        2, 4, 7,
                                        1, 1, 28, 14, 55, 26, 16, 255, 65280, 16711680, 1, 2, 3}));
    EXPECT_EQ(Flags(), (std::vector<bool>{true, false, false, false, true, false, true, true, false, false,
                                          true, true}));
    EXPECT_EQ(setup::ZtSelectedSongPlayMode, "RANDOM");
}

TEST_F(SettingsTest, FallbacksOfOddTexts) {
    WriteBytes(IniPath(),
               "[basic setting]\n"
               "SelfDefine3=abc\n"
               "DefaultSongVolumn=\n"
               "IdxFileOutputFormat=two\n"
               "IsBatchAddIncludeWarningSong=YES\n"
               "[Report Rule]\n"
               "IsMainLanguageContinue=Yes\n"
               "IsOtherReportContinue=yes please\n"
               "SongReportLeadFontSize=30\n"
               "SongReportNormalFontSize=15\n"
               "SingerReportLeadFontSize=\n"
               "SingerReportNormalFontSize=16\n"
               "SongReportSongNumPerPage=lots\n"
               "[ZT SETTING]\n"
               "ZtSelectedSongPlayMode=random\n");
    LoadUnchanged();
    using namespace setup;
    EXPECT_EQ(SelfDefine3, 0);        // no number counts 0, not the default -1
    EXPECT_EQ(DefaultSongVolumn, 0);  // an empty text is present, so it is no number either
    EXPECT_EQ(IdxFileOutputFormat, 2);
    EXPECT_FALSE(IsBatchAddIncludeWarningSong);
    EXPECT_FALSE(IsMainLanguageContinue);
    EXPECT_FALSE(IsOtherReportContinue);
    EXPECT_EQ(SongReportLeadFontSize, 24);
    EXPECT_EQ(SongReportNormalFontSize, 20);
    EXPECT_EQ(SingerReportLeadFontSize, 18);
    EXPECT_EQ(SingerReportNormalFontSize, 16);
    EXPECT_EQ(SongReportSongNumPerPage, 0);
    EXPECT_EQ(ZtSelectedSongPlayMode, "REPLAY");

    WriteBytes(IniPath(), "[Zt Setting]\rZtSelectedSongPlayMode=LIST\r[Basic Setting]\rSelfDefine8=3");
    LoadUnchanged();
    EXPECT_EQ(ZtSelectedSongPlayMode, "LIST");
    EXPECT_EQ(SelfDefine8, 3);
    EXPECT_EQ(SelfDefine7, -1);
}

TEST_F(SettingsTest, BrokenFilesLoadTheDefaults) {
    std::mt19937 random(12345);
    std::string binary(70000, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    const std::string huge(200000, '9');
    for (const std::string& content : {
             std::string(),
             binary,
             std::string("[\r\n=\r\n[]\r\n]\r\n==\r\n[Basic Setting\r\n;\r\n\x81"),
             "[Basic Setting]\r\nPingYing=" + huge + "\r\nSongNameFormat=-" + huge + "\r\n",
             "[Report Rule]\r\nSongReportLeadFontSize=" + huge + "\r\n" + huge + "\r\n[" + huge,
             "[" + std::string(1, '\xA4') + "]\r\n[Basic Setting]",
         }) {
        Scramble();
        WriteBytes(IniPath(), content);
        LoadUnchanged();
        // Texts too long for an integer are no integer; the rest must be the defaults.
        if (content.find(huge) != std::string::npos) {
            EXPECT_EQ(setup::PingYing, 0);
            EXPECT_EQ(setup::SongNameFormat, 0);
        }
        ExpectDefaults();
    }

    // A folder in the file's place reads as no file.
    std::filesystem::remove(IniPath());
    std::filesystem::create_directory(IniPath());
    Scramble();
    LoadSettings();
    ExpectDefaults();
}

TEST_F(SettingsTest, OneKeyWrittenByItself) {
    const std::string original = "; mine\r\n[Basic Setting]\r\nLanguage=1\r\nFirstTime=yes\r\n";
    WriteBytes(IniPath(), original);

    EXPECT_EQ(ReadSetting(setup::keys::FirstTime), "yes");
    EXPECT_EQ(ReadSetting(setup::keys::LastUpdate), "0");
    ASSERT_TRUE(WriteSetting(setup::keys::FirstTime, setup::FlagText(false)));
    ASSERT_TRUE(WriteSetting(setup::keys::IdxFileOutputFormat, 5));
    ASSERT_TRUE(WriteSetting(setup::keys::LastUpdate, 1234567));
    EXPECT_EQ(ReadBytes(IniPath()),
              "; mine\r\n[Basic Setting]\r\nLanguage=1\r\nFirstTime=no\r\nIdxFileOutputFormat=5\r\n"
              "[Obrel Setting]\r\nLastUpdate=1234567\r\n");
    LoadSettings();
    EXPECT_EQ(setup::IdxFileOutputFormat, 5);
    EXPECT_EQ(setup::Language, 1);
}
