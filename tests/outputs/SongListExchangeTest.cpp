// Song lists in and out: the export of new songs read back by another library, the checks of the own and
// the other makers' lists, the reading orders and rules, the JETKTV list from a folder and the songlist.txt
// conversion. Records, numbers and media files are checked, not only the messages.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "library/DiskTools.h"
#include "library/Startup.h"
#include "platform/CopyProgress.h"
#include "outputs/SongListExchange.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/ProgramFolder.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::TempSongLibrary;
using test::WriteBytes;

class FakeHost final : public DiskToolsHost {
public:
    FakeHost() { SetDiskToolsHost(this); }
    ~FakeHost() override { SetDiskToolsHost(nullptr); }
    std::deque<std::string> files, folders;
    int refreshes = 0, filterResets = 0;

    bool ChooseFolder(const std::string&, const std::string&, std::string& folder) override {
        return Next(folders, folder);
    }
    bool ChooseOpenFile(std::string& path) override { return Next(files, path); }
    bool ChooseSaveFile(std::string& path) override { return Next(files, path); }
    int ShowSelectDirForm(const std::string&) override { return 2; }
    int ShowProgressForm(const std::string&) override { return 2; }
    void ResetSongFilters() override { ++filterResets; }
    void RefreshSongList() override { ++refreshes; }
    void StopPreview() override {}

private:
    static bool Next(std::deque<std::string>& queue, std::string& out) {
        if (queue.empty()) return false;
        out = queue.front();
        queue.pop_front();
        return true;
    }
};

SongRow Song(const std::string& no, const std::string& name, const std::string& singer,
             const std::string& language, const std::string& words, const std::string& newMark = "") {
    SongRow row = TempSongLibrary::Song(no, name, singer, language);
    row[colWordCount] = words;
    row[colStrokes] = "9";
    row[colNewMark] = newMark;
    row[colDateAdded] = "2026/01/02";
    return row;
}

// A list of whole records in a folder, with a media file per song in its numbered folder.
std::string WriteList(const TempFolder& folder, const std::vector<SongRow>& songs, bool encipher) {
    std::vector<std::string> lines;
    for (const SongRow& song : songs) {
        lines.push_back(JoinSongRecord(song));
        fs::create_directories(folder.File(song[colSongNo].substr(0, 3)));
        std::ofstream(folder.File(song[colSongNo].substr(0, 3) + "/" + song[colSongNo] + ".mpg"))
            << song[colSongNo];
    }
    if (encipher) EncodeLineList(lines);
    WriteBytes(folder.File("list.txt"), JoinLinesCrLf(lines));
    return folder.File("list.txt");
}

