// The folder-form library and its restore, the range export and the singer-photo sort on real temporary
// libraries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "DiskToolsFixture.h"
#include "catalogue/BeneathFolder.h"

using namespace qv;
using namespace qv::test;

namespace {

class FolderFormTest : public DiskToolsTest {
protected:
    // Songs of several languages, classes and singers, a picture folder, volume and channel characters,
    // a name with "/" and one whose Big5 holds a backslash byte, names that begin with another song's.
    void AddMixedSongs() {
        AddSong("00101", "Love", "Tom", "4", "4");
        AddSong("00102", "Love Story", "Tom", "4", "4", ".avi");
        AddSong("00103", "月亮代表我的心", "鄧麗君", "1", "2", ".vob", "A", "1");
        AddSong("00104", "AC/DC", "王", "1", "1");
        AddSong("00105", "許願", "許茹芸", "1", "2", "/");
        AddSong("00106", "Mr. Lonely", "Bobby", "4", "4", ".mp4");
        AddSong("00201", "缺少", "王", "1", "1", nullptr);  // no media
        AddSong("00202", "愛", "林", "2", "1", "");         // media without an extension
    }
};

TEST_F(FolderFormTest, FolderFormAndBackGivesTheSameLibrary) {
    AddMixedSongs();
    const Snapshot before = TakeSnapshot(root_);
    const std::string form = MakeTemp();

    // Partial copies a killed run left in a folder it writes into (moves across file systems copy).
    const std::string singerFolder = form + "/英語/外語歌手/Tom";
    std::filesystem::create_directories(singerFolder + "/.qvcopy-Ab3xYz");  // the user's: no marker
    std::string killedCopy = singerFolder + "/.qvcopy-XXXXXX";
    ASSERT_TRUE(MakeOwnWorkFolder(killedCopy));
    WriteFile(killedCopy + "/copy", "half a copy");
    WriteFile(singerFolder + "/.qvcopy-Q9rT2k", "half a copy");
    WriteFile(singerFolder + "/.qvcopy-notours", "the user's");

    host.folders = {form + "/"};
    ui.answers = {true};
    BuildFolderFormLibrary();
    EXPECT_FALSE(PathExists(killedCopy));
    EXPECT_FALSE(PathExists(singerFolder + "/.qvcopy-Q9rT2k"));
    EXPECT_TRUE(IsFolder(singerFolder + "/.qvcopy-Ab3xYz"));
    EXPECT_EQ(ReadFile(singerFolder + "/.qvcopy-notours"), "the user's");
    std::filesystem::remove(singerFolder + "/.qvcopy-notours");
    std::filesystem::remove(singerFolder + "/.qvcopy-Ab3xYz");
    EXPECT_EQ(ui.Texts("askblue"), std::vector<std::string>{"是否確定開始產生歌庫?"});
    EXPECT_EQ(ui.Texts("wait"), std::vector<std::string>{"資料夾形式歌庫產生中, 請稍候..."});
    EXPECT_EQ(ui.Texts("blue"), std::vector<std::string>{"產生完成, 但有1首歌曲找不到來源影音檔"});
    EXPECT_EQ(ReadFile(form + "/英語/外語歌手/Tom/Love.mpg"), "media of 00101");
    EXPECT_EQ(ReadFile(form + "/英語/外語歌手/Tom/Love Story.avi"), "media of 00102");
    EXPECT_EQ(ReadFile(form + "/國語/女歌手/鄧麗君/月亮代表我的心.vob"), "media of 00103");
    EXPECT_EQ(ReadFile(form + "/國語/男歌手/王/AC_DC.mpg"), "media of 00104");
    EXPECT_EQ(ReadFile(form + "/國語/女歌手/許茹芸/許願/p2.jpg"), "picture 2 of 00105");
    EXPECT_EQ(ReadFile(form + "/英語/外語歌手/Bobby/Mr. Lonely.mp4"), "media of 00106");
    EXPECT_EQ(ReadFile(form + "/台語/男歌手/林/愛"), "media of 00202");
    EXPECT_EQ(FindFileByPrefix(root_ + "/001", "00101"), "");
    EXPECT_EQ(ReadFile(root_ + "/song.qv2"), before.at("song.qv2"));

    host.folders = {form};
    ui.answers = {true};
    RestoreFolderFormLibrary();
    EXPECT_EQ(ui.Texts("askblue").back(), "是否確定開始還原歌庫?");
    EXPECT_EQ(ui.Texts("blue").back(), "復原完成, 但有1首歌曲找不到來源影音檔");
    EXPECT_TRUE(ui.Texts("error").empty());
    EXPECT_EQ(TakeSnapshot(root_), before);
}

TEST_F(FolderFormTest, FolderFormOnAnotherFileSystem) {
    std::string form = "/dev/shm/qv-disktools-XXXXXX";
    struct stat tmp {
    }, shm{};
    if (!::mkdtemp(form.data()) || ::stat(root_.c_str(), &tmp) != 0 || ::stat(form.c_str(), &shm) != 0 ||
        tmp.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system for temporary files";
    struct Remove {
        std::string path;
        ~Remove() { std::filesystem::remove_all(path); }
    } remove{form};
    AddMixedSongs();
    const Snapshot before = TakeSnapshot(root_);
    host.folders = {form, form};
    ui.answers = {true, true};
    BuildFolderFormLibrary();
    EXPECT_EQ(ReadFile(form + "/國語/女歌手/許茹芸/許願/p1.jpg"), "picture 1 of 00105");
    EXPECT_FALSE(PathExists(root_ + "/001/00105"));
    RestoreFolderFormLibrary();
    EXPECT_TRUE(ui.Texts("error").empty());
    EXPECT_EQ(TakeSnapshot(root_), before);
    EXPECT_EQ(pauses, 0);
}

TEST_F(FolderFormTest, RestoreTakesOnlyTheExactSongName) {
    AddSong("00101", "Love", "Tom", "4", "4", nullptr);
    const std::string form = MakeTemp();
    WriteFile(form + "/英語/外語歌手/Tom/Love Story.avi", "another song");
    WriteFile(form + "/英語/外語歌手/Tom/Lovely.mpg", "another song");
    host.folders = {form};
    ui.answers = {true};
    RestoreFolderFormLibrary();
    EXPECT_EQ(ui.Texts("blue"), std::vector<std::string>{"復原完成, 但有1首歌曲找不到來源影音檔"});
    EXPECT_FALSE(PathExists(root_ + "/001"));
}

// A name that is another song's name plus ". something" is that song's entry, not this one's with an
// extension; each song gets its own media back.
TEST_F(FolderFormTest, RestoreLeavesAnotherSongsEntryAlone) {
    AddSong("00101", "Mr", "Bobby", "4", "4");
    AddSong("00102", "Mr. Lonely", "Bobby", "4", "4", "/");
    AddSong("00103", "Mr.Big", "Bobby", "4", "4", "");
    const Snapshot before = TakeSnapshot(root_);
    const std::string form = MakeTemp();
    host.folders = {form, form};
    ui.answers = {true, true};
    BuildFolderFormLibrary();
    EXPECT_TRUE(IsFolder(form + "/英語/外語歌手/Bobby/Mr. Lonely"));
    EXPECT_EQ(ReadFile(form + "/英語/外語歌手/Bobby/Mr.Big"), "media of 00103");
    RestoreFolderFormLibrary();
    EXPECT_TRUE(ui.Texts("error").empty());
    EXPECT_EQ(ui.Texts("blue").back(), "復原完成");
    EXPECT_EQ(TakeSnapshot(root_), before);
}

TEST_F(FolderFormTest, RestoreNeverReplacesAnItemAlreadyThere) {
    AddSong("00101", "Love", "Tom", "4", "4");
    AddSong("00102", "Hope", "Tom", "4", "4", nullptr);
    const std::string form = MakeTemp();
    WriteFile(form + "/英語/外語歌手/Tom/Love.dat", "the folder-form copy");
    WriteFile(form + "/英語/外語歌手/Tom/Hope.mpg", "hope");
    host.folders = {form};
    ui.answers = {true};
    RestoreFolderFormLibrary();
    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{"從[" + form + "/英語/外語歌手/Tom/Love.dat]移動到[" + root_ +
                                       "/001/00101.mpg]失敗"});
    EXPECT_TRUE(ui.Texts("blue").empty());  // the walk stopped: nothing is reported done
    EXPECT_EQ(ReadFile(root_ + "/001/00101.mpg"), "media of 00101");
    EXPECT_EQ(ReadFile(form + "/英語/外語歌手/Tom/Love.dat"), "the folder-form copy");
    EXPECT_FALSE(PathExists(root_ + "/001/00102.mpg"));
}

TEST_F(FolderFormTest, FolderFormRefusesAnEmptyTable) {
    host.folders = {MakeTemp()};
    BuildFolderFormLibrary();
    RestoreFolderFormLibrary();
    EXPECT_EQ(ui.Texts("error"), (std::vector<std::string>{"歌庫中沒有歌曲", "歌庫中沒有歌曲"}));
    EXPECT_EQ(host.folders.size(), 1u);
}

TEST_F(FolderFormTest, RangeExportCopiesTheSongsBetweenTheNumbers) {
    for (int i = 1; i <= 80; ++i) AddSong("001" + ZeroPad3(i).substr(1), "歌", "王", "1", "1");
    for (int i = 1; i <= 5; ++i)
        AddSong("002" + ZeroPad3(i).substr(1), "曲", "林", "2", "2", i == 2 ? "/" : ".vob");
    std::filesystem::remove(root_ + "/001/00155.mpg");
    // Same export name for all songs of folder 001: each copy replaces the last one.
    AllSong[79][colSongName] = B5("最後");
    const Snapshot before = TakeSnapshot(root_);
    const std::string out = MakeTemp() + "/export";

    ui.ranges = {{"00150", "00210"}};
    host.folders = {out};
    ExportSongRange();
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"找不到" + root_ + "/001/00155.*"});
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"範圍內的歌曲匯出完成"});
    EXPECT_EQ(ReadFile(out + "/最後_王_男歌手_國語.mpg"), "media of 00180");
    EXPECT_EQ(ReadFile(out + "/歌_王_男歌手_國語.mpg"), "media of 00179");
    EXPECT_EQ(ReadFile(out + "/曲_林_女歌手_台語.vob"), "media of 00205");
    EXPECT_EQ(ReadFile(out + "/曲_林_女歌手_台語/p1.jpg"), "picture 1 of 00202");  // went on past it
    EXPECT_EQ(TakeSnapshot(out).size(), 6u);  // three files and a folder of two
    EXPECT_EQ(TakeSnapshot(root_), before);
    EXPECT_EQ(ui.lastProgress, 0);
}

