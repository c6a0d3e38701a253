#include "library/SongFiles.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include "SongLibraryFixture.h"
#include "catalogue/BeneathFolder.h"
#include "catalogue/UserInterface.h"
#include "platform/CopyProgress.h"
#include "support/FileLimits.h"
#include "support/FolderSnapshot.h"

namespace qv::test {
namespace {

using SongFilesTest = SongLibraryTest;

TEST(MediaItemNameTest, NumberVolumeChannelAndExtension) {
    EXPECT_EQ(MediaItemName("00101", "", "", ".mpg"), "00101.mpg");
    EXPECT_EQ(MediaItemName("00101", " ", " ", ".mpg"), "00101.mpg");
    EXPECT_EQ(MediaItemName("00101", "A", "1", ".mpg"), "00101A1.mpg");
    EXPECT_EQ(MediaItemName("00101", "10", Utf8ToBig5("右"), ".mpg"), "00101A1.mpg");
    EXPECT_EQ(MediaItemName("00101", "12", "", ""), "00101C0");
    EXPECT_EQ(MediaItemName("00101", "0", "", ".dat"), "0010190.dat");
    EXPECT_EQ(MediaItemName("00101", "", Utf8ToBig5("左"), ".vob"), "0010190.vob");
    EXPECT_EQ(MediaItemName("00217", "", "", ""), "00217");
    EXPECT_EQ(ItemExtension("00101A1.mpg"), ".mpg");
    EXPECT_EQ(ItemExtension("00101"), "");
    EXPECT_EQ(PathExtension("/a.b/song"), "");
    EXPECT_EQ(PathExtension("/a/song.MP4"), ".MP4");
}

TEST_F(SongFilesTest, FindsItemByNumberPrefixWhateverItIs) {
    std::filesystem::create_directories(root.File("001/00102"));
    WriteBytes(root.File("001/00101A1.mpg"), "x");
    WriteBytes(root.File("001/00103"), "x");
    WriteBytes(root.File("001/.qvcopy-00104"), "x");
    const std::string folder = root.File("001");
    EXPECT_EQ(FindFileByPrefix(folder, "00101"), "00101A1.mpg");
    EXPECT_EQ(FindFileByPrefix(folder, "00102"), "00102");
    EXPECT_EQ(FindFileByPrefix(folder, "00103"), "00103");
    EXPECT_EQ(FindFileByPrefix(folder, "00104"), "");
    EXPECT_EQ(FindFileByPrefix(root.File("002"), "00201"), "");
}

// The kinds come from the listing where it tells them; a link is what it leads to, a dangling one a file.
TEST_F(SongFilesTest, ItemKindsTellFoldersFilesAndLinks) {
    std::filesystem::create_directories(root.File("001/00102"));
    std::filesystem::create_directories(root.File("001/00101B0"));
    WriteBytes(root.File("001/00101A1.mpg"), "x");  // the smaller name of 00101: a file
    WriteBytes(root.File("001/00103.mpg"), "x");
    std::filesystem::create_directory_symlink(root.File("001/00102"), root.File("001/00104"));
    std::filesystem::create_symlink(root.File("001/00103.mpg"), root.File("001/00105.mpg"));
    std::filesystem::create_symlink(root.File("001/none"), root.File("001/00106"));
    const auto items = SongItemKindsOfFolder(root.File("001"));
    const auto names = SongItemsOfFolder(root.File("001"));
    ASSERT_EQ(items.size(), 6u);
    ASSERT_EQ(names.size(), 6u);
    const std::pair<const char*, bool> expected[] = {{"00101A1.mpg", false}, {"00102", true},
                                                     {"00103.mpg", false},   {"00104", true},
                                                     {"00105.mpg", false},   {"00106", false}};
    for (const auto& [name, isFolder] : expected) {
        const std::string prefix = std::string(name).substr(0, 5);
        EXPECT_EQ(items.at(prefix).name, name);
        EXPECT_EQ(items.at(prefix).isFolder, isFolder) << name;
        EXPECT_EQ(names.at(prefix), name);
    }
}

TEST_F(SongFilesTest, RenameSongFileAttrFollowsTheRuleAndReplacesNothing) {
    AddSong("甲", ".mpg", "A", "1");
    RenameSongFileAttr("00101", "", "");
    EXPECT_EQ(Media("001/00101.mpg"), "00101");
    RenameSongFileAttr("00101", "12", "1");
    EXPECT_EQ(Media("001/00101C1.mpg"), "00101");
    WriteBytes(root.File("001/00101A0.mpg"), "other");
    RenameSongFileAttr("00101", "A", "");
    EXPECT_EQ(Media("001/00101A0.mpg"), "other");
    EXPECT_EQ(Media("001/00101C1.mpg"), "00101");
}

TEST_F(SongFilesTest, DeleteMovesTheLastSongIntoTheFreedNumber) {
    AddSongs(4);
    AddSong("末", ".avi", "A", "1");  // 00105 -> 00105A1.avi
    ui.answers = {true};
    ASSERT_TRUE(DeleteSong("00102"));
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"刪除完成"});
    EXPECT_FALSE(Exists("001/00102.mpg"));
    EXPECT_FALSE(Exists("001/00105A1.avi"));
    EXPECT_EQ(Media("001/00102A1.avi"), "00105");
    ASSERT_EQ(AllSongCount, 4);
    EXPECT_EQ(AllSong[1][colSongNo], "00102");
    EXPECT_EQ(Name(1), "末");
    EXPECT_EQ(AllSong[3][colSongNo], "00104");
    ExpectListMatchesTable();
}