TEST(SongListExchange, ExportedNewSongsComeIntoAnotherLibraryWithItsNumbers) {
    TempFolder exported;
    test::FakeUserInterface ui;
    FakeHost host;
    {
        TempSongLibrary from;
        from.Fill({Song("00101", "老歌", "甲", "1", "2"), Song("00102", "新歌一", "乙", "1", "3", "*"),
                   Song("00103", "新歌二", "丙", "2", "3", "@")});
        from.AddMedia("00101.mpg");
        std::ofstream(from.AddMedia("001029.avi")) << "second song";
        fs::create_directories(from.Path("001/00103"));  // a picture-folder song
        std::ofstream(from.Path("001/00103/p1.jpg")) << "picture";
        host.files = {exported.File("new.txt")};
        N3Click();
        EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"新歌匯出完成"});
        EXPECT_EQ(AllSong[1][colNewMark], "*");  // the export changes nothing
    }
    EXPECT_EQ(ReadBytes(exported.File("001/001029.avi")), "second song");
    EXPECT_EQ(ReadBytes(exported.File("001/00103/p1.jpg")), "picture");
    EXPECT_FALSE(fs::exists(exported.File("001/00101.mpg")));
    const std::vector<std::string> stored = SplitTextLines(ReadBytes(exported.File("new.txt")));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_FALSE(IsInteger(stored[0].substr(0, 5)));  // enciphered

    TempSongLibrary into;
    into.Fill({Song("00101", "別的歌", "丁", "1", "3")});
    ui.shown.clear();
    host.files = {exported.File("new.txt")};
    N2Click();  // fails the check on the stored bytes, so the deciphering reader takes it
    EXPECT_TRUE(ui.Texts("error").empty());
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌曲匯入完成"});
    ASSERT_EQ(AllSongCount, 3);
    EXPECT_EQ(AllSong[1][colSongNo], "00102");
    EXPECT_EQ(Big5ToUtf8(AllSong[1][colSongName]), "新歌一");
    EXPECT_EQ(AllSong[1][colNewMark], "*");
    EXPECT_EQ(AllSong[2][colSongNo], "00103");
    EXPECT_EQ(Big5ToUtf8(AllSong[2][colSinger]), "丙");
    EXPECT_EQ(AllSong[2][colLanguage], "2");
    EXPECT_EQ(ReadBytes(into.Path("001/00102.avi")), "second song");
    EXPECT_EQ(ReadBytes(into.Path("001/00103/p1.jpg")), "picture");
    EXPECT_EQ(DecodeLine(2, SplitTextLines(ReadBytes(SongListPath()))[2]).substr(0, 6), "00103:");
    EXPECT_FALSE(AddingSongs);
    EXPECT_EQ(host.refreshes, 1);

    // The same list again: every song is a duplicate now.
    ui.shown.clear();
    host.files = {exported.File("new.txt")};
    N2Click();
    EXPECT_EQ(AllSongCount, 3);
}

TEST(SongListExchange, ListChecksStopAtTheFirstBadLineAndImportNothing) {
    TempFolder list;
    test::FakeUserInterface ui;
    FakeHost host;
    TempSongLibrary library;
    library.Fill({});
    std::vector<SongRow> songs{Song("00201", "一", "甲", "1", "1"), Song("00202", "二", "乙", "1", "1"),
                               Song("00203", "三", "丙", "1", "1")};
    const std::string path = WriteList(list, songs, false);
    std::string bytes = ReadBytes(path);
    bytes[2 * 142 + 5] = '-';  // line 3, position 6
    WriteBytes(path, bytes);
    host.files = {path};
    QV21Click();
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"檔案格式有誤:第3行第6字元不是冒號(:)"});
    EXPECT_EQ(AllSongCount, 0);

    const std::string good = JoinSongRecord(songs[0]);
    const struct {
        size_t position;
        char byte;
        const char* rule;
    } cases[] = {{67, ' ', "第2行第67,78,81,98,100,102,105,108,110,112字元不是分號(;)"},
                 {3, 'x', "第2行前5個字元不是數字"},
                 {79, 'x', "第2行第79,80字元不是數字"},
                 {101, 'x', "第2行第101字元不是數字"},
                 {103, ' ', "第2行第103字元不是數字"},
                 {105, 'x', "第2行第105,106字元不是數字"}};
    // On the second line: the first line decides whether the list is enciphered.
    for (const auto& c : cases) {
        std::string line = good;
        line[c.position - 1] = c.byte;
        WriteBytes(path, good + "\r\n" + line + "\r\n");
        ui.shown.clear();
        EXPECT_FALSE(ValidateSongListLong(path, true));
        EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{std::string("檔案格式有誤:") + c.rule})
            << c.position;
    }
    // The short check names its own positions; a line too short fails.
    WriteBytes(path, good.substr(0, 100) + "\r\n");
    ui.shown.clear();
    EXPECT_FALSE(ValidateSongListShort(path, true));
    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{
                  "檔案格式有誤:第1行第67,78,81,98,100,102,104,107,109,111,113,115,117,119字元不是分號(;)"});

    // An empty list passes and imports nothing, and says so.
    WriteBytes(path, "");
    ui.shown.clear();
    host.files = {path};
    QV21Click();
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌曲匯入完成"});
}

