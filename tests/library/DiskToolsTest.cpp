// The column tools, the empty song folders, the library disk choice and the disk reorganisation on real
// temporary libraries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "DiskToolsFixture.h"
#include "support/BarRecord.h"
#include "catalogue/SingerTable.h"
#include "resources/ShippedData.h"
#include "settings/Settings.h"

using namespace qv;
using namespace qv::test;

namespace {

TEST(DiskToolNames, CleanedBeforeTheyBecomeFileNames) {
    EXPECT_EQ(FileNameFromBig5(B5("AC/DC")), "AC_DC");
    EXPECT_EQ(FileNameFromBig5(".."), "_");
    EXPECT_EQ(FileNameFromBig5("."), "_");
    EXPECT_EQ(FileNameFromBig5(""), "_");
    EXPECT_EQ(FileNameFromBig5("a\tb\x7F"
                               "c\\d"),
              "a_b_c_d");
    // 許 is A7 5C: its trail byte is a backslash and stays part of the character.
    EXPECT_EQ(FileNameFromBig5(B5("許許")), "許許");
    // A lead byte cut from its trail byte, or followed by a control byte, does not survive.
    EXPECT_EQ(FileNameFromBig5("ab\xA4"), "ab_");
    EXPECT_EQ(FileNameFromBig5("\xA4\x0A"
                               "x"),
              "__x");
    EXPECT_EQ(FileNameFromBig5("../../etc"), ".._.._etc");
}

TEST_F(DiskToolsTest, ClearNewMarksAsksFirstAndRewritesOnlyTheMarks) {
    AddSong("00101", "甲", "王");
    AddSong("00102", "乙", "王");
    AllSong[0][colNewMark] = "*";
    AllSong[1][colNewMark] = "@";
    ASSERT_TRUE(WriteSongRecord(0) && WriteSongRecord(1));
    const std::string before = ReadFile(root_ + "/song.qv2");

    ui.answers = {false};
    ClearNewSongMarks();
    EXPECT_EQ(ReadFile(root_ + "/song.qv2"), before);
    EXPECT_EQ(AllSong[0][colNewMark], "*");

    ui.answers = {true};
    ClearNewSongMarks();
    EXPECT_EQ(ui.Texts("ask").back(), "注意:此動怍會永遠清除新歌標示. 確定要執行?");
    EXPECT_EQ(host.filterResets, 1);
    for (const FieldList& record : StoredRecords()) EXPECT_EQ(record[colNewMark], "");
    EXPECT_EQ(AllSong[1][colNewMark], "");
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"清除完畢!"});
}

TEST_F(DiskToolsTest, StrokesAreRecomputedAndWritten) {
    AddSong("00101", "謝謝你", "王");
    AddSong("00102", "Hello", "王");
    RegenerateSongStrokes();
    const auto records = StoredRecords();
    EXPECT_EQ(records[0][colStrokes], "17");
    EXPECT_EQ(records[1][colStrokes], "0");
    EXPECT_EQ(ui.Texts("wait"), std::vector<std::string>{"歌曲筆劃產生中, 請稍候 ..."});
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌曲筆劃產生完成!"});
}

TEST_F(DiskToolsTest, DuetsAreFoundOnlyAmongChineseNonForeignSongs) {
    AddSong("00101", "甲", "張三 李四", "1", "1");  // two names: a duet now
    AddSong("00102", "乙", "張三 李四", "6", "1");  // Japanese: left alone
    AddSong("00103", "丙", "張三 李四", "1", "4");  // foreign singer: left alone
    AddSong("00104", "丁", "張三", "1", "2");       // one name
    AddSong("00105", "戊", "Tom & Amy", "4", "1");  // no double-byte character
    AddSong("00106", "己", "王", "1", "6");         // never changed back from duet
    RedetectDuetSongs();
    std::vector<std::string> classes;
    for (const FieldList& record : StoredRecords()) classes.push_back(record[colSingerClass]);
    EXPECT_EQ(classes, (std::vector<std::string>{"6", "1", "4", "2", "1", "6"}));
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"雙人對唱歌曲重新判斷完成!"});
}