TEST_F(SongFilesTest, DeleteOfTheLastAndOfTheOnlySong) {
    AddSongs(2);
    ui.answers = {true, true};
    ASSERT_TRUE(DeleteSong("00102"));
    EXPECT_FALSE(Exists("001/00102.mpg"));
    EXPECT_EQ(Media("001/00101.mpg"), "00101");
    ASSERT_TRUE(DeleteSong("00101"));
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_EQ(std::filesystem::file_size(SongListPath()), 0u);
}

TEST_F(SongFilesTest, DeleteWhoseRecordCannotBeWrittenStillRefreshesTheChangedList) {
    AddSongs(3);
    int refreshes = 0;
    TheSongFileHooks().refreshGrid = [&] { ++refreshes; };
    std::filesystem::remove(SongListPath());
    std::filesystem::create_directory(SongListPath());  // nothing can be written to it
    ui.answers = {true};
    EXPECT_FALSE(DeleteSong("00101"));
    TheSongFileHooks() = {};
    EXPECT_EQ(ui.Texts("info").back(), "刪除失敗");  // after the song list's own "Open file" message
    ASSERT_EQ(AllSongCount, 2);
    EXPECT_EQ(refreshes, 1);  // the view must not show a row the table no longer has
}

TEST_F(SongFilesTest, DeclinedDeleteChangesNothing) {
    AddSongs(2);
    ui.answers = {false};
    EXPECT_FALSE(DeleteSong("00101"));
    EXPECT_EQ(AllSongCount, 2);
    EXPECT_TRUE(Exists("001/00101.mpg"));
    EXPECT_TRUE(ui.Texts("info").empty());
}

TEST_F(SongFilesTest, MissingMediaFailsTheDeleteAndKeepsTheSong) {
    AddSongs(3);
    std::filesystem::remove(root.File("001/00102.mpg"));
    ui.answers = {true};
    EXPECT_FALSE(DeleteSong("00102"));
    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{"找不到欲刪除的影音檔:" + root.File("001/00102.*")});
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"刪除失敗"});
    EXPECT_EQ(AllSongCount, 3);
    EXPECT_EQ(Media("001/00103.mpg"), "00103");
    ExpectListMatchesTable();
}

// An immutable file stands in for a media file that another program holds open.
TEST_F(SongFilesTest, LockedMediaIsTriedAHundredTimesAndTheSongStays) {
    AddSongs(3);
    const std::string locked = root.File("001/00102.mpg");
    const int fd = ::open(locked.c_str(), O_RDONLY);
    int flags = FS_IMMUTABLE_FL;
    const bool lockedOk = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (!lockedOk) {
        ::close(fd);
        GTEST_SKIP() << "no immutable files here";
    }
    ui.answers = {true};
    const bool deleted = DeleteSongCompact("00102");
    flags = 0;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(pauses, DeleteRetryCount);
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"刪除檔案" + locked + "錯誤."});
    EXPECT_EQ(AllSongCount, 3);
    EXPECT_EQ(Media("001/00103.mpg"), "00103");
    ExpectListMatchesTable();
}

