#include "outputs/Qvi05Database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
#include "library/Qvi05Template.h"
#include "resources/ShippedData.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

// The rows of a query as text; REAL values in SQLite's own text form.
Rows Query(const std::string& db, const std::string& sql) {
    sqlite3* handle = nullptr;
    Rows rows;
    EXPECT_EQ(sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(handle, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const unsigned char* text = sqlite3_column_text(st, c);
            row.emplace_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
        rows.push_back(row);
    }
    sqlite3_finalize(st);
    sqlite3_close(handle);
    return rows;
}

Rows ReadTable(const std::string& db, const std::string& table) {
    return Query(db, "SELECT * FROM " + table + " ORDER BY rowid");
}

void Execute(const std::string& db, const std::string& sql) {
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(handle);
    sqlite3_close(handle);
}

std::string Today() {
    char text[16];
    const time_t now = std::time(nullptr);
    std::strftime(text, sizeof text, "%-m/%-d/%Y", std::localtime(&now));
    return text;
}

// A library whose root path holds quotes and Chinese, its template database and a song table of
// UTF-8 texts; the shipped character table gives the Zhuyin initials (none for Latin letters).
class Qvi05DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        LibraryRoot = AppDir = temp.File("歌庫 it's \"QV\"");
        fs::create_directories(LibraryRoot + "/000");
        ASSERT_TRUE(WriteQvi05Template(Database()));
        test::WriteBytes(temp.File("singer.bin"), ShippedSingerBin());
        AppDir = temp.Path();
        LoadSingerBin();
        setup::PingYing = 0;
    }
    void TearDown() override {
        AllSong.clear();
        AllSongCount = 0;
        LibraryRoot = AppDir = ".";
    }
    static std::string Database() { return LibraryRoot + "/000/qvi05.data"; }
    static std::string Root() { return LibraryRoot; }

    static void Song(const std::string& no, const std::string& name, const std::string& singer,
                     const std::string& language, const std::string& singerClass, const std::string& words,
                     const std::string& strokes, const std::string& singerWords,
                     const std::string& singerStrokes, const std::string& newMark = "",
                     const std::string& special = "") {
        SongRow row = test::TempSongLibrary::Song(no, name, singer, language, singerClass);
        row[colWordCount] = words;
        row[colStrokes] = strokes;
        row[colSingerWordCount] = singerWords;
        row[colSingerStrokes] = singerStrokes;
        row[colNewMark] = newMark;
        row[colSpecialDel] = special;
        AllSong.push_back(row);
        AllSongCount = static_cast<int>(AllSong.size());
    }
    static void Media(const std::string& relative, uintmax_t size) {
        const std::string path = LibraryRoot + "/" + relative;
        fs::create_directories(fs::path(path).parent_path());
        test::WriteBytes(path, "");
        fs::resize_file(path, size);
    }

    void FillFixture() {
        Song("00101", "月亮代表我的心", "鄧麗君", "1", "2", "7", "4", "3", "19", "*");
        Song("00102", "Don't Cry", "Guns N' Roses", "4", "7", "2", "0", "3", "0");
        Song("00103", "甜蜜蜜", "鄧麗君", "", "2", "3", "14", "3", "19");
        Song("00104", "特刪歌", "特刪歌手", "1", "1", "3", "10", "4", "10", "", "X");
        Song("00105", "小星星", "A-Lin", "9", "6", "", "", "", "");
        Song("00201", "aa song", "aa", "10", "3", "2", "0", "1", "0", "*");
        Song("00202", "Bb song", "Bb", "6", "1", "2", "0", "1", "0");
        Media("001/00101.mpg", 5'012'345);
        Media("001/00102.mp3", 1'500'000);
        Media("001/00104.mpg", 10);
        Media("001/00105/1.jpg", 100);
        Media("001/00105/2.jpg", 200);
        Media("002/00202B1.mpg", 7);
        Media("002/00202.avi", 0);
    }

    test::TempFolder temp;
    test::FakeUserInterface ui;
};

TEST_F(Qvi05DatabaseTest, FillsBothTablesWithTheRowsOfTheSongTable) {
    FillFixture();
    ASSERT_TRUE(WriteQvi05Database());
    ASSERT_TRUE(WriteQvi05Database());  // refilled, not appended to

    const std::string song = Root() + "/001/", none = Root() + "/000/", second = Root() + "/002/";
    const std::string today = Today();
    const Rows songs{
        {"00101", song, "月亮代表我的心", "鄧麗君", "ㄩㄌㄉㄅㄨㄉㄒ", "7", "100", "1", "國語", "00101.mpg",
         "1", "0", today, "1", "7", "", "4", "5.012345", ""},
        {"00102", song, "Don't Cry", "Guns N' Roses", "", "2", "100", "1", "英語", "00102.mp3", "1", "0",
         "1/1/2018", "7", "7", "", "0", "1.5", ""},
        {"00103", none, "甜蜜蜜", "鄧麗君", "ㄊㄇㄇ", "3", "100", "1", "其他", "000.jpg", "1", "0",
         "1/1/2018", "1", "7", "", "14", "0.0", ""},
        {"00105", song, "小星星", "A-Lin", "ㄒㄒㄒ", "0", "100", "1", "兒歌", "00105", "1", "0", "1/1/2018",
         "3", "7", "", "0", "0.0003", ""},
        {"00201", none, "aa song", "aa", "", "2", "100", "1", "其他", "000.jpg", "1", "0", today, "2", "7",
         "", "0", "0.0", ""},
        {"00202", second, "Bb song", "Bb", "", "2", "100", "1", "日語", "00202.avi", "1", "0", "1/1/2018",
         "0", "7", "", "0", "0.0", ""},
    };
    EXPECT_EQ(ReadTable(Database(), "ktv_song"), songs);
    // Ordered by word count, strokes (empty counting 0), then lower-cased name: aa before Bb.
    const Rows singers{
        {"1", "A-Lin", "3", "", "0", "7", ""},
        {"2", "aa", "2", "", "0", "7", ""},
        {"3", "Bb", "0", "", "0", "7", ""},
        {"4", "Guns N' Roses", "7", "", "0", "7", ""},
        {"5", "鄧麗君", "1", "ㄉㄌㄐ", "19", "7", ""},
    };
    EXPECT_EQ(ReadTable(Database(), "ktv_singer"), singers);
    EXPECT_EQ(Query(Database(),
                    "SELECT typeof(song_no), typeof(word_count), typeof(file_size) FROM ktv_song "
                    "LIMIT 1"),
              (Rows{{"text", "integer", "real"}}));

    EXPECT_EQ(ui.Texts("wait"),
              (std::vector<std::string>{"Qvi05索引檔產生中, 請稍候 ...", "Qvi05索引檔產生中, 請稍候 ..."}));
    EXPECT_EQ(ui.Texts("info"), (std::vector<std::string>{"QVi05索引檔輸出完成", "QVi05索引檔輸出完成"}));
    EXPECT_TRUE(ui.Texts("error").empty());
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(ui.lastProgress, 0);
}