TEST_F(DiskToolsTest, VolumesAreResetInTableFileAndItemNames) {
    AddSong("00101", "甲", "王");
    AddSong("00102", "乙", "王", "1", "1", ".vob", "3", "1");
    AddSong("00103", "丙", "王", "1", "1", nullptr);  // no media: only the record changes
    setup::DefaultSongVolumn = 10;
    ui.answers = {true};
    ResetAllSongVolumes();
    for (const FieldList& record : StoredRecords()) EXPECT_EQ(record[colVolume], "A");
    EXPECT_TRUE(PathExists(root_ + "/001/00101A0.mpg"));
    EXPECT_TRUE(PathExists(root_ + "/001/00102A1.vob"));
    EXPECT_EQ(ReadFile(root_ + "/001/00102A1.vob"), "media of 00102");

    setup::DefaultSongVolumn = -1;
    ui.answers = {true};
    ResetAllSongVolumes();
    EXPECT_EQ(StoredRecords()[0][colVolume], "");
    EXPECT_TRUE(PathExists(root_ + "/001/00101.mpg"));
    EXPECT_TRUE(PathExists(root_ + "/001/00102"
                                   "91.vob"));  // channel still set: volume character "9"
    EXPECT_EQ(ui.Texts("info").back(), "歌曲音量重設完成!");

    ui.answers = {false};
    setup::DefaultSongVolumn = 5;
    ResetAllSongVolumes();
    EXPECT_EQ(AllSong[0][colVolume], "");
}

// The reset renames a file per song: its bar runs to the end, and a run abandoned on the way still writes
// the volumes of the songs whose files it renamed.
TEST_F(DiskToolsTest, TheVolumeResetMovesTheBarAndAnAbandonedOneKeepsListAndFilesAgreed) {
    for (const char* number : {"00101", "00102", "00103", "00104"}) AddSong(number, "甲", "王");
    setup::DefaultSongVolumn = 10;
    {
        BarRecord bar(ui);
        ui.answers = {true};
        ResetAllSongVolumes();
        EXPECT_TRUE(bar.MovedForwardToItsEnd());
    }
    EXPECT_EQ(ui.lastProgress, 0);

    setup::DefaultSongVolumn = 3;
    ui.answers = {true};
    ui.onProgress = [](int position) {
        if (position >= 50) throw RunAbandoned{};
    };
    EXPECT_THROW(ResetAllSongVolumes(), RunAbandoned);
    ui.onProgress = nullptr;
    std::vector<std::string> volumes;
    for (const FieldList& record : StoredRecords()) volumes.push_back(record[colVolume]);
    EXPECT_EQ(volumes, (std::vector<std::string>{"3", "3", "A", "A"}));
    EXPECT_TRUE(PathExists(root_ + "/001/0010230.mpg"));
    EXPECT_TRUE(PathExists(root_ + "/001/00103A0.mpg"));
    // Each song's media under the one name its record gives, with its own bytes: none left at an old name.
    Snapshot folder = TakeSnapshot(root_ + "/001");
    EXPECT_EQ(folder, (Snapshot{{"0010130.mpg", "media of 00101"},
                                {"0010230.mpg", "media of 00102"},
                                {"00103A0.mpg", "media of 00103"},
                                {"00104A0.mpg", "media of 00104"}}));
}

TEST_F(DiskToolsTest, EmptyFoldersAreMadeWhereMissingAndThePictureIsKept) {
    const std::string disk = MakeTemp();
    WriteFile(disk + "/000/000.jpg", "own picture");
    WriteFile(disk + "/007/00701.mpg", "media");
    host.folders = {disk};
    CreateEmptySongFolders();
    for (const char* name : {"000", "001", "250", "499", "500"})
        EXPECT_TRUE(IsFolder(disk + "/" + name)) << name;
    EXPECT_FALSE(PathExists(disk + "/501"));
    EXPECT_EQ(ReadFile(disk + "/000/000.jpg"), "own picture");
    EXPECT_EQ(ReadFile(disk + "/007/00701.mpg"), "media");
    // The program folder lacked its placeholder picture: the shipped one was laid down.
    EXPECT_EQ(ReadFile(root_ + "/song.bin"), ShippedPlaceholderPicture());
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"目錄建立完成"});

    const std::string fresh = MakeTemp();
    host.folders = {fresh};
    CreateEmptySongFolders();
    EXPECT_EQ(ReadFile(fresh + "/000/000.jpg"), ShippedPlaceholderPicture());
    EXPECT_GT(ShippedPlaceholderPicture().size(), 100u);
    EXPECT_EQ(ShippedPlaceholderPicture().substr(0, 3), "\xFF\xD8\xFF");  // a JPEG
}