TEST(SongListExchange, ReadingOrderDuplicatesMissingMediaAndAStoppedImport) {
    TempFolder list;
    test::FakeUserInterface ui;
    FakeHost host;
    TempSongLibrary library;
    library.Fill({Song("00101", "在庫", "甲", "1", "2")});
    const std::string path =
        WriteList(list,
                  {Song("00301", "其他歌", "乙", "5", "3"), Song("00302", "三字歌", "乙", "1", "3"),
                   Song("00303", "台語", "乙", "2", "2"), Song("00304", "二字", "乙", "1", "2"),
                   Song("00305", "在庫", "甲", "1", "2"), Song("00306", "在庫", "別人", "1", "2")},
                  true);
    fs::remove(list.File("003/00303.mpg"));
    host.files = {path};
    QV22Click();
    std::vector<std::string> names;
    for (int r = 1; r < AllSongCount; ++r) names.push_back(Big5ToUtf8(AllSong[r][colSongName]));
    // Mandarin two words, then three, then other languages; "other" after every numbered one; the
    // duplicate of name, singer and language left out; the song without media reported and left out.
    EXPECT_EQ(names, (std::vector<std::string>{"二字", "在庫", "三字歌", "其他歌"}));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"找不到" + list.File("003") + "/00303.*"});
    EXPECT_EQ(AllSong[1][colSongNo], "00102");
    EXPECT_EQ(AllSong[4][colSongNo], "00105");

    // With the name alone deciding, a same-named song of another singer is a duplicate too.
    library.Fill({Song("00101", "在庫", "甲", "1", "2")});
    setup::IsSameSongNameBeSameSong = true;
    host.files = {path};
    QV21Click();
    setup::IsSameSongNameBeSameSong = false;
    EXPECT_EQ(AllSongCount, 4);

    // A song that cannot be copied in stops the import, names it, and there is no completion message.
    library.Fill({Song("00101", "在庫", "甲", "1", "2")});
    fs::remove_all(library.Path("001"));
    WriteBytes(library.Path("001"), "a file where the song folder belongs");
    ui.shown.clear();
    host.files = {path};
    QV21Click();
    EXPECT_EQ(AllSongCount, 1);
    EXPECT_TRUE(ui.Texts("info").empty());
    ASSERT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_NE(ui.Texts("error")[0].find("其他歌"), std::string::npos);
    EXPECT_EQ(SplitTextLines(ReadBytes(SongListPath())).size(), 1u);
}

// Songs the run itself added count as the library's: a later line of the list that repeats one (letter
// case aside, or by a shared duet singer) is refused; the same name in another language or by another
// singer is taken. The singer list ends as adding the songs one by one leaves it: the latest first.
TEST(SongListExchange, AnImportRefusesWhatItAddedItselfAndListsItsSingersLatestFirst) {
    TempFolder list;
    test::FakeUserInterface ui;
    FakeHost host;
    TempSongLibrary library;
    library.Fill({Song("00101", "在庫", "甲", "1", "2")});
    SingerDisplayList = {Utf8ToBig5("甲(女歌手)")};
    SingerDisplayLanguages = {"1"};
    const std::string path = WriteList(
        list,
        {Song("00301", "Moon River", "Andy Lee", "4", "1"), Song("00302", "moon RIVER", "ANDY LEE", "4", "1"),
         Song("00303", "Moon River", "Andy Lee", "1", "1"), Song("00304", "Moon River", "Bob", "4", "1"),
         Song("00305", "MOON river", "bob andy", "4", "1"), Song("00306", "在庫", "乙 甲", "1", "2"),
         Song("00307", "新歌", "甲", "1", "2")},
        true);
    host.files = {path};
    QV21Click();
    std::vector<std::string> added;
    for (int r = 1; r < AllSongCount; ++r)
        added.push_back(Big5ToUtf8(AllSong[r][colSongName] + "/" + AllSong[r][colSinger] + "/" +
                                   AllSong[r][colLanguage]));
    EXPECT_EQ(added, (std::vector<std::string>{"Moon River/Andy Lee/4", "Moon River/Andy Lee/1",
                                               "Moon River/Bob/4", "新歌/甲/1"}));
    std::vector<std::string> singers;
    for (const std::string& entry : SingerDisplayList) singers.push_back(Big5ToUtf8(entry));
    EXPECT_EQ(singers,
              (std::vector<std::string>{"甲(男歌手)", "Bob(男歌手)", "Andy Lee(男歌手)", "甲(女歌手)"}));
    EXPECT_EQ(SingerDisplayLanguages, (std::vector<std::string>{"1", "4", "1", "1"}));
}