TEST_F(SongFilesTest, DeleteNeverMovesOverAnEntryThatIsNotTheSongsItem) {
    AddSongs(3);
    std::filesystem::rename(root.File("001/00102.mpg"), root.File("001/00102.avi"));
    WriteBytes(root.File("001/00102.mpg"), "stray");  // the item is 00102.avi; 00103.mpg would land here
    ui.answers = {true};
    EXPECT_FALSE(DeleteSong("00102"));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"檔案更名" + root.File("001/00103.mpg") + "到" +
                                                          root.File("001/00102.mpg") + "錯誤."});
    EXPECT_EQ(Media("001/00102.mpg"), "stray");
    EXPECT_EQ(Media("001/00102.avi"), "00102");
    EXPECT_EQ(Media("001/00103.mpg"), "00103");
    EXPECT_EQ(AllSongCount, 3);
}

TEST_F(SongFilesTest, MarkedSongsAreDeletedFromTheEnd) {
    AddSongs(10);
    AllSong[0][colDeleteSelect] = "*";
    AllSong[2][colDeleteSelect] = "*";
    AllSong[6][colDeleteSelect] = "*";
    ui.answers = {true};
    ASSERT_TRUE(DeleteMarkedSongs());
    EXPECT_EQ(ui.Texts("ask"), std::vector<std::string>{"注意:此動怍會永遠清除所選擇的3首歌. 確定要執行?"});
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"全部刪除完成"});
    ASSERT_EQ(AllSongCount, 7);
    EXPECT_EQ(Name(6), "歌10");
    EXPECT_EQ(Name(2), "歌9");
    EXPECT_EQ(Name(0), "歌8");
    EXPECT_EQ(Media("001/00107.mpg"), "00110");
    EXPECT_EQ(Media("001/00103.mpg"), "00109");
    EXPECT_EQ(Media("001/00101.mpg"), "00108");
    // Each moved song takes the number it was moved into: the numbers stay 00101.. without gaps.
    for (int r = 0; r < AllSongCount; ++r) EXPECT_EQ(AllSong[r][colSongNo], "0010" + std::to_string(r + 1));
    ExpectListMatchesTable();
    EXPECT_EQ(AddSong("新"), "00108");
}

// A move across file systems copies and then removes the source; when the source cannot go the copy goes.
TEST_F(SongFilesTest, MoveByCopyIsWholeOrNothing) {
    std::filesystem::create_directories(root.File("src/pics/inner"));
    std::filesystem::create_directories(root.File("dst"));
    WriteBytes(root.File("src/00201.mpg"), "media");
    WriteBytes(root.File("src/pics/1.jpg"), "one");
    WriteBytes(root.File("src/pics/inner/2.jpg"), "two");
    {
        Immutable lockedFile(root.File("src"));  // its entries cannot be removed
        Immutable lockedInner(root.File("src/pics/inner"));
        if (!lockedFile.ok() || !lockedInner.ok()) GTEST_SKIP() << "no immutable files here";
        EXPECT_FALSE(MoveByCopy(root.File("src/00201.mpg"), root.File("dst/00103.mpg")));
    }
    EXPECT_EQ(Media("src/00201.mpg"), "media");
    EXPECT_FALSE(Exists("dst/00103.mpg"));
    {
        Immutable lockedInner(root.File("src/pics/inner"));
        EXPECT_FALSE(MoveByCopy(root.File("src/pics"), root.File("dst/00104")));
    }
    EXPECT_EQ(Media("src/pics/1.jpg"), "one");
    EXPECT_EQ(Media("src/pics/inner/2.jpg"), "two");
    EXPECT_FALSE(Exists("dst/00104"));

    EXPECT_TRUE(MoveByCopy(root.File("src/pics"), root.File("dst/00104")));
    EXPECT_EQ(Media("dst/00104/inner/2.jpg"), "two");
    EXPECT_FALSE(Exists("src/pics"));
    WriteBytes(root.File("dst/00105.mpg"), "other");
    EXPECT_FALSE(MoveByCopy(root.File("src/00201.mpg"), root.File("dst/00105.mpg")));  // never replaces
    EXPECT_EQ(Media("dst/00105.mpg"), "other");
    EXPECT_EQ(Media("src/00201.mpg"), "media");
}