TEST_F(DiskToolsTest, EmptyFoldersStopAtAFolderThatCannotBeMade) {
    const std::string disk = MakeTemp();
    WriteFile(disk + "/123", "a file in the way");
    host.folders = {disk};
    CreateEmptySongFolders();
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法建立" + disk + "/123目錄!"});
    EXPECT_TRUE(ui.Texts("info").empty());
    EXPECT_FALSE(PathExists(disk + "/124"));
    EXPECT_FALSE(ui.waitVisible);
}

TEST_F(DiskToolsTest, LibraryDiskChoiceLoadsTheOtherLibrary) {
    std::string otherList;
    const std::string other = MakeOtherLibrary(otherList);

    host.selectDirForm = [&](const std::string& iniDir) {
        EXPECT_EQ(iniDir, root_);
        return WriteDataDrive(iniDir, other) ? 1 : 2;
    };
    ChooseLibraryDisk();
    EXPECT_EQ(LibraryRoot, other);
    EXPECT_TRUE(LibraryDataDirOk);
    ASSERT_EQ(AllSongCount, 2);
    EXPECT_EQ(AllSong[1][colSongName], B5("乙"));
    EXPECT_EQ(ShownRows, (std::vector<int>{0, 1}));
    EXPECT_EQ(ReadFile(other + "/song.qv2"), otherList);  // loading wrote nothing
    EXPECT_EQ(SingerDisplayList.front(), B5("林") + "(" + B5("男歌手") + ")");
    EXPECT_EQ(ReadDataDrive(root_, ""), other);
}

// A reorganisation of the other disk was cut short: its library waits in the temporary folder, and the
// choice finds it back in place.
TEST_F(DiskToolsTest, LibraryDiskChoicePutsBackTheOtherDisksCutShortReorganisation) {
    std::string otherList;
    const std::string other = MakeOtherLibrary(otherList);
    WriteFile(other + "/001/00101.mpg", "media of 00101");
    std::filesystem::create_directory(other + "/qv_tmp");
    for (const char* name : {"000", "001", "song.qv2"})
        std::filesystem::rename(other + "/" + name, other + "/qv_tmp/" + name);
    WriteFile(other + "/.qv_tmp.journal", "qv_tmp\r\n");
    const Snapshot away = TakeSnapshot(other + "/qv_tmp");

    host.selectDirForm = [&](const std::string& iniDir) { return WriteDataDrive(iniDir, other) ? 1 : 2; };
    ChooseLibraryDisk();
    EXPECT_EQ(LibraryRoot, other);
    EXPECT_TRUE(LibraryDataDirOk);
    ASSERT_EQ(AllSongCount, 2);
    EXPECT_EQ(AllSong[1][colSongName], B5("乙"));
    EXPECT_EQ(ReadFile(other + "/song.qv2"), otherList);
    EXPECT_FALSE(PathExists(other + "/qv_tmp"));
    EXPECT_FALSE(PathExists(other + "/.qv_tmp.journal"));
    Snapshot back = TakeSnapshot(other);
    EXPECT_EQ(back, away);
}

// The other disk's list is a FIFO: the choice neither waits on it nor shows an empty library in silence.
TEST_F(DiskToolsTest, LibraryDiskChoiceSaysSoWhenTheOtherListCannotBeLoaded) {
    const std::string other = MakeTemp();
    std::filesystem::create_directory(other + "/000");
    ASSERT_EQ(::mkfifo((other + "/song.qv2").c_str(), 0600), 0);
    AddSong("00101", "丙", "周");
    host.selectDirForm = [&](const std::string& iniDir) { return WriteDataDrive(iniDir, other) ? 1 : 2; };
    ChooseLibraryDisk();
    EXPECT_EQ(LibraryRoot, other);
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"Open file:" + other + "/song.qv2 error!"});
}