TEST_F(Qvi05DatabaseTest, AFailureHalfWayRollsBackAndKeepsThePreviousContents) {
    FillFixture();
    ASSERT_TRUE(WriteQvi05Database());
    const Rows songs = ReadTable(Database(), "ktv_song");
    const Rows singers = ReadTable(Database(), "ktv_singer");
    ASSERT_EQ(songs.size(), 6u);

    Execute(Database(),
            "CREATE TRIGGER refuse BEFORE INSERT ON ktv_song WHEN NEW.song_no = '00201' "
            "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
    AllSong[0][colSongName] = Utf8ToBig5("新名字");
    EXPECT_FALSE(WriteQvi05Database());

    EXPECT_EQ(ui.Texts("error"),
              std::vector<std::string>{"QVi05索引檔輸出失敗[" + Database() + "]\r\nrefused by the test"});
    EXPECT_EQ(ReadTable(Database(), "ktv_song"), songs);
    EXPECT_EQ(ReadTable(Database(), "ktv_singer"), singers);
    EXPECT_FALSE(ui.waitVisible);
    EXPECT_EQ(ui.lastProgress, 0);
    EXPECT_FALSE(fs::exists(Database() + "-journal"));
}

TEST_F(Qvi05DatabaseTest, BadDatabasesAreReportedAndLeftAsTheyWere) {
    FillFixture();
    const std::string failed = "QVi05索引檔輸出失敗[" + Database() + "]\r\n";

    // Locked by another connection's write transaction: the fill waits its time-out, then reports.
    ASSERT_TRUE(WriteQvi05Database());
    const Rows songs = ReadTable(Database(), "ktv_song");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(Database().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; DELETE FROM ktv_song", nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_FALSE(WriteQvi05Database(50));
    EXPECT_EQ(ui.Texts("error").back(), failed + "資料庫正由其他程式使用中, 請稍後再試.");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(ReadTable(Database(), "ktv_song"), songs);

    // A template of an older shape is not touched.
    fs::remove(Database());
    Execute(Database(),
            "CREATE TABLE ktv_song (song_no TEXT, song_name TEXT); CREATE TABLE ktv_singer (a);"
            "INSERT INTO ktv_song VALUES ('00001', 'kept')");
    EXPECT_FALSE(WriteQvi05Database());
    EXPECT_EQ(ui.Texts("error").back(), failed + "資料庫的表格格式不符(舊版的資料庫?), 資料庫未變更.");
    EXPECT_EQ(ReadTable(Database(), "ktv_song"), (Rows{{"00001", "kept"}}));

    // Not a database at all.
    test::WriteBytes(Database(), std::string(4096, 'x'));
    EXPECT_FALSE(WriteQvi05Database());
    EXPECT_EQ(ui.Texts("error").back(), failed + "資料庫檔案已損壞.");
    EXPECT_EQ(test::ReadBytes(Database()), std::string(4096, 'x'));

    // Read-only (only observable when the test does not run with root's rights).
    ASSERT_TRUE(fs::remove(Database()));
    ASSERT_TRUE(WriteQvi05Template(Database()));
    ::chmod(Database().c_str(), 0444);
    if (::access(Database().c_str(), W_OK) != 0) {
        EXPECT_FALSE(WriteQvi05Database());
        EXPECT_EQ(ui.Texts("error").back(), failed + "資料庫檔案無法寫入.");
        EXPECT_TRUE(ReadTable(Database(), "ktv_song").empty());
    }
    ::chmod(Database().c_str(), 0644);

    // Missing: the error box and no new file.
    const size_t errors = ui.Texts("error").size(), waits = ui.Texts("wait").size();
    fs::remove(Database());
    EXPECT_FALSE(WriteQvi05Database());
    EXPECT_EQ(ui.Texts("error").size(), errors + 1);
    EXPECT_EQ(ui.Texts("error").back(), "找不到[" + Database() + "]");
    EXPECT_FALSE(fs::exists(Database()));
    EXPECT_EQ(ui.Texts("wait").size(), waits);
    EXPECT_FALSE(ui.waitVisible);
}

}  // namespace
}  // namespace qv