// An import is one run of copies: the table gets room for the list's songs before the first (no row
// moves while it runs), the staging folder stays from one song to the next and goes at the end, also
// when the run is abandoned.
TEST(SongListExchange, AnImportMakesRoomOnceAndKeepsItsStagingFolderToTheEnd) {
    TempFolder list;
    test::FakeUserInterface ui;
    FakeHost host;
    TempSongLibrary library;
    library.Fill({Song("00101", "在庫", "甲", "1", "2")});
    std::vector<SongRow> songs;
    for (int i = 1; i <= 6; ++i)
        songs.push_back(Song("0030" + std::to_string(i), "歌" + std::to_string(i), "乙", "1", "2"));
    const std::string path = WriteList(list, songs, true);

    const SongRow* rows = nullptr;
    std::vector<bool> stagingBetweenSongs;
    ui.onProgress = [&](int position) {
        if (position == 1) rows = AllSong.data();
        if (position < 2 || position > 6) return;
        EXPECT_EQ(AllSong.data(), rows) << "before song " << position;
        stagingBetweenSongs.push_back(fs::is_directory(StagingFolder()));
    };
    host.files = {path};
    QV21Click();
    EXPECT_EQ(AllSongCount, 7);
    EXPECT_EQ(stagingBetweenSongs, std::vector<bool>(5, true));
    EXPECT_FALSE(fs::exists(StagingFolder()));
    EXPECT_EQ(ReadBytes(library.Path("001/00107.mpg")), "00306");

    // Abandoned in the middle: the songs so far are in, the staging folder and its temporaries gone.
    library.Fill({Song("00101", "在庫", "甲", "1", "2")});
    ui.onProgress = [](int position) {
        if (position == 4) throw RunAbandoned();
    };
    host.files = {path};
    EXPECT_THROW(QV21Click(), RunAbandoned);
    AddingSongs = false;
    EXPECT_EQ(AllSongCount, 4);
    EXPECT_FALSE(fs::exists(StagingFolder()));
}

// A list's media are taken from its own folders only: an item that is a link, or that lies in a song
// folder that is a link, is reported missing and nothing it leads to comes into the library.
TEST(SongListExchange, AListsLinkedMediaAreMissingAndNeverCopied) {
    TempFolder list, elsewhere;
    test::FakeUserInterface ui;
    FakeHost host;
    TempSongLibrary library;
    library.Fill({Song("00101", "在庫", "甲", "1", "2")});
    const std::string path = WriteList(
        list, {Song("00301", "一", "乙", "1", "2"), Song("00302", "二", "乙", "1", "2"),
               Song("00303", "三", "乙", "1", "2"), Song("00401", "四", "乙", "1", "2")},
        true);
    WriteBytes(elsewhere.File("secret.mpg"), "not the list's");
    fs::create_directories(elsewhere.File("pics"));
    WriteBytes(elsewhere.File("pics/1.jpg"), "not the list's");
    fs::remove(list.File("003/00302.mpg"));
    fs::create_symlink(elsewhere.File("secret.mpg"), list.File("003/00302.mpg"));
    fs::remove(list.File("003/00303.mpg"));
    fs::create_directory_symlink(elsewhere.File("pics"), list.File("003/00303"));
    fs::rename(list.File("004"), elsewhere.File("004"));
    fs::create_directory_symlink(elsewhere.File("004"), list.File("004"));
    host.files = {path};
    QV21Click();
    EXPECT_EQ(ui.Texts("error"), (std::vector<std::string>{"找不到" + list.File("003") + "/00302.*",
                                                            "找不到" + list.File("003") + "/00303.*",
                                                            "找不到" + list.File("004") + "/00401.*"}));
    EXPECT_EQ(AllSongCount, 2);
    EXPECT_EQ(ReadBytes(library.Path("001/00102.mpg")), "00301");
    std::vector<std::string> items;
    for (const auto& entry : fs::directory_iterator(library.Path("001")))
        items.push_back(entry.path().filename().string());
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::string>{"00102.mpg"}));
}