TEST_F(FolderFormTest, RangeExportOutsideTheTable) {
    ui.ranges = {{"00101", "00199"}};
    ExportSongRange();
    AddSong("00201", "歌", "王");
    ui.ranges = {{"00101", "00199"}, {"00202", "00300"}, {"00150", "00160"}};
    ExportSongRange();
    ExportSongRange();
    EXPECT_EQ(ui.Texts("warning"), std::vector<std::string>(3, "範圍內無資料!"));
    EXPECT_TRUE(host.folders.empty());
}

TEST_F(FolderFormTest, RangeExportStopsOnAFullOrUnwritableTarget) {
    AddSong("00101", "歌", "王");
    AddSong("00102", "曲", "王");
    const Snapshot before = TakeSnapshot(root_);
    const std::string out = MakeTemp();
    SetFreeDiskBytesSource([](const std::string&) { return std::int64_t{10'000'010}; });
    ui.ranges = {{"00101", "00102"}};
    host.folders = {out};
    ExportSongRange();
    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{"無法建立" + out + "/00101.mpg, 剩餘的保留空間不足."});
    EXPECT_TRUE(ui.Texts("info").empty());
    EXPECT_EQ(TakeSnapshot(out).size(), 0u);
    SetFreeDiskBytesSource({});

    WriteFile(out + "/file", "x");
    ui.shown.clear();
    ui.ranges = {{"00101", "00102"}};
    host.folders = {out + "/file/sub"};
    ExportSongRange();
    EXPECT_EQ(ui.Texts("error"),
              (std::vector<std::string>{"無法建立" + out + "/file/sub目錄!",
                                        "目錄建立錯誤. 請檢查磁碟空間是否已滿或有寫入保護."}));
    EXPECT_TRUE(ui.Texts("info").empty());  // a stopped export is not reported as done
    EXPECT_EQ(TakeSnapshot(root_), before);
}

