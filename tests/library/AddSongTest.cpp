#include "library/AddSong.h"

#include <algorithm>
#include <functional>

#include "SongLibraryFixture.h"
#include "library/SongFiles.h"
#include "platform/CopyProgress.h"

namespace qv::test {
namespace {

class AddSongTest : public SongLibraryTest {
protected:
    AddPanel panel;

    void SetUp() override {
        SongLibraryTest::SetUp();
        std::filesystem::create_directories(root.File("src"));
        panel.folder = root.File("src");
        panel.wordIndex = 1;
        panel.sexIndex = 0;
        panel.classIndex = 0;
        panel.strokes = "5";
        AddSingerDisplayEntry(Utf8ToBig5("張三"), 1, 1);
    }
    std::string Source(const std::string& name, const std::string& bytes = "media") {
        WriteBytes(root.File("src/" + name), bytes);
        return root.File("src/" + name);
    }
    void Choose(const std::string& file, const std::string& nameUtf8, const std::string& singerUtf8) {
        panel.selectedFiles = {Source(file)};
        panel.songName = Utf8ToBig5(nameUtf8);
        panel.singer = Utf8ToBig5(singerUtf8);
        panel.strokes = "5";
    }
};

TEST_F(AddSongTest, AddsTheChosenFileUnderTheNextNumber) {
    AddSongs(80);  // 00101..00180: the next song opens folder 002
    setup::DefaultSongVolumn = 12;
    Choose("a.MPG", "  新歌  ", "張三");
    ASSERT_TRUE(AddSelectedSong(panel));
    EXPECT_EQ(Media("002/00201C0.MPG"), "media");
    ASSERT_EQ(AllSongCount, 81);
    const SongRow& row = AllSong[80];
    EXPECT_EQ(row[colSongNo], "00201");
    EXPECT_EQ(Big5ToUtf8(row[colSongName]), "新歌");
    EXPECT_EQ(row[colVolume], "C");
    EXPECT_EQ(row[colNewMark], "*");
    EXPECT_EQ(row[colWordCount], "2");
    ASSERT_EQ(row[colDateAdded].size(), 10u);
    EXPECT_EQ(row[colDateAdded][4], '/');
    EXPECT_EQ(row[colDateAdded][7], '/');
    EXPECT_EQ(ui.Texts("line"), std::vector<std::string>{"[新歌] 新增完成"});
    EXPECT_TRUE(panel.songName.empty());
    EXPECT_TRUE(panel.singer.empty());
    EXPECT_FALSE(AddingSongs);
    ExpectListMatchesTable();
}

TEST_F(AddSongTest, OverlongNameAndSingerAreKeptAsTheRecordKeepsThem) {
    // 61 bytes: the record's 60 would split the last character; the singer has 23 bytes for 16.
    std::string longName = "a";
    for (int i = 0; i < 30; ++i) longName += "歌";
    Choose("a.mpg", longName, "Westlife & Mariah Carey");
    panel.pinyin = "ABCDEFGHIJKLMN";
    ASSERT_TRUE(AddSelectedSong(panel));
    ASSERT_EQ(AllSongCount, 1);
    const SongRow added = AllSong[0];
    ASSERT_TRUE(LoadAllSong(SongListPath()));
    EXPECT_EQ(Big5ToUtf8(added[colSongName]), Big5ToUtf8(AllSong[0][colSongName]));
    EXPECT_EQ(added[colSongName], Utf8ToBig5(longName.substr(0, 1 + 29 * 3)));
    EXPECT_EQ(added[colSinger], AllSong[0][colSinger]);
    EXPECT_EQ(added[colSinger], "Westlife & Maria");
    EXPECT_EQ(added[colPinyin], "ABCDEFGHIJ");

    // Reloaded from the file, the same song again is still the duplicate it is.
    Choose("b.mpg", longName, "Westlife & Mariah Carey");
    EXPECT_FALSE(AddSelectedSong(panel));
    EXPECT_EQ(ui.Texts("warning").size(), 1u);
}

TEST_F(AddSongTest, EachCheckHasItsOwnWarning) {
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { panel.songName = "   "; }, "請輸入歌曲名稱!"},
        {[&] { panel.singer = Utf8ToBig5("　"); }, "請輸入歌手名稱!"},
        {[&] { panel.strokes = ""; }, "請輸入歌曲第一個字的筆劃!"},
        {[&] { panel.wordIndex = -1; }, "請選取字部!"},
        {[&] { panel.sexIndex = -1; }, "請選取歌手類別!"},
        {[&] { panel.classIndex = 9; }, "請選取歌曲種類!"},
        {[&] { panel.songName = Utf8ToBig5("歌^名"); },
         "歌名中有不合法的字元, 強行加入可能會造成點歌機當機."},
        {[&] { panel.singer = "a\tb"; }, "歌手名稱中有不合法的字元, 強行加入可能會造成點歌機當機."},
        {[&] { panel.selectedFiles.push_back(panel.selectedFiles[0]); }, "選擇超過一首歌曲請用批量加歌!"},
    };
    for (const auto& [spoil, warning] : cases) {
        Choose("a.mpg", "歌", "張三");
        panel.strokes = "5";
        panel.wordIndex = panel.sexIndex = panel.classIndex = 0;
        spoil();
        ui.shown.clear();
        EXPECT_FALSE(AddSelectedSong(panel));
        EXPECT_EQ(ui.Texts("warning"), std::vector<std::string>{warning});
    }
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_FALSE(Exists("001"));
}