std::string CsvLine(const std::string& name, const std::string& singer, const std::string& sex,
                    const std::string& language, const std::string& drive, const std::string& path) {
    return Utf8ToBig5("10001,20001,\"" + name + "\",\"\",2,\"" + singer + "\",\"\",\"\",\"\",\"\",\"\",\"" +
                      sex + "\",\"\",\"" + language + "\",\"\",\"\",0,0,\"\",\"\",0,\"" + drive + "\",\"" +
                      path + "\",\"\",\"\",0,,,");
}

TEST(SongListExchange, OtherMakersListsAreCheckedAndReadByTheirRules) {
    TempFolder list;
    test::FakeUserInterface ui;
    FakeHost host;
    TempSongLibrary library;
    library.Fill({});
    fs::create_directories(list.File("songs"));
    WriteBytes(list.File("songs/晴天.mpg"), "sunny");
    const std::string csv = list.File("jet.txt");
    WriteBytes(csv, "\r\n" + CsvLine("晴天", "歌手", "MALE", "English", list.Path(), "\\songs\\晴天.mpg") +
                        "\r\n" + CsvLine("雨天", "歌手", "female", "國語", list.Path(), "\\songs\\none.mpg") +
                        "\r\n");
    host.files = {csv};
    OK1Click();
    ASSERT_EQ(AllSongCount, 1);
    EXPECT_EQ(Big5ToUtf8(AllSong[0][colSongName]), "晴天");
    EXPECT_EQ(AllSong[0][colSingerClass], "1");
    EXPECT_EQ(AllSong[0][colLanguage], "4");
    EXPECT_EQ(AllSong[0][colNewMark], "*");
    EXPECT_EQ(ReadBytes(library.Path("001/00101.mpg")), "sunny");
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"找不到" + list.File("songs/none.mpg")});
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"歌曲匯入完成"});

    // 21 commas: too few fields; a group class fails the sex rule.
    WriteBytes(csv, std::string(21, ',') + "\r\n");
    ui.shown.clear();
    EXPECT_FALSE(ValidateCsvList(csv));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"檔案格式有誤:第1行少於23個欄位"});
    WriteBytes(csv, std::string(22, ',') + "\r\n");
    ui.shown.clear();
    EXPECT_FALSE(ValidateCsvList(csv));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"檔案格式有誤:第1行第12欄不是[男歌手]或[女歌手]"});
    WriteBytes(csv, CsvLine("a", "b", "男歌手", "國語", "/", "\\x") + "\r\n" +
                        CsvLine("a", "b", "團體歌手", "國語", "/", "\\x"));
    ui.shown.clear();
    EXPECT_FALSE(ValidateCsvList(csv));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"檔案格式有誤:第2行第12欄不是[男歌手]或[女歌手]"});
    // Quotes do not protect a comma; a lone quote goes; trailing full-width blanks go before the quotes.
    const std::string quoted = Utf8ToBig5("1,\"許,\",,\"x\"　 ");
    EXPECT_EQ(GetCsvField(quoted, 2), Utf8ToBig5("許"));
    EXPECT_EQ(GetCsvField(quoted, 3), "");
    EXPECT_EQ(GetCsvField(quoted, 5), "x");
    EXPECT_EQ(GetCsvField("1,,3", 2), "");
    EXPECT_EQ(GetCsvField("1,\"open", 2), "open");
    EXPECT_EQ(CountCsvCommas("\xA4\x2C,x"), 1);  // a comma byte after a lead byte is its trail byte

    // The fixed-width list: a six-digit number, "M" at 63 counts as other; a duet singer's "&".
    std::string fixed(66, ' ');
    fixed.replace(0, 6, "123456");
    fixed[6] = 'g';
    const std::string name = Utf8ToBig5("好歌");
    fixed.replace(8, name.size(), name);
    fixed.replace(41, 3, "A&B");
    fixed[62] = 'M';
    FieldList row;
    std::string number;
    ParseFixedWidthSongLine(fixed, row, number);
    EXPECT_EQ(number, "123456");
    EXPECT_EQ(row[colSingerClass], "3");
    EXPECT_EQ(row[colLanguage], "5");
    EXPECT_EQ(row[colSinger], "A  B");
    EXPECT_EQ(row[colSongName], name);
    // A name that fills its 31 bytes up to a lead byte keeps no lone lead byte.
    std::string cut = fixed;
    const std::string longName = Utf8ToBig5("一二三四五六七八九十一二三四五六");  // 32 bytes
    cut.replace(8, 31, longName.substr(0, 31));
    ParseFixedWidthSongLine(cut, row, number);
    EXPECT_EQ(row[colSongName], longName.substr(0, 30));
    WriteBytes(list.File("fixed.txt"), fixed.substr(0, 65) + "\r\n");
    ui.shown.clear();
    EXPECT_FALSE(ValidateFixedWidthList(list.File("fixed.txt")));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"檔案格式有誤:第1行長度不到66個字元"});
    std::string badLanguage = fixed;
    badLanguage[62] = 'Z';
    WriteBytes(list.File("fixed.txt"), "\r\n" + fixed + "\r\n" + badLanguage + "\r\n");
    ui.shown.clear();
    EXPECT_FALSE(ValidateFixedWidthList(list.File("fixed.txt")));
    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{"檔案格式有誤:第3行第63個字元不屬於[1,2,3,4,5,6,7,C,c,T,t,M,m,A,a]"});
}