TEST_F(DiskToolsTest, LibraryDiskWithoutFolder000IsRefusedOnNo) {
    const std::string empty = MakeTemp();
    host.selectDirForm = [&](const std::string& iniDir) { return WriteDataDrive(iniDir, empty) ? 1 : 2; };
    ui.answers = {false};
    ChooseLibraryDisk();
    EXPECT_EQ(ui.Texts("ask"),
              std::vector<std::string>{"選擇的歌庫磁碟找不到" + empty + "/000目錄, 是否確定設為歌庫磁碟?"});
    EXPECT_EQ(LibraryRoot, root_);
    EXPECT_EQ(ReadDataDrive(root_, ""), root_);
    EXPECT_TRUE(LibraryDataDirOk);  // the old root still has its 000
}

TEST_F(DiskToolsTest, WholeDiskReorganisationKeepsEveryFileAndFillsGaps) {
    WriteFile(root_ + "/000/000.jpg", "placeholder");
    WriteFile(root_ + "/setting.ini", "[Basic Setting]\r\n");
    WriteFile(root_ + "/.hidden", "stays");
    AddSong("00101", "甲", "王", "1", "1", ".mpg", "A", "1");
    AddSong("00102", "乙", "王", "1", "1", nullptr);  // no media: gets the placeholder picture
    AddSong("00103", "丙", "王", "1", "1", "/");
    for (int i = 4; i <= 80; ++i) AddSong("001" + ZeroPad3(i).substr(1), "丁", "王");
    AddSong("00201", "戊", "王");
    WriteFile(root_ + "/002/notes.txt", "not a song");
    WriteFile(root_ + "/777/x.bin", "beyond 500");
    Snapshot before = TakeSnapshot(root_);

    host.folders = {root_ + "/"};
    ui.answers = {true};
    ReorganiseSongDisk();
    EXPECT_EQ(host.previewStops, 1);
    EXPECT_TRUE(ui.Texts("error").empty()) << ui.Texts("error").front();
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌庫磁碟重組完成"});
    Snapshot after = TakeSnapshot(root_);
    EXPECT_EQ(after.at("001/00102.jpg"), "placeholder");
    after.erase("001/00102.jpg");
    // Every song folder 001..500 exists afterwards; the library's own entries are as they were.
    for (int i = 0; i <= 500; ++i) {
        const std::string name = ZeroPad3(i);
        EXPECT_EQ(after[name], "<dir>") << name;
        if (!before.count(name)) after.erase(name);
    }
    EXPECT_EQ(after, before);
}

TEST_F(DiskToolsTest, ReorganisationStopsCleanlyWhenTheTemporaryFolderCannotBeMade) {
    AddSong("00101", "甲", "王");
    WriteFile(root_ + "/qv_tmp", "a file of that name");
    const Snapshot before = TakeSnapshot(root_);
    ReorganiseLibraryDisk();
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法建立暫存資料夾" + root_ + "/qv_tmp目錄!"});
    EXPECT_EQ(TakeSnapshot(root_), before);
}

TEST_F(DiskToolsTest, ReorganisingOneSongFolder) {
    AddSong("00101", "甲", "王");
    AddSong("00102", "乙", "王", "1", "1", ".dat", "5", "");
    const Snapshot before = TakeSnapshot(root_);
    host.folders = {root_ + "/001/"};
    ui.answers = {true};
    ReorganiseSongDisk();
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌庫磁碟重組完成"});
    EXPECT_EQ(TakeSnapshot(root_), before);

    std::filesystem::create_directory(root_ + "/009");
    host.folders = {root_ + "/009"};
    ui.answers = {true};
    ReorganiseSongDisk();
    EXPECT_EQ(ui.Texts("info").back(), "所選的目錄沒有歌庫歌曲");

    LibraryDataDirOk = false;
    ReorganiseSongDisk();
    EXPECT_EQ(ui.Texts("error").back(), "歌庫磁碟找不到\\000的目錄");
}