TEST_F(AddSongTest, TmpgEncFilesAreAskedAbout) {
    std::string bytes(3000, '\0');
    bytes.replace(2100, 7, "TMPGEnc");
    const std::string warned = Source("w.dat", bytes);
    bytes = std::string(3000, '\0');
    bytes.replace(2600, 7, "TMPGEnc");
    EXPECT_TRUE(IsTmpgEncMpeg(warned));
    EXPECT_FALSE(IsTmpgEncMpeg(Source("late.dat", bytes)));
    EXPECT_FALSE(IsTmpgEncMpeg(Source("w.avi", ReadBytes(warned))));
    // A FIFO under a media name, with nothing ever writing into it, is no such file and is not waited on.
    const std::string fifo = Source("pipe.mpg");
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(IsTmpgEncMpeg(fifo));

    panel.songName = Utf8ToBig5("歌");
    panel.singer = Utf8ToBig5("張三");
    panel.selectedFiles = {warned};
    ui.answers = {false};
    EXPECT_FALSE(AddSelectedSong(panel));
    EXPECT_EQ(ui.Texts("ask"),
              std::vector<std::string>{
                  "此檔案編碼特殊, QV02系列點歌機可能會播放不順, 建議重新轉檔後再加入. 確定要新增?"});
    EXPECT_EQ(AllSongCount, 0);
    ui.answers = {true};
    EXPECT_TRUE(AddSelectedSong(panel));
    EXPECT_EQ(AllSongCount, 1);
}

TEST_F(AddSongTest, DuplicatesAreRefusedAndNearMatchesAsked) {
    Choose("a.mpg", "Love Song", "張三");
    ASSERT_TRUE(AddSelectedSong(panel));
    Choose("b.mpg", "love song", "張三");
    EXPECT_FALSE(AddSelectedSong(panel));
    EXPECT_EQ(ui.Texts("warning"), std::vector<std::string>{"歌手[張三]已有相同語言的同名歌曲存在!"});

    Choose("c.mpg", "Love Sing", "李四");
    panel.fuzzy = true;
    ui.answers = {false};
    EXPECT_FALSE(AddSelectedSong(panel));
    EXPECT_EQ(ui.Texts("ask"), std::vector<std::string>{"模糊比對結果顯示有類似歌曲存在. 要加入這首歌?"});
    EXPECT_EQ(AllSongCount, 1);
    ui.answers = {true};
    EXPECT_TRUE(AddSelectedSong(panel));
    EXPECT_EQ(AllSongCount, 2);
    ExpectListMatchesTable();
}