TEST(SongListExchange, JetktvListFromAFolderAndTheSongListConversion) {
    TempFolder folder;
    test::FakeUserInterface ui;
    FakeHost host;
    TempSongLibrary library;
    library.Fill({});
    fs::create_directories(folder.File("國語/男歌手/sub"));
    WriteBytes(folder.File("國語/男歌手/sub/愛_王傑.MPG"), "m");
    WriteBytes(folder.File("readme.txt"), "not media");
    fs::create_directory_symlink(folder.File("國語"), folder.File("link"));
    host.folders = {folder.Path()};
    ui.answers = {true};
    N13Click();
    EXPECT_EQ(ui.Texts("ask"),
              std::vector<std::string>{"將以 " + folder.Path() + " 目錄產生JETKTV檔. 要繼續?"});
    const std::vector<std::string> lines = SplitTextLines(ReadBytes(library.Path("JETKTV.txt")));
    ASSERT_EQ(lines.size(), 1u);  // the link to a folder is not walked
    EXPECT_EQ(CountCsvCommas(lines[0]), 28);
    EXPECT_EQ(GetCsvField(lines[0], 1), "10001");
    EXPECT_EQ(GetCsvField(lines[0], 2), "20001");
    EXPECT_TRUE(lines[0].ends_with(",0,,,"));
    EXPECT_EQ(JetktvMediaPath(GetCsvField(lines[0], 22), GetCsvField(lines[0], 23)),
              folder.File("國語/男歌手/sub/愛_王傑.MPG"));
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{library.Path("JETKTV.txt") + " 產生完成"});

    // songlist.txt: name 20, singer 8, 4, 2, 2, 2, number 5, pinyin 10, each with a separator.
    std::string line = Utf8ToBig5("月亮代表我的心");
    line.resize(21, ' ');
    line += Utf8ToBig5("鄧麗君");
    line.resize(30, ' ');
    line += "xxxx a1 b2 zz 123   ylDBwdx   ";
    const std::string converted = ConvertSongListLine(line);
    EXPECT_EQ(converted.size(), 108u);
    std::string name = Utf8ToBig5("月亮代表我的心");
    name.resize(60, ' ');
    std::string singer = Utf8ToBig5("鄧麗君");
    singer.resize(16, ' ');
    EXPECT_EQ(converted, "00123:" + name + ";ylDBwdx   ;7 ;" + singer + ";1;2;4; ; ;");
    // A name cut inside a character at byte 20: the lone lead byte becomes a blank.
    const std::string split = " " + Utf8ToBig5("一二三四五六七八九十");  // 十 spans bytes 20 and 21
    const std::string splitLine = ConvertSongListLine(split + line.substr(21));
    EXPECT_EQ(splitLine.substr(6, 21), " " + Utf8ToBig5("一二三四五六七八九") + "  ");
    WriteBytes(folder.File("songlist.txt"), ";comment\r\n\r\n;only comments\r\n");
    host.files = {folder.File("songlist.txt"), folder.File("song1.txt")};
    ui.shown.clear();
    songlisttxtsong1txt1Click();
    EXPECT_EQ(ReadBytes(folder.File("song1.txt")), "");
    EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"轉檔完成"});
}

