#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
#include "catalogue/UserInterface.h"
#include "library/Startup.h"
#include "outputs/IndexCommon.h"
#include "outputs/OutputSteps.h"
#include "outputs/ZtIndex.h"
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

std::string B(const std::string& utf8) { return Utf8ToBig5(utf8); }
std::string E(const char* offset, const char* length) { return std::string(offset) + length; }

class ZtIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildLineCipherTables();
        fs::create_directory(library.Path("000"));
        LibraryDataDirOk = true;
        IndexPausesEnabled = false;
        IndexDriveOverride = Root();
        setup::PingYing = 0;
        setup::ZtPinYinIncludeChi = setup::ZtPinYinIncludeJpn = true;
        setup::ZtPinYinIncludeEng = false;
        setup::ZtSelectedSongPlayMode = setup::PlayModeReplay;
        // Keyboard keys of the first Bopomofo symbol of the characters the fixture uses.
        ZhuyinCharList = {B("中"), B("衣"), B("杯"), B("愛")};
        ZhuyinKeyList = {"5", "u", "1", "9"};
    }
    void TearDown() override {
        IndexPausesEnabled = true;
        IndexDriveOverride.clear();
        ZhuyinCharList.clear();
        ZhuyinKeyList.clear();
    }
    std::string Root() const { return fs::path(library.Path("000")).parent_path().string(); }
    std::string File(const std::string& name) const { return ReadBytes(library.Path("000/" + name)); }
    bool Exists(const std::string& name) const { return fs::exists(library.Path("000/" + name)); }
    std::string Descrambled(const std::string& name) const {
        std::string bytes = File(name);
        auto* data = reinterpret_cast<uint8_t*>(bytes.data());
        UnscrambleBuffer(data, data, FileScrambleStartKey, bytes.size());
        return bytes;
    }

    // Five songs: a plain one, an English one whose singer has a priority mark, a duet, one without its
    // media file and a picture folder.
    void FillFixture() {
        using L = test::TempSongLibrary;
        SongRow s1 = L::Song("00101", "中衣", "杯愛", "1", "1");
        s1[colPinyin] = "fq", s1[colWordCount] = "2", s1[colStrokes] = "5";
        s1[colVolume] = "A", s1[colChannel] = "1", s1[colNewMark] = "*", s1[colPopular] = "*";
        s1[colSelfPlay] = "*";
        SongRow s2 = L::Song("00102", "Hello", "Amy", "4", "2");
        s2[colWordCount] = "1", s2[colStrokes] = "0", s2[colSingerPriority] = "1";
        SongRow s3 = L::Song("00103", "杯中", "中衣&杯愛", "2", "6");
        s3[colPinyin] = "1f", s3[colWordCount] = "2", s3[colStrokes] = "8";
        SongRow s4 = L::Song("00104", "衣", "杯愛", "1", "1");
        s4[colWordCount] = "1";
        SongRow s5 = L::Song("00105", "Pic", "Amy", "5", "2");
        s5[colWordCount] = "1";
        library.Fill({s1, s2, s3, s4, s5});
        library.AddMedia("00101A1.mpg");
        library.AddMedia("00102.mp4");
        library.AddMedia("00103.mpg");
        fs::create_directory(library.Path("001/00105"));
    }

    test::TempSongLibrary library;
    test::FakeUserInterface ui;
};

