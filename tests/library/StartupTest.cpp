#include "library/Startup.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/TextFile.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "resources/ShippedData.h"
#include "catalogue/SingerTable.h"
#include "library/Edition.h"
#include "platform/FolderLock.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/ProgramFolder.h"
#include "support/SongListFile.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::FakeUserInterface;
using test::ProgramFolder;
using test::WriteBytes;

// Records the window's steps and what the program looked like at each.
class RecordingWindow final : public StartupWindow {
public:
    explicit RecordingWindow(FakeUserInterface& ui) : ui_(ui) {}
    std::vector<std::string> steps;
    std::pair<std::string, std::string> labels;
    bool settingsLoadedAtLabels = false;
    bool waitUpAtLayout = false, waitUpAtEdition = false, startingUpAtEdition = false;
    bool askIndexAnswer = false;
    int indexQuestions = 0;

    void UpdateNameFormatLabels() override {
        steps.push_back("labels");
        labels = NameFormatLabelTexts();
        settingsLoadedAtLabels = setup::SongNameFormat == 7;
    }
    void ResetPlayButtons() override { steps.push_back("buttons"); }
    void LayoutSongGrid() override {
        steps.push_back("layout");
        waitUpAtLayout = ui_.waitVisible;
    }
    void ResetFilterControls() override { steps.push_back("filters"); }
    void ApplyEdition() override {
        steps.push_back("edition");
        waitUpAtEdition = ui_.waitVisible;
        startingUpAtEdition = StartingUp;
    }
    int answerMask = 2;
    bool AskIndexOutput() override {
        ++indexQuestions;
        setup::IdxFileOutputFormat = answerMask;
        return askIndexAnswer;
    }

private:
    FakeUserInterface& ui_;
};