// ---- a copy killed half-way (power cut, kill -9) ----

// Kills this process at the given progress step of the large copies.
class KillAtStep final : public CopyProgressWindow {
public:
    explicit KillAtStep(int step) : step_(step) {}
    void Begin(const std::string&, const std::string&, std::int64_t) override {}
    bool Step(std::int64_t) override {
        if (++steps_ == step_) ::raise(SIGKILL);
        return true;
    }
    void End() override {}

private:
    int step_, steps_ = 0;
};

// Runs the command in a child process that is killed at the step-th megabyte of its large copies.
void KilledAtStep(int step, const std::function<void()>& command) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        KillAtStep window(step);
        SetCopyProgressWindow(&window);
        command();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the command ended before its kill";
}

// Our temporaries anywhere below folder.
std::vector<std::string> LeftoverCopies(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename().string().rfind(".qvcopy-", 0) == 0)
            found.push_back(entry.path().string());
    return found;
}

std::vector<std::string> EntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

constexpr std::uintmax_t Big = LargeCopyBytes + 5;  // a copy of nine progress steps, 1 MB each

// A program folder, started, and a list of three songs: a small file, a picture folder whose second
// picture is large, and a large file.
struct KillFixture {
    test::ProgramFolder program;
    TempFolder list, out;
    test::FakeUserInterface ui;
    FakeHost host;
    NoStartupWindow window;
    std::string listFile;

    KillFixture() {
        listFile = WriteList(list,
                             {Song("00201", "小", "甲", "1", "1"), Song("00202", "照片", "乙", "1", "2"),
                              Song("00203", "大", "丙", "1", "1")},
                             false);
        fs::remove(list.File("002/00202.mpg"));
        fs::create_directories(list.File("002/00202"));
        WriteBytes(list.File("002/00202/a.jpg"), "first picture");
        WriteBytes(list.File("002/00202/b.jpg"), "");
        fs::resize_file(list.File("002/00202/b.jpg"), Big);
        fs::resize_file(list.File("002/00203.mpg"), Big);
        Start();
    }
    bool Start() { return RunStartup(window); }
    void Import() {
        host.files = {listFile};
        QV21Click();
    }
};