TEST_F(DiskToolsTest, SingerPhotosAreSortedByStrokes) {
    const std::string s = root_ + "/singer";
    WriteFile(s + "/丁當.jpg", "2 strokes");
    WriteFile(s + "/信樂團.jpg", "9 strokes");
    WriteFile(s + "/謝霆鋒.jpg", "17 strokes");
    WriteFile(s + "/Beyond.jpg", "latin");
    WriteFile(s + "/more/王菲.png", "4 strokes, in a subfolder");
    WriteFile(s + "/林志玲.jpg", "8 strokes, already sorted once");
    WriteFile(root_ + "/singer_4/林志玲.jpg", "the sorted one");
    WriteFile(s + "/\xFF\xFE.jpg", "not even UTF-8");

    SortSingerPhotos();
    EXPECT_EQ(ReadFile(root_ + "/singer_1/丁當.jpg"), "2 strokes");
    EXPECT_EQ(ReadFile(root_ + "/singer_4/信樂團.jpg"), "9 strokes");
    EXPECT_EQ(ReadFile(root_ + "/singer_8/謝霆鋒.jpg"), "17 strokes");
    EXPECT_EQ(ReadFile(root_ + "/singer_1/Beyond.jpg"), "latin");
    EXPECT_EQ(ReadFile(root_ + "/singer_2/王菲.png"), "4 strokes, in a subfolder");
    EXPECT_EQ(ReadFile(root_ + "/singer_1/\xFF\xFE.jpg"), "not even UTF-8");
    // An existing photo of that name is not replaced; the new one stays where it was.
    EXPECT_EQ(ReadFile(root_ + "/singer_4/林志玲.jpg"), "the sorted one");
    EXPECT_EQ(ReadFile(s + "/林志玲.jpg"), "8 strokes, already sorted once");
    for (int k = 1; k <= 8; ++k) EXPECT_TRUE(IsFolder(root_ + "/singer_" + std::to_string(k)));
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"搬移完成"});
}