std::vector<std::string> SortedEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// src/pics beneath root: the picture 1.jpg ("one") and 2.jpg, a link to outside.txt ("not a song").
void PicturesWithALink(const TempFolder& root) {
    std::filesystem::create_directories(root.File("src/pics"));
    WriteBytes(root.File("outside.txt"), "not a song");
    WriteBytes(root.File("src/pics/1.jpg"), "one");
    std::filesystem::create_symlink(root.File("outside.txt"), root.File("src/pics/2.jpg"));
}

// A link moved across file systems arrives as the same link, as a rename would move it: what it names is
// neither read nor copied.
TEST_F(SongFilesTest, MoveByCopyMovesLinksThemselves) {
    namespace fs = std::filesystem;
    PicturesWithALink(root);
    fs::create_directories(root.File("dst"));
    fs::create_symlink(root.File("outside.txt"), root.File("src/00201.mpg"));
    ASSERT_TRUE(MoveByCopy(root.File("src/pics"), root.File("dst/00104")));
    ASSERT_TRUE(MoveByCopy(root.File("src/00201.mpg"), root.File("dst/00105.mpg")));
    EXPECT_EQ(Media("dst/00104/1.jpg"), "one");
    for (const char* name : {"dst/00104/2.jpg", "dst/00105.mpg"}) {
        EXPECT_TRUE(fs::is_symlink(root.File(name))) << name;
        EXPECT_EQ(fs::read_symlink(root.File(name)), root.File("outside.txt")) << name;
    }
    EXPECT_EQ(SortedEntries(root.File("src")), std::vector<std::string>{});
    EXPECT_EQ(Media("outside.txt"), "not a song");
}

// Gives up at the second step, as the user interface does once the program is asked to end.
class AbandoningWindow final : public CopyProgressWindow {
public:
    int begun = 0, ended = 0, steps = 0;
    void Begin(const std::string&, const std::string&, std::int64_t) override { ++begun; }
    bool Step(std::int64_t) override {
        if (++steps == 2) throw RunAbandoned{};
        return true;
    }
    void End() override { ++ended; }
};

// Copies into the library are made in its staging folder and renamed into place: an abandoned copy
// leaves nothing, a picture folder replaces an older one whole, and the staging folder goes when empty.
TEST_F(SongFilesTest, CopiesIntoTheLibraryAreStagedAndPlacedWhole) {
    std::filesystem::create_directories(root.File("src/pics"));
    std::filesystem::create_directories(root.File("001/00102"));
    WriteBytes(root.File("src/big.mpg"), "");
    std::filesystem::resize_file(root.File("src/big.mpg"), LargeCopyBytes);
    AbandoningWindow window;
    SetCopyProgressWindow(&window);
    EXPECT_THROW(CopyFileWithProgress(root.File("src/big.mpg"), root.File("001/00101.mpg"), true),
                 RunAbandoned);
    WriteBytes(root.File("src/pics/1.jpg"), "one");
    std::filesystem::copy_file(root.File("src/big.mpg"), root.File("src/pics/2.jpg"));
    WriteBytes(root.File("001/00102/old.jpg"), "old");
    window.steps = 0;
    EXPECT_THROW(CopyFolderWithProgress(root.File("src/pics"), root.File("001/00102"), true), RunAbandoned);
    SetCopyProgressWindow(nullptr);
    EXPECT_EQ(window.ended, window.begun);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.File("001")), {}), 1);
    EXPECT_EQ(Media("001/00102/old.jpg"), "old");
    EXPECT_FALSE(Exists(".qvstaging"));

    EXPECT_EQ(CopyFolderWithProgress(root.File("src/pics"), root.File("001/00102"), false),
              CopyResult::Failed);
    EXPECT_EQ(CopyFolderWithProgress(root.File("src/pics"), root.File("001/00102"), true),
              CopyResult::Copied);
    EXPECT_EQ(Media("001/00102/1.jpg"), "one");
    EXPECT_EQ(std::filesystem::file_size(root.File("001/00102/2.jpg")), LargeCopyBytes);
    EXPECT_FALSE(Exists("001/00102/old.jpg"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.File("001")), {}), 1);
    EXPECT_FALSE(Exists(".qvstaging"));
}