TEST(SongListExchange, AKilledImportLeavesNoPartialCopyAfterTheNextStart) {
    KillFixture f;
    ASSERT_EQ(AllSongCount, 0);
    KilledAtStep(2, [&] { f.Import(); });  // in the picture folder's second picture
    EXPECT_EQ(EntriesOf(f.program.File("001")), std::vector<std::string>{"00101.mpg"});
    ASSERT_TRUE(f.Start());
    ASSERT_EQ(AllSongCount, 1);
    KilledAtStep(13, [&] { f.Import(); });  // the picture folder is in, the large file half copied
    EXPECT_TRUE(LeftoverCopies(f.program.File("001")).empty());
    EXPECT_EQ(EntriesOf(f.program.File("001")), (std::vector<std::string>{"00101.mpg", "00102"}));

    ASSERT_TRUE(f.Start());
    EXPECT_TRUE(LeftoverCopies(f.program.Path()).empty());
    EXPECT_FALSE(fs::exists(StagingFolder()));
    ASSERT_EQ(AllSongCount, 2);
    EXPECT_EQ(Big5ToUtf8(AllSong[1][colSongName]), "照片");
    EXPECT_EQ(EntriesOf(f.program.File("001/00102")), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(fs::file_size(f.program.File("001/00102/b.jpg")), Big);

    f.Import();  // the rest comes in whole; nothing of ours stays behind
    ASSERT_EQ(AllSongCount, 3);
    EXPECT_EQ(fs::file_size(f.program.File("001/00103.mpg")), Big);
    EXPECT_TRUE(LeftoverCopies(f.program.Path()).empty());
    EXPECT_FALSE(fs::exists(StagingFolder()));
}

// An export or range copy killed half-way leaves its temporaries in the folder it writes to; its next run
// there removes them, and nothing half copied ever bears a song's name.
TEST(SongListExchange, KilledExportsLeaveNoPartialCopyAfterTheirNextRun) {
    KillFixture f;
    f.Import();
    ASSERT_EQ(AllSongCount, 3);
    const std::string listOut = f.out.File("new.txt");
    auto exportNew = [&] {
        f.host.files = {listOut};
        N3Click();
    };
    KilledAtStep(2, exportNew);
    EXPECT_FALSE(fs::exists(f.out.File("001/00102")));
    KilledAtStep(13, exportNew);
    EXPECT_FALSE(fs::exists(f.out.File("001/00103.mpg")));
    EXPECT_FALSE(LeftoverCopies(f.out.Path()).empty());
    exportNew();
    EXPECT_TRUE(LeftoverCopies(f.out.Path()).empty());
    EXPECT_EQ(EntriesOf(f.out.File("001")), (std::vector<std::string>{"00101.mpg", "00102", "00103.mpg"}));
    EXPECT_EQ(fs::file_size(f.out.File("001/00102/b.jpg")), Big);

    const std::string range = f.out.File("range");
    auto copyRange = [&] {
        f.host.folders = {range};
        f.ui.ranges = {{"00101", "00103"}};
        ExportSongRange();
    };
    KilledAtStep(13, copyRange);
    EXPECT_EQ(EntriesOf(range).size(), 3u);  // two songs and the half-copied third under our name
    copyRange();
    EXPECT_TRUE(LeftoverCopies(range).empty());
    EXPECT_EQ(EntriesOf(range),
              (std::vector<std::string>{"大_丙_男歌手_國語.mpg", "小_甲_男歌手_國語.mpg", "照片_乙_男歌手_國語"}));
    EXPECT_EQ(fs::file_size(range + "/照片_乙_男歌手_國語/b.jpg"), Big);  // whole
    EXPECT_EQ(fs::file_size(range + "/大_丙_男歌手_國語.mpg"), fs::file_size(f.out.File("001/00103.mpg")));
    EXPECT_FALSE(fs::exists(StagingFolder()));
}

}  // namespace
}  // namespace qv