TEST_F(AddSongTest, FolderWithoutChosenFileBecomesAPictureSong) {
    Source("1.jpg", "one");
    Source("2.jpg", "two");
    panel.selectedFiles.clear();
    ui.answers = {true};
    ASSERT_TRUE(AddSelectedSong(panel));
    EXPECT_EQ(ui.Texts("ask"), std::vector<std::string>{"將加入[src]資料夾為照片點播. 確定要新增?"});
    EXPECT_EQ(Media("001/00101/2.jpg"), "two");
    EXPECT_EQ(Big5ToUtf8(AllSong[0][colSinger]), "佚名");
    EXPECT_EQ(AllSong[0][colDomesticPhoto], "*");
    EXPECT_EQ(AllSong[0][colSingerClass], "5");
}

TEST_F(AddSongTest, ReserveOfFreeSpaceIsKeptToTheByte) {
    const std::string source = Source("a.mpg", std::string(100, 'x'));
    FieldList fields(AllSongColCount);
    fields[colSongName] = "a";
    SetFreeDiskBytesSource([](const std::string&) { return ReservedFreeSpace + 100 - 1; });
    DiskFull = false;
    EXPECT_FALSE(AddSongFile(fields, source, false));
    EXPECT_TRUE(DiskFull);
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_FALSE(Exists("001/00101.mpg"));
    SetFreeDiskBytesSource([](const std::string&) { return ReservedFreeSpace + 100; });
    EXPECT_TRUE(AddSongFile(fields, source, false));
    EXPECT_EQ(Media("001/00101.mpg"), std::string(100, 'x'));
}

TEST_F(AddSongTest, FullLibraryAddsNothing) {
    FieldList last(SongFieldCount);
    last[colSongNo] = "99980";
    last[colSongName] = "z";
    AddSongRow(last);
    FieldList fields(AllSongColCount);
    EXPECT_FALSE(AddSongFile(fields, Source("a.mpg"), false));
    EXPECT_EQ(AllSongCount, 1);
    EXPECT_FALSE(Exists("1000"));
}

TEST_F(AddSongTest, SongWhoseRecordCannotBeAppendedIsTakenBack) {
    AddSongs(1);
    std::filesystem::remove(SongListPath());
    std::filesystem::create_directory(SongListPath());  // nothing can be written to it
    FieldList fields(AllSongColCount);
    fields[colSongName] = "a";
    EXPECT_FALSE(AddSongFile(fields, Source("a.mpg"), false));
    EXPECT_EQ(AllSongCount, 1);
    EXPECT_EQ(AllSong.size(), 1u);
    EXPECT_FALSE(Exists("001/00102.mpg"));
}