void SetAge(const std::string& path, time_t seconds) {
    struct utimbuf times {
        seconds, seconds
    };
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

std::vector<std::string> TableColumns(const std::string& dbPath, const std::string& table) {
    sqlite3* db = nullptr;
    std::vector<std::string> columns;
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        const std::string sql = "PRAGMA table_info(" + table + ")";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return columns;
}

TEST(StartupTest, RunsItsStepsInOrderAndLeavesTheProgramFolderReady) {
    ProgramFolder folder;
    FakeUserInterface ui;
    WriteBytes(folder.File("setting.ini"),
               "[Basic Setting]\r\nSongNameFormat=7\r\nSelfDefine5=3\r\nSelfDefine6=4\r\nSelfDefine7=-1\r\n"
               "SelfDefine8=0\r\n");
    WriteBytes(folder.File("000.jpg"), "new picture");
    WriteBytes(folder.File("updater.qqq"), "new updater");
    WriteBytes(folder.File("updater.exe"), "old updater");
    RecordingWindow window(ui);

    ASSERT_TRUE(RunStartup(window));

    EXPECT_EQ(window.steps, (std::vector<std::string>{"labels", "buttons", "layout", "filters", "edition"}));
    EXPECT_TRUE(window.settingsLoadedAtLabels);
    EXPECT_EQ(Big5ToUtf8(window.labels.first), "檔名判斷格式: 檔案形式");
    EXPECT_EQ(Big5ToUtf8(window.labels.second), "歌手名稱_歌名.xxx");
    EXPECT_TRUE(window.waitUpAtLayout);  // up from the server check on
    EXPECT_TRUE(window.waitUpAtEdition);
    EXPECT_TRUE(window.startingUpAtEdition);
    EXPECT_EQ(ui.Texts("wait"), std::vector<std::string>{"程式開啟中, 請稍候..."});
    EXPECT_EQ(ui.Texts("line"), std::vector<std::string>{""});
    EXPECT_TRUE(ui.Texts("error").empty());

    EXPECT_TRUE(ProgramUsable);
    EXPECT_FALSE(StartingUp);
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(ui.waitHides, 1);  // each hiding pauses the start
    EXPECT_TRUE(LibraryDataDirOk);
    EXPECT_EQ(AppDir, fs::current_path().string());
    EXPECT_EQ(LibraryRoot, AppDir);
    EXPECT_EQ(AllSongCount, 0);  // no song list: an empty table
    for (const char* dir : {"000", "singer", "new/1", "new/8", "movie/1", "movie/8"})
        EXPECT_TRUE(fs::is_directory(folder.File(dir))) << dir;
    EXPECT_EQ(test::ReadBytes(folder.File("000/000.jpg")), "new picture");
    EXPECT_FALSE(fs::exists(folder.File("000.jpg")));
    EXPECT_EQ(test::ReadBytes(folder.File("updater.exe")), "new updater");
    EXPECT_FALSE(fs::exists(folder.File("updater.qqq")));
    EXPECT_EQ(TableColumns(folder.File("000/qvi05.data"), "ktv_song").size(), 19u);
    EXPECT_EQ(TableColumns(folder.File("000/qvi05.data"), "ktv_singer").size(), 7u);
}

TEST(StartupTest, RemovesTheTemporariesOfWritesAKilledRunLeftAndNothingElse) {
    ProgramFolder folder;
    FakeUserInterface ui;
    fs::create_directories(folder.File("system/1024X768"));
    fs::create_directories(folder.File("000"));
    // What a writer killed before its rename leaves: the pattern the writers use, its six characters filled.
    auto leftover = [&](const std::string& path) {
        std::string name = TemporaryPatternFor(folder.File(path));
        name.replace(name.size() - 6, 6, "Ab3xYz");
        WriteBytes(name, "half");
        EXPECT_TRUE(fs::exists(name));
        return name;
    };
    const std::vector<std::string> temporaries = {leftover("song.qv2.bak"), leftover("setting.ini"),
                                                  leftover("000/menu.ztx"), leftover("system/1024X768/setup.ini")};
    // Names of the user's that look alike are kept.
    const std::vector<std::string> kept = {"song.qv2.qvtmp-Ab3xYz", ".setting.ini.qvtmp-Ab3xY", "000/.a.qvtmp-"};
    for (const std::string& name : kept) WriteBytes(folder.File(name), "keep");
    RecordingWindow window(ui);

    ASSERT_TRUE(RunStartup(window));

    for (const std::string& path : temporaries) EXPECT_FALSE(fs::exists(path)) << path;
    for (const std::string& name : kept) EXPECT_EQ(test::ReadBytes(folder.File(name)), "keep") << name;
}

TEST(StartupTest, ASecondCopyOnTheSameProgramFolderSaysSoAndEnds) {
    ProgramFolder folder;
    FakeUserInterface ui;
    WriteBytes(folder.File("song.qv2"), test::PlainSongList({{"00101", "Song", "Singer", "1", "1"}}));
    FolderLock otherCopy;  // another open of the lock file conflicts as another process would
    ASSERT_EQ(otherCopy.Acquire(fs::current_path().string()), FolderLock::Result::Acquired);
    RecordingWindow window(ui);

    EXPECT_FALSE(RunStartup(window));
    EXPECT_FALSE(ProgramUsable);
    ASSERT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_NE(ui.Texts("error")[0].find("同一個程式資料夾一次只能開啟一個歌曲管理程式"), std::string::npos);
    EXPECT_TRUE(window.steps.empty());
    EXPECT_FALSE(fs::exists(folder.File("000")));  // nothing of the folder was touched
    EXPECT_EQ(AllSongCount, 0);

    otherCopy.Release();  // that copy ended: this one starts
    FakeUserInterface again;
    RecordingWindow second(again);
    EXPECT_TRUE(RunStartup(second));
    EXPECT_TRUE(again.Texts("error").empty());
    EXPECT_EQ(AllSongCount, 1);
    FolderLock third;
    EXPECT_EQ(third.Acquire(fs::current_path().string()), FolderLock::Result::Busy);
    EXPECT_TRUE(RunStartup(second));  // the copy that holds the folder may start again in it
}

TEST(StartupTest, KeepsAnExistingQvi05Database) {
    ProgramFolder folder;
    FakeUserInterface ui;
    fs::create_directory(folder.File("000"));
    WriteBytes(folder.File("000/qvi05.data"), "filled by the index output");
    RecordingWindow window(ui);
    ASSERT_TRUE(RunStartup(window));
    EXPECT_EQ(test::ReadBytes(folder.File("000/qvi05.data")), "filled by the index output");
}

// What an interrupted index run left is dealt with before anything is written into 000.
TEST(StartupTest, RecoversTheIndexFolderBeforeWritingIntoIt) {
    ProgramFolder folder;
    FakeUserInterface ui;
    std::vector<bool> databaseThere;
    OutputSteps& steps = StartupOutputSteps();
    const OutputSteps saved = steps;
    steps.recoverIndexFolder = [&] { databaseThere.push_back(fs::exists(folder.File("000/qvi05.data"))); };
    RecordingWindow window(ui);
    ASSERT_TRUE(RunStartup(window));
    steps = saved;
    EXPECT_EQ(databaseThere, std::vector<bool>{false});
    EXPECT_TRUE(fs::exists(folder.File("000/qvi05.data")));
}

TEST(StartupTest, ANewProgramFolderGetsTheShippedSingerTableAndAnOwnOneIsKept) {
    {
        ProgramFolder folder;
        FakeUserInterface ui;
        RecordingWindow window(ui);
        ASSERT_TRUE(RunStartup(window));
        EXPECT_EQ(test::ReadBytes(folder.File("singer.bin")), ShippedSingerBin());
        EXPECT_FALSE(ZhuyinCharList.empty());  // the reading codes can be made at once
    }
    ProgramFolder folder;
    FakeUserInterface ui;
    const std::string own =
        "\xA4\xFD\xA4\x6A\xA9\xFA" + std::string(24, ' ') + "1 1\r\n" + std::string(33, '#') + "\r\n";
    WriteBytes(folder.File("singer.bin"), own);
    RecordingWindow window(ui);
    ASSERT_TRUE(RunStartup(window));
    EXPECT_EQ(test::ReadBytes(folder.File("singer.bin")), own);
    ASSERT_EQ(SingerNames.size(), 1u);
}

TEST(StartupTest, GoesOnWithoutFolder000AndWritesNothingIntoIt) {
    ProgramFolder folder;
    FakeUserInterface ui;
    WriteBytes(folder.File("000"), "a file where the folder belongs");
    RecordingWindow window(ui);

    EXPECT_TRUE(RunStartup(window));

    EXPECT_FALSE(LibraryDataDirOk);
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法產生目錄[" + folder.Path() + "/000]"});
    EXPECT_EQ(window.steps.back(), "edition");
    EXPECT_FALSE(StartingUp);
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_TRUE(fs::is_regular_file(folder.File("000")));
}

TEST(StartupTest, LoadsAndEnciphersAPlainSongList) {
    ProgramFolder folder;
    FakeUserInterface ui;
    const std::string plain = test::PlainSongList({{"00101", "月亮代表我的心", "鄧麗君"},
                                                   {"00102", "Yesterday", "Beatles", "4"},
                                                   {"00103", "甜蜜蜜", "鄧麗君"}});
    WriteBytes(folder.File("song.qv2"), plain);
    RecordingWindow window(ui);

    ASSERT_TRUE(RunStartup(window));

    ASSERT_EQ(AllSongCount, 3);
    EXPECT_EQ(Big5ToUtf8(AllSong[1][colSongName]), "Yesterday");
    const std::string stored = test::ReadBytes(folder.File("song.qv2"));
    EXPECT_EQ(stored.size(), plain.size());
    EXPECT_NE(stored.substr(0, 5), "00101");  // enciphered
    EXPECT_TRUE(fs::exists(folder.File("song.qv2.backup")));
    EXPECT_FALSE(LoadingSongs);
}

// The rows read ahead of start-up never hide what start-up's own check did to the file.
TEST(StartupTest, APreloadedSongListIsLoadedAsTheCheckLeftIt) {
    ProgramFolder folder;
    FakeUserInterface ui;
    FieldList repaired = test::SongFields({"00102", "Yesterday", "Beatles", "4"});
    repaired[colVolume] = "x";  // no volume: the check empties it
    WriteBytes(folder.File("song.qv2"), test::PlainSongList({{"00101", "甜蜜蜜", "鄧麗君"}}) +
                                            JoinSongRecord(repaired) + "\r\n");
    StartSongListPreload();
    WaitForSongListPreload();  // it has read the list before the check
    RecordingWindow window(ui);

    ASSERT_TRUE(RunStartup(window));

    ASSERT_EQ(AllSongCount, 2);
    EXPECT_EQ(AllSong[1][colVolume], "");
    EXPECT_EQ(Big5ToUtf8(AllSong[1][colSongName]), "Yesterday");
    EXPECT_EQ(Big5ToUtf8(AllSong[0][colSinger]), "鄧麗君");
}

TEST(StartupTest, ASongListThatFailsItsCheckEndsStartUp) {
    ProgramFolder folder;
    FakeUserInterface ui;
    WriteBytes(folder.File("song.qv2"), test::PlainSongList({{"00101", "Song", "Singer", "x"}}));
    RecordingWindow window(ui);

    EXPECT_FALSE(RunStartup(window));

    EXPECT_FALSE(ProgramUsable);
    EXPECT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_EQ(window.steps.back(), "filters");  // menus and everything after them never ran
    EXPECT_FALSE(StartingUp);
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(ui.waitHides, 1);
    EXPECT_EQ(AllSongCount, 0);
}

// What stands under the list's name on a disk never holds start-up up: it says so and ends as for an
// unreadable list.
TEST(StartupTest, ASongListThatIsAFifoOrHugeEndsStartUpAtOnce) {
    for (const char* kind : {"fifo", "sparse"}) {
        ProgramFolder folder;
        FakeUserInterface ui;
        const std::string list = folder.File("song.qv2");
        if (std::string(kind) == "fifo") {
            ASSERT_EQ(::mkfifo(list.c_str(), 0600), 0);
        } else {
            WriteBytes(list, "");
            ASSERT_EQ(::truncate(list.c_str(), off_t{2} << 30), 0);  // sparse: costs no disk
        }
        StartSongListPreload();
        RecordingWindow window(ui);

        EXPECT_FALSE(RunStartup(window)) << kind;

        EXPECT_FALSE(ProgramUsable) << kind;
        EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"Open file:" + list + " error!"}) << kind;
        EXPECT_EQ(AllSongCount, 0) << kind;
        EXPECT_FALSE(LoadingSongs) << kind;
        EXPECT_FALSE(ui.waitVisible) << kind;
        EXPECT_FALSE(fs::exists(folder.File("song.qv2.backup"))) << kind;
    }
}