TEST_F(DiskToolsTest, OneFolderReorderRollsBackWhenAnItemCannotGoOut) {
    AddSong("00101", "甲", "王");
    AddSong("00102", "乙", "王");
    WriteFile(root_ + "/000/00102.mpg", "someone else's file");  // the second move out must not replace it
    const Snapshot before = TakeSnapshot(root_);
    host.folders = {root_ + "/001"};
    ui.answers = {true};
    ReorganiseSongDisk();
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"移動檔案" + root_ + "/001/00102.mpg到" + root_ +
                                                          "/000/00102.mpg發生錯誤"});
    EXPECT_EQ(TakeSnapshot(root_), before);
    EXPECT_EQ(pauses, MoveRetryCount - 1);
}

}  // namespace

// The run is cut at every stage, as a kill would cut it; the next start puts the library back as it was.
TEST_F(DiskToolsTest, AReorganisationCutShortIsPutBackByTheNextStart) {
    WriteFile(root_ + "/000/000.jpg", "placeholder");
    WriteFile(root_ + "/setting.ini", "[Basic Setting]\r\n");
    AddSong("00101", "甲", "王");
    AddSong("00102", "乙", "王", "1", "1", nullptr);
    AddSong("00103", "丙", "王", "1", "1", "/");
    AddSong("00201", "戊", "王");
    WriteFile(root_ + "/002/notes.txt", "not a song");
    const Snapshot before = TakeSnapshot(root_);

    for (int cut : {0, 5, 10, 15, 20, 21, 50, 99, 100}) {
        ui.shown.clear();
        ui.onProgress = [cut](int position) {
            if (position >= cut) throw RunAbandoned{};
        };
        EXPECT_THROW(ReorganiseLibraryDisk(), RunAbandoned) << cut;
        ui.onProgress = nullptr;
        ASSERT_TRUE(RecoverKilledReorganisation(root_)) << cut;
        EXPECT_FALSE(PathExists(root_ + "/qv_tmp")) << cut;
        EXPECT_FALSE(PathExists(root_ + "/.qv_tmp.journal")) << cut;
        Snapshot after = TakeSnapshot(root_);
        // What a whole run adds stays: the song folders it made, the missing song's picture.
        auto dropIf = [&after](const std::string& name, const char* bytes) {
            if (const auto it = after.find(name); it != after.end() && it->second == bytes) after.erase(it);
        };
        for (int i = 0; i <= 500; ++i)
            if (!before.count(ZeroPad3(i))) dropIf(ZeroPad3(i), "<dir>");
        dropIf("001/00102.jpg", "placeholder");
        EXPECT_EQ(after, before) << cut;
        EXPECT_TRUE(ui.Texts("error").empty()) << cut;
    }
    // A whole run leaves nothing for the next start.
    ReorganiseLibraryDisk();
    EXPECT_FALSE(PathExists(root_ + "/.qv_tmp.journal"));
    ui.shown.clear();
    EXPECT_TRUE(RecoverKilledReorganisation(root_));
    EXPECT_TRUE(ui.shown.empty());
}

// A temporary folder that no run of ours left on record and that holds nothing of a library is the user's
// own business; one on record whose entry is in the way stays, and the user is told.
TEST_F(DiskToolsTest, ATemporaryFolderIsPutBackOnlyWhenOnRecordAndNothingIsReplaced) {
    WriteFile(root_ + "/qv_tmp/notes.txt", "mine");
    EXPECT_TRUE(RecoverKilledReorganisation(root_));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(ReadFile(root_ + "/qv_tmp/notes.txt"), "mine");

    std::filesystem::remove_all(root_ + "/qv_tmp");
    WriteFile(root_ + "/.qv_tmp.journal", "qv_tmp\r\n");
    WriteFile(root_ + "/qv_tmp/setting.ini", "theirs");
    WriteFile(root_ + "/setting.ini", "ours");
    ui.shown.clear();
    EXPECT_FALSE(RecoverKilledReorganisation(root_));
    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{"無法復原" + root_ + "/qv_tmp目錄到" + root_ + "目錄, 請手動復原!"});
    EXPECT_EQ(ReadFile(root_ + "/setting.ini"), "ours");
    EXPECT_EQ(ReadFile(root_ + "/qv_tmp/setting.ini"), "theirs");
}