TEST_F(ZtIndexTest, EveryFileOfTheSetOnASmallLibrary) {
    FillFixture();
    WriteBytes(library.Path("000/PlayList.ztx"), "old");
    ASSERT_TRUE(WriteZtIndex());

    // Sorted: Amy (S2, picture folder), 中衣 (duet part), 中衣&杯愛 (S3), 杯愛 (S4 without media, S1, duet
    // part).
    const std::string data =
        B("C/001/00102.mp4;Hello;Amy;00102;00;\r\n"         // 0, 35
          "0001;Amy;0002;\r\n"                              // 37, 14
          "C/001/00103.mpg;杯中;中衣 杯愛;00103;00;\r\n"    // 53, 40
          "0002;中衣;0001;\r\n"                             // 95, 15
          "C/001/00103.mpg;杯中;中衣&杯愛;00103;00;\r\n"    // 112, 40
          "0003;中衣&杯愛;0001;\r\n"                        // 154, 20
          "C/001/00101A1.mpg;中衣;杯愛;00101;15;\r\n"       // 176, 37
          "0004;杯愛;0002;\r\n"                             // 215, 15
          "C/001/00103.mpg;杯中;杯愛 中衣;00103;00;\r\n");  // 232, 40
    EXPECT_EQ(Descrambled("okdata.ztx"), data);

    const std::string singerAmy = E("00000037", "0014"), singerZy = E("00000095", "0015"),
                      singerDuet = E("00000154", "0020"), singerBa = E("00000215", "0015");
    const std::string songS2 = E("00000000", "0035"), songT1 = E("00000053", "0040"),
                      songS3 = E("00000112", "0040"), songS1 = E("00000176", "0037"),
                      songT2 = E("00000232", "0040");
    EXPECT_EQ(File("singer.ztx"),
              "12" + singerZy + "13" + singerBa + "21" + singerAmy + "26" + singerAmy + "52" + singerDuet);
    EXPECT_EQ(File("sislist.ztx"),
              "0001" + songS2 + "0002" + songT1 + "0003" + songS3 + "0004" + songS1 + "0004" + songT2);
    EXPECT_EQ(File("sipinyin.ztx"), "A         " + singerAmy + "ZY        " + singerZy + "ZYBA      " +
                                        singerDuet + "BA        " + singerBa);
    EXPECT_EQ(File("sizhuyin.ztx"),
              "5181      " + singerZy + "51811191  " + singerDuet + "1191      " + singerBa);
    EXPECT_EQ(File("sopinyin.ztx"), "BZ        " + songS3 + "ZY        " + songS1);
    EXPECT_EQ(File("pinyin.ztx"), "A         " + singerAmy + "BA        " + singerBa + "BZ        " + songS3 +
                                      "ZY        " + singerZy + "ZY        " + songS1 + "ZYBA      " +
                                      singerDuet);
    EXPECT_EQ(File("sozhuyin.ztx"), B("ㄅㄓ      ") + songS3 + B("ㄓㄧ      ") + songS1);
    EXPECT_EQ(File("zhuyin.ztx"), "1151      " + songS3 + "1191      " + singerBa + "5181      " + singerZy +
                                      "5181      " + songS1 + "51811191  " + singerDuet);
    EXPECT_EQ(File("index.ztx"), "00102" + songS2 + "00103" + songS3 + "00101" + songS1);
    EXPECT_EQ(File("language.ztx"), "11" + songS1 + "21" + songS3 + "41" + songS2);
    EXPECT_EQ(File("like.ztx"), "1" + songS1 + "2" + songS1 + "6" + songS2 + "6" + songS3 + "6" + songS1);
    EXPECT_EQ(File("PlayList.ztx"), "[REPLAY]\r\n00101;\r\n");
    EXPECT_EQ(File("menu.ztx"), test::StandardZtMenu());

    // Per-key copies.
    EXPECT_EQ(File("SPEED/Index/00.ztx"), File("index.ztx"));
    EXPECT_EQ(File("SPEED/SiSlist/00.ztx"), File("sislist.ztx"));
    EXPECT_EQ(File("SPEED/Singer/26.ztx"), "26" + singerAmy);
    EXPECT_EQ(File("SPEED/Singer/52.ztx"), "52" + singerDuet);
    EXPECT_EQ(File("SPEED/Language/21.ztx"), "21" + songS3);
    EXPECT_EQ(File("SPEED/Like/6.ztx"), "6" + songS2 + "6" + songS3 + "6" + songS1);
    EXPECT_EQ(File("SPEED/PinYin/Z.ztx"), "ZY        " + songS1);
    EXPECT_EQ(File("SPEED/ZhuYin/11.ztx"), "1151      " + songS3);
    EXPECT_EQ(File("SPEED/ZhuYin/51.ztx"), "5181      " + songS1);
    size_t perKeyFiles = 0;
    for (const auto& e : fs::recursive_directory_iterator(library.Path("000/SPEED")))
        perKeyFiles += e.is_regular_file();
    EXPECT_EQ(perKeyFiles,
              2u + 5 + 3 + 3 + 2 + 2);  // Index and SiSlist, Singer, Language, Like, PinYin, ZhuYin

    // The run's leftovers and the table.
    EXPECT_FALSE(Exists("okdata_ori.ztx"));
    EXPECT_FALSE(Exists("IndexNew.tmp"));
    EXPECT_EQ(AllSong.size(), 5u);
    EXPECT_EQ(ShownRows, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"找不到" + library.Path("001") + "/00104*.*"});
    EXPECT_EQ(ui.Texts("wait"), std::vector<std::string>{"ZT索引檔產生中, 請稍候 ..."});
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"ZT索引檔產生完成"});
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(ui.lastProgress, 0);
}