// A list the check passed and that holds NUL rows by the time it is loaded is not shown as songs.
TEST(StartupTest, ASongListThatGainsNulRowsBeforeItsLoadEndsStartUp) {
    ProgramFolder folder;
    FakeUserInterface ui;
    const std::string list = folder.File("song.qv2");
    WriteBytes(list, test::PlainSongList({{"00101", "Song", "Singer"}, {"00102", "Other", "Singer"}}));
    int reads = 0;
    SetSettledReadHook([&](const std::string&) {
        // The check reads the list once and the plain list is then enciphered; the load reads it next.
        if (++reads != 3) return;
        WriteBytes(list, std::string(2 * SongRecordBytes, '\0'));
    });
    RecordingWindow window(ui);

    const bool started = RunStartup(window);
    SetSettledReadHook({});

    EXPECT_FALSE(started);
    EXPECT_FALSE(ProgramUsable);
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"Open file:" + list + " error!"});
}

// The child's part of the test below, in a process started afresh: a heap that earlier tests of this
// process grew would serve the load within any limit.
[[noreturn]] void LoadUnderAMemoryLimit(const std::string& songList) {
    SetMakerServers({"127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1"});
    FakeUserInterface ui;
    RecordingWindow window(ui);
    rlimit old{};
    ::getrlimit(RLIMIT_AS, &old);
    // Once the list is read, a few megabytes more and no more: the rows do not fit.
    SetSettledReadHook([&old](const std::string&) {
        std::ifstream status("/proc/self/status");
        rlim_t used = 0;
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmSize:", 0) == 0)
                used = static_cast<rlim_t>(std::stoull(line.substr(7))) * 1024;
        rlimit cut = old;
        cut.rlim_cur = used + (rlim_t{8} << 20);
        ::setrlimit(RLIMIT_AS, &cut);
    });
    bool started = true;
    try {
        started = RunStartup(window);
    } catch (...) {
        std::_Exit(4);  // the child must never return into the test program
    }
    ::setrlimit(RLIMIT_AS, &old);
    int code = 0;
    if (started || ProgramUsable) code = 1;
    const std::string message = "Open file:" + songList + " error!";
    if (ui.Texts("info") != std::vector<std::string>{message}) code = 2;
    if (AllSongCount != 0 || LoadingSongs || StartingUp) code = 3;
    std::_Exit(code);
}