TEST_F(DiskToolsTest, SingerPhotoGroupsAndAMissingPhotoFolder) {
    const std::vector<int> groups = {1, 1, 1, 2, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 7, 8, 8};
    for (int strokes = 0; strokes < static_cast<int>(groups.size()); ++strokes)
        EXPECT_EQ(SingerPhotoGroup(strokes), groups[static_cast<std::size_t>(strokes)]) << strokes;
    EXPECT_EQ(SingerPhotoGroup(48), 8);

    SortSingerPhotos();
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"找不到目錄[" + root_ + "/singer]"});
    EXPECT_TRUE(ui.Texts("info").empty());
}

TEST_F(DiskToolsTest, SingerPhotoMoveFailureKeepsThePhoto) {
    WriteFile(root_ + "/singer/丁當.jpg", "photo");
    WriteFile(root_ + "/singer_1", "a file where the group folder belongs");
    std::vector<int> steps;
    EXPECT_FALSE(MoveSingerPhotos(root_, [&](int p) { steps.push_back(p); }));
    EXPECT_EQ(ui.Texts("error"), (std::vector<std::string>{"無法產生目錄[" + root_ + "/singer_1]",
                                                           "移動檔案" + root_ + "/singer/丁當.jpg到" + root_ +
                                                               "/singer_1/丁當.jpg發生錯誤"}));
    EXPECT_EQ(ReadFile(root_ + "/singer/丁當.jpg"), "photo");
    EXPECT_EQ(steps.back(), 100);
}

}  // namespace