// While it lives, this thread reads and writes by the files' modes alone, as a user without root does.
class ModesBind {
public:
    ModesBind() {
        ::syscall(SYS_capget, &header_, data_);
        __user_cap_data_struct lowered[2] = {data_[0], data_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &header_, lowered);
    }
    ~ModesBind() { ::syscall(SYS_capset, &header_, data_); }
    ModesBind(const ModesBind&) = delete;
    ModesBind& operator=(const ModesBind&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data_[2]{};
};

// A picture folder's copy takes its files and nothing that only sits beside them: a link (to a file
// off the disk) and a FIFO stay out. A file that cannot be read fails the copy instead of leaving a
// folder short of a picture, and the old folder stays.
TEST_F(SongFilesTest, APictureFolderIsCopiedWithItsOwnFilesOrNotAtAll) {
    namespace fs = std::filesystem;
    PicturesWithALink(root);
    fs::create_directories(root.File("001"));
    ASSERT_EQ(::mkfifo(root.File("src/pics/3.jpg").c_str(), 0600), 0);
    EXPECT_EQ(CopyFolderWithProgress(root.File("src/pics"), root.File("001/00101"), false), CopyResult::Copied);
    EXPECT_EQ(SortedEntries(root.File("001/00101")), std::vector<std::string>{"1.jpg"});
    EXPECT_EQ(Media("001/00101/1.jpg"), "one");

    WriteBytes(root.File("src/pics/4.jpg"), "four");
    fs::permissions(root.File("src/pics/4.jpg"), fs::perms::none);
    {
        const ModesBind modes;
        EXPECT_EQ(CopyFolderWithProgress(root.File("src/pics"), root.File("001/00101"), true),
                  CopyResult::Failed);
    }
    EXPECT_EQ(SortedEntries(root.File("001/00101")), std::vector<std::string>{"1.jpg"});
    EXPECT_EQ(SortedEntries(root.File("001")), std::vector<std::string>{"00101"});
    EXPECT_FALSE(Exists(".qvstaging"));
}

// The bar of a large copy is set back at its end, which is a step of the run: an end request met there
// abandons the copy like any other step (never from a destructor, which would end the process).
TEST_F(SongFilesTest, AnEndMetAsTheCopyBarIsSetBackAbandonsTheCopy) {
    std::filesystem::create_directories(root.File("001"));
    std::filesystem::create_directories(root.File("src"));
    WriteBytes(root.File("src/big.mpg"), "");
    std::filesystem::resize_file(root.File("src/big.mpg"), LargeCopyBytes);
    bool reachedEnd = false;
    ui.onProgress = [&](int position) {
        if (position == 100) reachedEnd = true;
        if (reachedEnd && position == 0) throw RunAbandoned{};
    };
    EXPECT_THROW(CopyFileWithProgress(root.File("src/big.mpg"), root.File("001/00101.mpg"), true),
                 RunAbandoned);
    ui.onProgress = nullptr;
    EXPECT_TRUE(reachedEnd);
    EXPECT_FALSE(Exists("001/00101.mpg"));
    EXPECT_FALSE(Exists(".qvstaging"));
}

// The staging folder is the program's to make: a link in its place, even to a folder on the same disk, is
// never copied through, in a staging session or not. A session keeps the folder from one copy to the
// next and removes it at its end.
TEST_F(SongFilesTest, StagingThroughALinkIsNeverUsedAndASessionKeepsTheFolder) {
    namespace fs = std::filesystem;
    class Watch final : public CopyProgressWindow {
    public:
        std::string folder;
        size_t most = 0;
        void Begin(const std::string&, const std::string&, std::int64_t) override {}
        bool Step(std::int64_t) override {
            most = std::max<size_t>(most, std::distance(fs::directory_iterator(folder), {}));
            return true;
        }
        void End() override {}
    } watch;
    watch.folder = root.File("user");
    fs::create_directories(root.File("user"));
    fs::create_directories(root.File("001"));
    fs::create_directory_symlink(root.File("user"), root.File(".qvstaging"));
    WriteBytes(root.File("src.mpg"), std::string(4096, 's'));
    SetCopyProgressWindow(&watch);
    EXPECT_EQ(CopyFileWithProgress(root.File("src.mpg"), root.File("001/00101.mpg"), true, 1),
              CopyResult::Copied);
    {
        const StagingSession session;
        EXPECT_EQ(CopyFileWithProgress(root.File("src.mpg"), root.File("001/00102.mpg"), true, 1),
                  CopyResult::Copied);
    }
    EXPECT_EQ(watch.most, 0u);
    EXPECT_TRUE(fs::is_symlink(root.File(".qvstaging")));

    fs::remove(root.File(".qvstaging"));
    watch.folder = root.File(".qvstaging");
    {
        const StagingSession session;
        for (const char* target : {"001/00103.mpg", "001/00104.mpg"}) {
            EXPECT_EQ(CopyFileWithProgress(root.File("src.mpg"), root.File(target), false, 1),
                      CopyResult::Copied);
            EXPECT_TRUE(fs::is_directory(root.File(".qvstaging")));
            EXPECT_EQ(std::distance(fs::directory_iterator(root.File(".qvstaging")), {}), 0);
        }
    }
    SetCopyProgressWindow(nullptr);
    EXPECT_EQ(watch.most, 1u);  // the temporary, while it was copied
    EXPECT_FALSE(Exists(".qvstaging"));
    for (const char* name : {"00101.mpg", "00102.mpg", "00103.mpg", "00104.mpg"})
        EXPECT_EQ(Media(std::string("001/") + name), std::string(4096, 's'));
}

// Only our own temporaries go: ".qvcopy-" and the six characters mkstemp made, and for a folder also the
// marker it was made with. Look-alikes holding the user's files stay, and so does a link of that name.
TEST_F(SongFilesTest, LeftoverCopiesAreOursAlone) {
    std::filesystem::create_directories(root.File("out/.qvcopy-photos"));
    WriteBytes(root.File("out/.qvcopy-photos/1.jpg"), "the user's");
    std::filesystem::create_directories(root.File("out/.qvcopy-Zz9Zz9"));
    WriteBytes(root.File("out/.qvcopy-Zz9Zz9/1.jpg"), "x");
    std::string killedCopy = root.File("out/.qvcopy-XXXXXX");
    ASSERT_TRUE(MakeOwnWorkFolder(killedCopy));
    WriteBytes(killedCopy + "/copy", "half a copy");
    for (const char* name : {".qvcopy-a1B2c3", ".qvcopy-abc", "x.qvcopy-a1B2c3", ".qvcopy-a1B2c3d",
                             ".qvcopy-a1B-c3", "00101.mpg"})
        WriteBytes(root.File(std::string("out/") + name), "x");
    std::filesystem::create_directory(root.File("elsewhere"));
    std::filesystem::create_directory_symlink(root.File("elsewhere"), root.File("out/.qvcopy-L1nk00"));
    ClearStagingFolder();  // none there: nothing happens
    EXPECT_FALSE(Exists(".qvstaging"));
    EXPECT_EQ(SortedEntries(root.File("out")).size(), 10u);

    RemoveLeftoverCopies(root.File("out"));
    std::vector<std::string> expected{".qvcopy-L1nk00",  ".qvcopy-Zz9Zz9", ".qvcopy-a1B-c3",
                                      ".qvcopy-a1B2c3d", ".qvcopy-abc",    ".qvcopy-photos",
                                      "00101.mpg",       "x.qvcopy-a1B2c3"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedEntries(root.File("out")), expected);
    EXPECT_EQ(Media("out/.qvcopy-photos/1.jpg"), "the user's");
    EXPECT_TRUE(std::filesystem::is_symlink(root.File("out/.qvcopy-L1nk00")));
    EXPECT_TRUE(Exists("elsewhere"));
}

// At start the staging folder loses what copies left there and goes when nothing else is in it; a
// staging folder that is a link stays, and so does everything where it points.
TEST_F(SongFilesTest, StartUpClearsOnlyOwnCopiesFromTheStagingFolder) {
    std::filesystem::create_directory(root.File(".qvstaging"));
    std::string killedCopy = root.File(".qvstaging/.qvcopy-XXXXXX");
    ASSERT_TRUE(MakeOwnWorkFolder(killedCopy));
    WriteBytes(killedCopy + "/copy", "half a copy");
    WriteBytes(root.File(".qvstaging/.qvcopy-Ab12Cd"), "half a file");
    std::filesystem::create_directory(root.File(".qvstaging/.qvcopy-photos"));
    WriteBytes(root.File(".qvstaging/.qvcopy-photos/1.jpg"), "the user's");
    ClearStagingFolder();
    EXPECT_EQ(SortedEntries(root.File(".qvstaging")), std::vector<std::string>{".qvcopy-photos"});
    EXPECT_EQ(Media(".qvstaging/.qvcopy-photos/1.jpg"), "the user's");
    std::filesystem::remove_all(root.File(".qvstaging/.qvcopy-photos"));
    ClearStagingFolder();
    EXPECT_FALSE(Exists(".qvstaging"));

    TempFolder outside;
    WriteBytes(outside.File(".qvcopy-Ab12Cd"), "outside");
    std::string marked = outside.File(".qvcopy-XXXXXX");
    ASSERT_TRUE(MakeOwnWorkFolder(marked));
    const FolderSnapshot before = SnapshotOf(outside.Path());
    std::filesystem::create_directory_symlink(outside.Path(), root.File(".qvstaging"));
    ClearStagingFolder();
    EXPECT_TRUE(std::filesystem::is_symlink(root.File(".qvstaging")));
    EXPECT_EQ(SnapshotOf(outside.Path()), before);
}

TEST_F(SongFilesTest, ReorderRefusesToReplaceAnEntryOfFolder000AndPutsEverythingBack) {
    AddSongs(3);
    WriteBytes(root.File("000/00102.mpg"), "jukebox");
    EXPECT_FALSE(ReorderSongFolder(root.File("001")));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"移動檔案" + root.File("001/00102.mpg") + "到" +
                                                          root.File("000/00102.mpg") + "發生錯誤"});
    EXPECT_EQ(Media("000/00102.mpg"), "jukebox");
    EXPECT_EQ(Media("001/00101.mpg"), "00101");
    EXPECT_EQ(Media("001/00102.mpg"), "00102");
    EXPECT_FALSE(Exists("000/00101.mpg"));
}