// Memory that runs out while the list is checked or loaded ends start-up with the list's message; no
// exception leaves it (a child process, so that the address-space limit touches nothing else).
TEST(StartupTest, MemoryThatRunsOutDuringTheLoadEndsStartUpWithItsMessage) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitizer's shadow memory does not live within an address-space limit";
#endif
    if (const char* songList = std::getenv("QV_MEMORY_TEST_LIST")) LoadUnderAMemoryLimit(songList);
    ProgramFolder folder;
    std::string list;
    for (int i = 0; i < MaxSongRecords; ++i) {
        const std::string number = ZeroPad3(1 + i / 80) + ZeroPad3(1 + i % 80).substr(1);
        list += EncodeLine(i, JoinSongRecord(test::SongFields({number, "Song", "Singer"}))) + "\r\n";
    }
    WriteBytes(folder.File("song.qv2"), list);
    WriteBytes(folder.File("song.qv2.backup"), "");
    std::string().swap(list);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("QV_MEMORY_TEST_LIST", folder.File("song.qv2").c_str(), 1);
        ::execl("/proc/self/exe", "test_library",
                "--gtest_filter=StartupTest.MemoryThatRunsOutDuringTheLoadEndsStartUpWithItsMessage", nullptr);
        std::_Exit(5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child was ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A reorganisation killed with the library in its temporary folder: a run on record is put back before
// anything reads the folder; one that is not stays as it is, and start-up says where it waits.
TEST(StartupTest, PutsBackWhatAKilledReorganisationLeftOrPointsItOut) {
    {
        ProgramFolder folder;
        FakeUserInterface ui;
        fs::create_directories(folder.File("qv_tmp/001"));
        fs::create_directories(folder.File("001"));  // made again by the run before it was killed
        WriteBytes(folder.File("qv_tmp/001/00101.mpg"), "media");
        WriteBytes(folder.File("qv_tmp/song.qv2"), test::PlainSongList({{"00101", "Song", "Singer"}}));
        WriteBytes(folder.File("qv_tmp/setting.ini"), "[Basic Setting]\r\nSongNameFormat=7\r\n");
        WriteBytes(folder.File(".qv_tmp.journal"), "qv_tmp\r\n");
        RecordingWindow window(ui);

        ASSERT_TRUE(RunStartup(window));

        EXPECT_EQ(AllSongCount, 1);
        EXPECT_EQ(setup::SongNameFormat, 7);
        EXPECT_EQ(test::ReadBytes(folder.File("001/00101.mpg")), "media");
        EXPECT_FALSE(fs::exists(folder.File("qv_tmp")));
        EXPECT_FALSE(fs::exists(folder.File(".qv_tmp.journal")));
        EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌庫磁碟重組沒有完成, 已將" + folder.Path() +
                                                             "/qv_tmp的檔案移回" + folder.Path()});
    }
    {
        ProgramFolder folder;
        FakeUserInterface ui;
        fs::create_directories(folder.File("qv_tmp/001"));
        WriteBytes(folder.File("qv_tmp/001/00101.mpg"), "media");
        WriteBytes(folder.File("qv_tmp/song.qv2"), test::PlainSongList({{"00101", "Song", "Singer"}}));
        RecordingWindow window(ui);

        EXPECT_FALSE(RunStartup(window));

        EXPECT_FALSE(ProgramUsable);
        EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"歌庫磁碟重組沒有完成, 歌曲資料夾還在" +
                                                              folder.Path() + "/qv_tmp, 請手動復原!"});
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"qv_tmp", FolderLock::FileName}));  // nothing made
        EXPECT_EQ(test::ReadBytes(folder.File("qv_tmp/001/00101.mpg")), "media");
    }
}