// What a run killed between the copy and the record leaves: the next number's media with no row. The next
// add of that number replaces it, whatever its name or kind, and never writes through a link.
TEST_F(AddSongTest, MediaLeftWithoutARowGivesWayToTheNextSongOfItsNumber) {
    namespace fs = std::filesystem;
    const std::string outside = root.File("outside.mpg");
    WriteBytes(outside, "user's file");
    fs::permissions(outside, fs::perms::owner_read);
    const auto itemsOf102 = [this] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(root.File("001")))
            if (e.path().filename().string().rfind("00102", 0) == 0) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    };
    struct Leftover {
        std::function<void()> make;
        std::string source, volume;
        std::vector<std::string> items;
    };
    const std::vector<Leftover> cases = {
        {[&] { WriteBytes(root.File("001/00102.mpg"), "old");
               fs::permissions(root.File("001/00102.mpg"), fs::perms::owner_read); },
         "a.mpg", "", {"00102.mpg"}},
        {[&] { WriteBytes(root.File("001/00102.avi"), "old"); }, "a.mp4", "", {"00102.mp4"}},
        {[&] { WriteBytes(root.File("001/00102.mpg"), "old"); }, "a.mpg", "C", {"00102C0.mpg"}},
        {[&] { fs::create_directory(root.File("001/00102"));
               WriteBytes(root.File("001/00102/1.jpg"), "old"); },
         "clip", "", {"00102"}},
        {[&] { fs::create_symlink(outside, root.File("001/00102.mpg")); }, "a.mpg", "", {"00102.mpg"}},
        {[&] { fs::create_symlink(outside, root.File("001/00102.dat")); }, "a.mpg", "", {"00102.mpg"}},
    };
    AddSongs(1);
    for (const Leftover& leftover : cases) {
        leftover.make();
        const std::string source = Source(leftover.source, "new song");
        setup::DefaultSongVolumn = leftover.volume == "C" ? 12 : -1;
        FieldList fields(AllSongColCount);
        fields[colSongName] = "a";
        EXPECT_TRUE(AddSongFile(fields, source, false)) << leftover.items[0];
        EXPECT_EQ(itemsOf102(), leftover.items);
        EXPECT_EQ(Media("001/" + leftover.items[0]), "new song");
        EXPECT_EQ(FindFileByPrefix(root.File("001"), "00102"), leftover.items[0]);
        ASSERT_EQ(AllSongCount, 2);
        // The song goes again, so the next case finds the number free.
        AllSong.resize(1);
        AllSongCount = 1;
        ShownRows.resize(1);
        ASSERT_TRUE(TruncateSongFile(SongListPath(), SongLineLength, 1));
        for (const std::string& name : itemsOf102()) fs::remove_all(root.File("001/" + name));
    }
    EXPECT_EQ(ReadBytes(outside), "user's file");
    EXPECT_EQ(fs::status(outside).permissions() & fs::perms::all, fs::perms::owner_read);
    EXPECT_EQ(Media("001/00101.mpg"), "00101");

    // A list whose last record is not its highest number: the "next" number is a song's, and its media
    // stays as it is.
    FieldList out(SongFieldCount);
    out[colSongNo] = "00103";
    out[colSongName] = "b";
    WriteBytes(root.File("001/00103.mpg"), "00103");
    ASSERT_TRUE(AddSongRow(out));
    AddSong("c");  // 00104
    AllSong[2][colSongNo] = "00102";
    FieldList fields(AllSongColCount);
    fields[colSongName] = "d";
    EXPECT_FALSE(AddSongFile(fields, Source("d.mpg", "new song"), false));
    EXPECT_EQ(Media("001/00103.mpg"), "00103");
    EXPECT_EQ(AllSongCount, 3);
}

class VanishingSource final : public CopyProgressWindow {
public:
    std::string source;
    bool cancel = false;
    int steps = 0;
    void Begin(const std::string&, const std::string&, std::int64_t) override {}
    bool Step(std::int64_t) override {
        if (++steps == 1 && !cancel) std::filesystem::resize_file(source, 10);
        return !cancel;
    }
    void End() override {}
};

TEST_F(AddSongTest, VanishedOrCancelledCopyLeavesNothingBehind) {
    VanishingSource window;
    SetCopyProgressWindow(&window);
    window.source = Source("big.mpg", std::string(3 << 20, 'b'));
    FieldList fields(AllSongColCount);
    fields[colSongName] = "a";
    EXPECT_EQ(CopyFileWithProgress(window.source, root.File("copy.mpg"), false, 1), CopyResult::Failed);
    window.source = Source("big.mpg", std::string(LargeCopyBytes, 'b'));
    window.cancel = true;
    EXPECT_FALSE(AddSongFile(fields, window.source, false));
    SetCopyProgressWindow(nullptr);
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_FALSE(Exists("copy.mpg"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.File("001")), {}), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.Path()), {}), 3);  // 000, src, 001
}