TEST_F(SongFilesTest, SpecialDeletePutsThePlaceholderAndMarksOnce) {
    AddSongs(2);
    ui.answers = {true, true};
    ASSERT_TRUE(SpecialDeleteSong("00102"));
    EXPECT_EQ(Media("001/00102.jpg"), "placeholder");
    EXPECT_FALSE(Exists("001/00102.mpg"));
    EXPECT_EQ(AllSong[1][colSpecialDel], "X");
    EXPECT_EQ(Name(1), "X歌2");
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"特刪完成"});
    EXPECT_FALSE(SpecialDeleteSong("00102"));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"歌曲[X歌2]已經標示為特刪"});
    ExpectListMatchesTable();

    // Replacing its media brings the song back.
    WriteBytes(root.File("new.mpg"), "new");
    ui.answers = {true};
    ASSERT_TRUE(ReplaceSongFile({root.File("new.mpg")}, "00102"));
    EXPECT_EQ(Media("001/00102.mpg"), "new");
    EXPECT_FALSE(Exists("001/00102.jpg"));
    EXPECT_EQ(AllSong[1][colSpecialDel], "");
    EXPECT_EQ(Name(1), "歌2");
    ExpectListMatchesTable();
}

// Without a media item, whether its folder exists or not, only the record changes.
TEST_F(SongFilesTest, SpecialDeleteOfASongWithoutMediaMarksItOnly) {
    AddSongs(82);  // 00101..00180, 00201, 00202
    std::filesystem::remove(root.File("001/00102.mpg"));
    ui.answers = {true};
    ASSERT_TRUE(SpecialDeleteSong("00102"));
    EXPECT_FALSE(Exists("001/00102.jpg"));
    EXPECT_EQ(AllSong[1][colSpecialDel], "X");
    EXPECT_EQ(Name(1), "X歌2");
    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{"找不到欲刪除的影音檔:" + root.File("001/00102.*")});
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"特刪完成"});
    ExpectListMatchesTable();

    std::filesystem::remove_all(root.File("002"));
    ui.answers = {true};
    ASSERT_TRUE(SpecialDeleteSong("00202"));
    EXPECT_FALSE(Exists("002"));
    EXPECT_EQ(AllSong[81][colSpecialDel], "X");
    EXPECT_EQ(Name(81), "X歌82");
    EXPECT_EQ(ui.Texts("info"), (std::vector<std::string>{"特刪完成", "特刪完成"}));
    ExpectListMatchesTable();
}