TEST(StartupTest, NameFormatLabelsOfTheCustomFolderForm) {
    setup::SongNameFormat = 6;
    setup::SelfDefine1 = 3;
    setup::SelfDefine2 = 0;
    setup::SelfDefine3 = 1;
    setup::SelfDefine4 = 4;
    auto [first, second] = NameFormatLabelTexts();
    EXPECT_EQ(Big5ToUtf8(first), "檔名判斷格式: 資料夾形式(選資料夾)");
    EXPECT_EQ(Big5ToUtf8(second), "歌手名稱/語言/歌名-歌手.xxx");
    setup::SongNameFormat = 42;
    EXPECT_EQ(Big5ToUtf8(NameFormatLabelTexts().second), "原始設定1");
    setup::SongNameFormat = 0;
}

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppDir = LibraryRoot = folder.Path();
        fs::create_directory(folder.File("000"));
        ProgramUsable = true;
    }
    void Song(time_t age) {
        WriteBytes(folder.File("song.qv2"), "");
        SetAge(folder.File("song.qv2"), age);
    }
    void Index(const char* name, time_t age) {
        WriteBytes(folder.File(std::string("000/") + name), "");
        SetAge(folder.File(std::string("000/") + name), age);
    }
    int QuestionsOnClose() {
        RecordingWindow window(ui);
        RunShutdown(window);
        return window.indexQuestions;
    }

    ProgramFolder folder;
    FakeUserInterface ui;
};