TEST_F(ZtIndexTest, OldPerKeyFilesGoAndAnEmptyLibraryGivesEmptyFiles) {
    for (const char* name :
         {"SPEED/Index/55.ztx", "SPEED/PinYin/Q.ztx", "SPEED/Like/0.ztx", "SPEED/Index/keep.txt"}) {
        fs::create_directories(fs::path(library.Path("000/" + std::string(name))).parent_path());
        WriteBytes(library.Path("000/" + std::string(name)), "old");
    }
    WriteBytes(library.Path("000/PlayList.ztx"), "old");
    WriteBytes(library.Path("000/okData.ztx"), "old");
    library.Fill({});
    ASSERT_TRUE(WriteZtIndex());
    for (const char* name :
         {"SPEED/Index/55.ztx", "SPEED/PinYin/Q.ztx", "SPEED/Like/0.ztx", "PlayList.ztx", "okData.ztx"})
        EXPECT_FALSE(Exists(name)) << name;
    EXPECT_TRUE(Exists("SPEED/Index/keep.txt"));
    for (const char* name :
         {"okdata.ztx", "singer.ztx", "sislist.ztx", "sipinyin.ztx", "sizhuyin.ztx", "sopinyin.ztx",
          "pinyin.ztx", "sozhuyin.ztx", "zhuyin.ztx", "index.ztx", "language.ztx", "like.ztx"}) {
        EXPECT_TRUE(Exists(name)) << name;
        EXPECT_EQ(File(name), "") << name;
    }
    for (const char* folder : {"Index", "PinYin", "ZhuYin", "SiSlist", "Language", "Singer", "Like"})
        EXPECT_TRUE(fs::is_directory(library.Path("000/SPEED/") + folder)) << folder;
}

TEST_F(ZtIndexTest, LongSingersGroupByTheirCutAndWideNumbersStopTheRun) {
    // 15 bytes whose cut at 14 splits the last character: both songs are one group of two.
    const std::string singer = "ABCDEFGHIJKLM" + B("中");
    SongRow a = test::TempSongLibrary::Song("00101", "One", "");
    a[colSinger] = singer;
    SongRow b = a;
    b[colSongNo] = "00102", b[colSongName] = "Two";
    library.Fill({a, b});
    library.AddMedia("00101.mpg");
    library.AddMedia("00102.mpg");
    ASSERT_TRUE(WriteZtIndex());
    EXPECT_NE(Descrambled("okdata.ztx").find("0001;ABCDEFGHIJKLM;0002;\r\n"), std::string::npos);
    EXPECT_EQ(File("sislist.ztx").size(), 32u);

    EXPECT_EQ(MakeIndexEntry(99999999, 9999), "999999999999");
    EXPECT_THROW(MakeIndexEntry(100000000, 1), IndexRunError);
    EXPECT_THROW(MakeIndexEntry(0, 10000), IndexRunError);
    EXPECT_EQ(FixedDigits(7, 4, "n"), "0007");
}

TEST_F(ZtIndexTest, AFailedRunKeepsThePreviousSetWhole) {
    FillFixture();
    ASSERT_TRUE(WriteZtIndex());
    const std::string okdata = File("okdata.ztx"), index = File("index.ztx"),
                      speed = File("SPEED/Singer/26.ztx");
    ui.shown.clear();

    // A folder where a file of the set must go.
    fs::remove(library.Path("000/sislist.ztx"));
    fs::create_directories(library.Path("000/sislist.ztx/x"));
    EXPECT_FALSE(WriteZtIndex());
    EXPECT_EQ(ui.Texts("error").back(), "無法寫入檔案: " + library.Path("000/sislist.ztx"));
    EXPECT_TRUE(ui.Texts("info").empty());
    EXPECT_EQ(File("okdata.ztx"), okdata);
    EXPECT_EQ(File("index.ztx"), index);
    EXPECT_EQ(File("SPEED/Singer/26.ztx"), speed);
    EXPECT_FALSE(Exists("IndexNew.tmp"));
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(AllSong.size(), 5u);
    EXPECT_EQ(ShownRows.size(), 5u);
    fs::remove_all(library.Path("000/sislist.ztx"));

    // A disk that fills up while the new set is written.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = WriteZtIndex();
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    EXPECT_EQ(ui.Texts("error").back(), "無法寫入檔案: " + library.Path("000/okdata_ori.ztx"));
    EXPECT_EQ(File("okdata.ztx"), okdata);
    EXPECT_FALSE(Exists("IndexNew.tmp"));

    // "000" is a file.
    fs::remove_all(library.Path("000"));
    WriteBytes(library.Path("000"), "");
    EXPECT_FALSE(WriteZtIndex());
    EXPECT_EQ(ui.Texts("error").back(), "無法產生" + library.Path("000/SPEED") + "目錄");
    EXPECT_TRUE(ui.Texts("info").empty());
    EXPECT_FALSE(ui.waitVisible);
}