TEST_F(SongFilesTest, SpecialDeleteWithoutPlaceholderIsRefused) {
    AddSongs(1);
    std::filesystem::remove(root.File("000/000.jpg"));
    EXPECT_FALSE(SpecialDeleteSong("00101"));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"找不到" + root.File("000/000.jpg")});
    EXPECT_EQ(AllSong[0][colSpecialDel], "");
}

TEST_F(SongFilesTest, ReplaceKeepsVolumeAndChannelAndTheSourcesExtension) {
    AddSong("甲", ".mpg", "A", "1");
    AddSong("乙");
    WriteBytes(root.File("new.avi"), "new");
    WriteBytes(root.File("bare"), "bare");
    ui.answers = {true, true};
    ASSERT_TRUE(ReplaceSongFile({root.File("new.avi")}, "00101"));
    EXPECT_EQ(ui.Texts("ask").front(), "注意:此動怍會以 " + root.File("new.avi") + " 取代 " +
                                           root.File("001/00101A1.mpg") + ". 確定要執行?");
    EXPECT_EQ(Media("001/00101A1.avi"), "new");
    EXPECT_FALSE(Exists("001/00101A1.mpg"));
    ASSERT_TRUE(ReplaceSongFile({root.File("bare")}, "00102"));
    EXPECT_EQ(Media("001/00102"), "bare");
    EXPECT_FALSE(Exists("001/00102.mpg"));
    EXPECT_EQ(ui.Texts("info"), (std::vector<std::string>{"取代完成", "取代完成"}));
}