TEST_F(AddSongTest, BatchReportListsEveryFileWithItsReason) {
    AddSongs(1);  // "歌1" by 歌手
    setup::IsBatchAddIncludeWarningSong = false;
    std::string tmpg(3000, '\0');
    tmpg.replace(2000, 7, "TMPGEnc");
    panel.selectedFiles = {Source("情歌_張三_男_國語.mpg"),       Source("clip.wmv"),
                           Source("歌名_無名氏_男_國語.mpg"),     Source("怪^歌_張三_男_國語.avi"),
                           Source("舊歌_張三_男_國語.dat", tmpg), Source("情歌_張三_女_國語.mp4")};
    const BatchAddResult result = AddSongsInBatch(panel);
    std::vector<std::string> lines;
    for (const auto& line : result.report) lines.push_back(Big5ToUtf8(line));
    const auto pad = [](const std::string& name) {
        return Big5ToUtf8(PadField(Utf8ToBig5(name), 30, false));
    };
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "批量加6首歌,成功1首,警示1首,失敗4首",
                         "--------失敗歌曲--------",
                         pad("clip.wmv") + "原因:歌曲影音檔格式不支援",
                         pad("歌名_無名氏_男_國語.mpg") + "原因:資料庫內找不到該歌手",
                         pad("怪^歌_張三_男_國語.avi") + "原因:歌名中有不合法的字元",
                         pad("情歌_張三_女_國語.mp4") + "原因:該歌手已有相同語言的同名歌曲存在",
                         "--------*警示歌曲未加入*--------",
                         "舊歌_張三_男_國語.dat(編碼特殊, QV02系列點歌機可能會播放不順)",
                         "--------成功歌曲--------",
                         "情歌_張三_男_國語.mpg",
                     }));
    ASSERT_EQ(AllSongCount, 2);
    EXPECT_EQ(Big5ToUtf8(AllSong[1][colSongName]), "情歌");
    EXPECT_EQ(AllSong[1][colSingerClass], "1");
    EXPECT_EQ(Media("001/00102.mpg"), "media");
    ExpectListMatchesTable();

    const std::string saved = root.File("report.txt");
    ASSERT_TRUE(SaveBatchReport(saved, result.report));
    EXPECT_EQ(ReadBytes(saved).substr(0, 4), Utf8ToBig5("批量"));
    EXPECT_NE(ReadBytes(saved).find("\r\n"), std::string::npos);
    EXPECT_EQ(ui.Texts("info").back(), "存檔完成");
}

TEST_F(AddSongTest, BatchWithEveryFileAddedSaysSoOnTheStatusLine) {
    panel.selectedFiles = {Source("情歌_張三_男_國語.mpg"), Source("戀歌_張三_男_國語.vob")};
    const BatchAddResult result = AddSongsInBatch(panel);
    EXPECT_TRUE(result.report.empty());
    EXPECT_EQ(ui.Texts("line"), std::vector<std::string>{"批量加入2首歌曲全部成功"});
    EXPECT_EQ(Media("001/00102.vob"), "media");
}

TEST_F(AddSongTest, PanelHelpers) {
    EXPECT_EQ(SingerSuffixClass(Utf8ToBig5("甲(女歌手)")), 2);
    EXPECT_EQ(SingerSuffixClass(Utf8ToBig5("甲")), 5);
    AddSingerDisplayEntry(Utf8ToBig5("甲"), 2, 3);
    const SingerChoice choice = ChooseSingerEntry(Utf8ToBig5("甲(女歌手)"));
    EXPECT_EQ(Big5ToUtf8(choice.singer), "甲");
    EXPECT_EQ(choice.sexIndex, 1);
    EXPECT_EQ(choice.classIndex, 2);
    EXPECT_EQ(SingerChoicesFor(Utf8ToBig5("張")), std::vector<std::string>{Utf8ToBig5("張三(男歌手)")});
    EXPECT_EQ(SingerChoicesFor("zz").size(), 2u);
    // "a" is the trail byte of 兀 (A4 61): only a whole-character match counts.
    AddSingerDisplayEntry(Utf8ToBig5("兀"), 1, 1);
    AddSingerDisplayEntry("Amy", 2, 4);
    EXPECT_EQ(SingerChoicesFor("a"), std::vector<std::string>{Utf8ToBig5("Amy(女歌手)")});
    const NameCodes codes = CodesForName(Utf8ToBig5("一二三四五六七八九十百"), 0);
    EXPECT_EQ(codes.wordIndex, 10);
    EXPECT_EQ(codes.strokes, "1");
    EXPECT_EQ(CodesForName("", 0).strokes, "");
}

}  // namespace
}  // namespace qv::test