// The end request is for the whole process: a child asks for it.
TEST_F(ZtIndexTest, AnEndRequestStopsTheRunAtItsPauseWithThePreviousSetWhole) {
    FillFixture();
    ASSERT_TRUE(WriteZtIndex());
    const std::string okdata = File("okdata.ztx");
    WriteBytes(library.Path("000/index.ztx"), "the old set");
    ui.shown.clear();
    EXPECT_EXIT(
        {
            IndexPausesEnabled = true;
            RequestEnd();
            try {
                WriteZtIndex();
            } catch (const RunAbandoned&) {
                const bool old = File("okdata.ztx") == okdata && File("index.ztx") == "the old set" &&
                                 !Exists("IndexNew.tmp") && AllSong.size() == 5u && ui.Texts("info").empty();
                std::_Exit(old ? 7 : 8);
            }
            std::_Exit(9);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST_F(ZtIndexTest, CodesKeysAndPathField) {
    EXPECT_EQ(ChannelVolumeCode("1", "A"), "15");
    EXPECT_EQ(ChannelVolumeCode(" ", ""), "00");
    EXPECT_EQ(ChannelVolumeCode("0", "9"), "04");
    EXPECT_EQ(ChannelVolumeCode("", "F"), "07");
    EXPECT_EQ(ChannelVolumeCode("", "0"), "00");
    EXPECT_EQ(ZtLanguageCode("9"), '6');
    EXPECT_EQ(ZtWordCountGroup("11"), '6');
    SongRow row{};
    row[colNewMark] = "@", row[colNostalgic] = "*", row[colClassic] = "*";
    EXPECT_EQ(ZtCollectionCodes(row), "1456");

    // Pinyin only for the exported languages; the Zhuyin key from the stored code, none for Japanese.
    SongRow song = test::TempSongLibrary::Song("00101", "中衣", "x", "8");
    song[colPinyin] = "fq";
    EXPECT_EQ(SongPinyinKey(song), "");
    song[colLanguage] = "1";
    EXPECT_EQ(SongPinyinKey(song), "ZY        ");
    EXPECT_EQ(SongZhuyinKey(song), B("ㄓㄧ      "));
    setup::PingYing = 1;
    EXPECT_EQ(SongPinyinKey(song), "fq        ");
    EXPECT_EQ(SongZhuyinKey(song), B("ㄓㄧ      "));
    setup::PingYing = 0;
    song[colLanguage] = "6";
    EXPECT_EQ(SongZhuyinKey(song), "");

    IndexDriveOverride = fs::path(Root()).parent_path().string();
    const std::string folderName = fs::path(Root()).filename().string();
    EXPECT_EQ(SongPathField().Of("00203", "0020350.mpg"), "C/" + folderName + "/002/0020350.mpg");
    IndexDriveOverride.clear();
    EXPECT_EQ(SongPathField().Of("00203", "a.mpg").substr(0, 2), "C/");
}

TEST_F(ZtIndexTest, TheExitQuestionWritesTheSet) {
    FillFixture();
    struct Window final : StartupWindow {
        void UpdateNameFormatLabels() override {}
        void ResetPlayButtons() override {}
        void LayoutSongGrid() override {}
        void ResetFilterControls() override {}
        void ApplyEdition() override {}
        bool AskIndexOutput() override { return true; }
    } window;
    InstallOutputSteps();
    ProgramUsable = true;
    setup::IdxFileOutputFormat = 1;
    setup::ObrelEnabled = false;
    RunShutdown(window);
    EXPECT_TRUE(Exists("okdata.ztx"));
    EXPECT_EQ(Descrambled("okdata.ztx").substr(0, 16), "C/001/00102.mp4;");
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"ZT索引檔產生完成"});
    StartupOutputSteps() = {};
}

}  // namespace
}  // namespace qv