// Seconds after an instant of 2020, so that the packed file ages (two-second steps) tell them apart.
constexpr time_t At(int seconds) { return 1'600'000'000 + seconds; }

TEST_F(ShutdownTest, AsksForTheIndexFilesOnlyWhenBothAreOlderThanTheSongList) {
    Song(At(2000));
    EXPECT_EQ(QuestionsOnClose(), 1);  // both missing
    Index("okdata.ztx", At(1000));
    Index("okdata.vkm", At(3000));
    EXPECT_EQ(QuestionsOnClose(), 0);  // newer than one, older than the other
    Index("okdata.vkm", At(1998));
    EXPECT_EQ(QuestionsOnClose(), 1);
    Index("okdata.ztx", At(2001));
    EXPECT_EQ(QuestionsOnClose(), 0);  // same two-second step is not older
}

TEST_F(ShutdownTest, AsksNothingWithoutASongListOrAfterAFailedStart) {
    EXPECT_EQ(FileAge(folder.File("song.qv2")), -1);
    EXPECT_EQ(QuestionsOnClose(), 0);  // -1 is older than nothing
    Song(At(2000));
    ProgramUsable = false;
    EXPECT_EQ(QuestionsOnClose(), 0);
}

// The window's answer stores the mask, as the dialog does; the fake steps record their order.
TEST_F(ShutdownTest, WritesTheChosenIndexOutputsInTheirOrder) {
    std::vector<std::string> written;
    OutputSteps& steps = StartupOutputSteps();
    const OutputSteps saved = steps;
    steps.writeZtIndex = [&] { written.push_back("zt"); };
    steps.writeVkmIndex = [&] { written.push_back("vkm"); };
    steps.writeQvi05Database = [&] { written.push_back("qvi05"); };
    Song(At(2000));
    const std::vector<std::vector<std::string>> expected{
        {},        {"zt"},          {"vkm"},          {"zt", "vkm"},
        {"qvi05"}, {"zt", "qvi05"}, {"vkm", "qvi05"}, {"zt", "vkm", "qvi05"},
        {"qvi05"}};
    for (int mask = 0; mask < static_cast<int>(expected.size()); ++mask) {
        written.clear();
        RecordingWindow window(ui);
        window.askIndexAnswer = true;
        window.answerMask = mask;
        RunShutdown(window);
        EXPECT_EQ(written, expected[mask]) << "mask " << mask;
    }
    // No: nothing is written, whatever the mask.
    written.clear();
    RecordingWindow no(ui);
    no.answerMask = 7;
    RunShutdown(no);
    EXPECT_EQ(no.indexQuestions, 1);
    EXPECT_TRUE(written.empty());
    steps = saved;
    setup::IdxFileOutputFormat = 2;
}

// The time zone of the test, restored afterwards.
class LocalTimeZone {
public:
    explicit LocalTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~LocalTimeZone() {
        if (previous_.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", previous_.c_str(), 1);
        ::tzset();
    }

private:
    std::string previous_;
};

TEST_F(ShutdownTest, FileAgesArePackedLocalDatesThatKeepTheirOrder) {
    const time_t noon = 1'514'810'096;  // 2018-01-01 12:34:56 UTC
    Song(noon);
    {
        LocalTimeZone utc("UTC0");
        // year 38, month 1, day 1, 12:34, 56 / 2
        EXPECT_EQ(FileAge(folder.File("song.qv2")),
                  (38 << 25) | (1 << 21) | (1 << 16) | (12 << 11) | (34 << 5) | 28);
    }
    LocalTimeZone taipei("CST-8");
    EXPECT_EQ(FileAge(folder.File("song.qv2")), 1'277'273'180);  // 20:34:56 local
    // Later files have greater ages, across a year end and past 2043 (the sign bit of 32 bits).
    std::vector<int64_t> ages;
    for (time_t t : {time_t{0}, noon, noon + 1, noon + 2, time_t{1'546'271'999}, time_t{1'546'272'000},
                     time_t{2'399'999'999}, time_t{2'400'000'000}}) {
        Song(t);
        ages.push_back(FileAge(folder.File("song.qv2")));
    }
    EXPECT_EQ(ages[0], (1 << 21) | (1 << 16));  // before 1980: its first day
    EXPECT_EQ(ages[1], ages[2]);                // two-second steps
    for (size_t i = 2; i + 1 < ages.size(); ++i) EXPECT_LT(ages[i], ages[i + 1]) << i;
    EXPECT_GT(ages.back(), int64_t{1} << 31);
}

TEST(EditionTest, WindowTitles) {
    EXPECT_EQ(Big5ToUtf8(MainWindowTitle(Edition::Standalone)), "歌曲管理程式7.2(單機版)");
    EXPECT_EQ(Big5ToUtf8(MainWindowTitle(Edition::Advanced)), "歌曲管理程式7.2(單機進階版)");
    EXPECT_EQ(Big5ToUtf8(MainWindowTitle(Edition::Server)), "歌曲管理程式7.2(Server版)");
}

}  // namespace
}  // namespace qv