TEST_F(SongFilesTest, ReplaceChecksSelectionAndReserve) {
    AddSongs(1);
    WriteBytes(root.File("new.mpg"), std::string(1000, 'n'));
    EXPECT_FALSE(ReplaceSongFile({}, "00101"));
    EXPECT_FALSE(ReplaceSongFile({root.File("new.mpg"), root.File("new.mpg")}, "00101"));
    EXPECT_FALSE(ReplaceSongFile({root.File("new.mpg")}, ""));
    EXPECT_EQ(ui.Texts("error"),
              (std::vector<std::string>{"請選取來源檔.", "請勿選取多個來源檔.", "請選取欲被取代的歌曲."}));

    // Old item 5 bytes, new 1000: exactly the reserve is enough, one byte less is not.
    SetFreeDiskBytesSource([](const std::string&) { return ReservedFreeSpace + 1000 - 5 - 1; });
    ui.answers = {true, true};
    EXPECT_FALSE(ReplaceSongFile({root.File("new.mpg")}, "00101"));
    EXPECT_EQ(ui.Texts("error").back(), "無法以 " + root.File("new.mpg") + " 取代 " + root.File("001/") +
                                            "00101.mpg, 剩餘的保留空間不足.");
    EXPECT_EQ(Media("001/00101.mpg"), "00101");
    SetFreeDiskBytesSource([](const std::string&) { return ReservedFreeSpace + 1000 - 5; });
    EXPECT_TRUE(ReplaceSongFile({root.File("new.mpg")}, "00101"));
}

}  // namespace
}  // namespace qv::test
