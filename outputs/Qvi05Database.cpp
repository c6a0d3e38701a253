#include "outputs/Qvi05Database.h"

#include <sqlite3.h>

#include <ctime>
#include <map>
#include <numeric>
#include <unordered_set>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/DiskFiles.h"
#include "library/SongFiles.h"
#include "settings/Settings.h"

namespace qv {
namespace {

constexpr int SongColumns = 19;
constexpr int SingerColumns = 7;
constexpr char OldSongDate[] = "1/1/2018";

// Ends a fill; the reason is shown to the user (Big5).
struct FillFailed {
    std::string reason;
};

FillFailed FailureOf(sqlite3* db) {
    switch (sqlite3_errcode(db) & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return FillFailed{B5("資料庫正由其他程式使用中, 請稍後再試.")};
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return FillFailed{B5("資料庫檔案無法寫入.")};
        case SQLITE_CANTOPEN:
            return FillFailed{B5("資料庫檔案無法開啟.")};
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return FillFailed{B5("資料庫檔案已損壞.")};
        case SQLITE_FULL:
            return FillFailed{B5("磁碟空間不足.")};
        default:
            return FillFailed{sqlite3_errmsg(db)};
    }
}

[[noreturn]] void Fail(sqlite3* db) { throw FailureOf(db); }

// A connection that rolls back whatever it has not committed.
class Connection {
public:
    Connection(const std::string& path, int busyTimeoutMs) {
        // Never created here: a database that vanished is an error, not a new empty file.
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            Refuse(FailureOf(db_));
        sqlite3_busy_timeout(db_, busyTimeoutMs);
        if (sqlite3_db_readonly(db_, "main") == 1) Refuse(FillFailed{B5("資料庫檔案無法寫入.")});
    }
    ~Connection() {
        if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    operator sqlite3*() const { return db_; }
    void Exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db_);
    }

private:
    // The constructor's failures: no destructor runs for them.
    [[noreturn]] void Refuse(const FillFailed& failure) {
        sqlite3_close(db_);
        throw failure;
    }
    sqlite3* db_ = nullptr;
};

// A prepared statement run once per row with its values bound: no value ever becomes SQL text.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st_, nullptr) != SQLITE_OK) Fail(db);
    }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Text(int column, const std::string& value) {
        Check(sqlite3_bind_text(st_, column, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
    }
    void Int(int column, int64_t value) { Check(sqlite3_bind_int64(st_, column, value)); }
    void Real(int column, double value) { Check(sqlite3_bind_double(st_, column, value)); }
    void Run() {
        if (sqlite3_step(st_) != SQLITE_DONE) Fail(db_);
        sqlite3_reset(st_);
    }
    // The single integer the statement yields.
    int64_t Count() {
        if (sqlite3_step(st_) != SQLITE_ROW) Fail(db_);
        const int64_t value = sqlite3_column_int64(st_, 0);
        sqlite3_reset(st_);
        return value;
    }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) Fail(db_);
    }
    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
};

std::string InsertSql(const char* table, int columns) {
    std::string sql = std::string("INSERT INTO ") + table + " VALUES(?";
    for (int i = 1; i < columns; ++i) sql += ",?";
    return sql + ")";
}

// A template of another shape would take the rows in the wrong columns or refuse them half way.
void CheckShape(sqlite3* db) {
    Statement columns(db, "SELECT count(*) FROM pragma_table_info(?)");
    columns.Text(1, "ktv_song");
    const bool songOk = columns.Count() == SongColumns;
    columns.Text(1, "ktv_singer");
    if (!songOk || columns.Count() != SingerColumns)
        throw FillFailed{B5("資料庫的表格格式不符(舊版的資料庫?), 資料庫未變更.")};
}

// Today in the month/day/year form of the fixed date of old songs.
std::string TodayText() {
    const time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_mon + 1) + "/" + std::to_string(local.tm_mday) + "/" +
           std::to_string(local.tm_year + 1900);
}

// The song folders' items, each folder listed once while its songs are walked.
class FolderItems {
public:
    std::string Find(const std::string& folder, const std::string& songNo) {
        if (!listed_ || folder != folder_) {
            items_ = SongItemsOfFolder(folder);
            folder_ = folder;
            listed_ = true;
        }
        const auto it = items_.find(songNo.substr(0, 5));
        return it == items_.end() ? std::string() : it->second;
    }

private:
    bool listed_ = false;
    std::string folder_;
    std::map<std::string, std::string> items_;
};

// Moves the progress bar only when its value changes, keeping the window painted.
class Progress {
public:
    void Show(int value) {
        if (value == shown_) return;
        shown_ = value;
        UI().SetProgress(value, 100);
        UI().ProcessEvents();
    }

private:
    int shown_ = -1;
};

void Fill(const std::string& path, int busyTimeoutMs) {
    Connection db(path, busyTimeoutMs);
    // The write lock is taken at once, so a busy database is found before anything changes.
    db.Exec("BEGIN IMMEDIATE");
    CheckShape(db);
    db.Exec("DELETE FROM ktv_song");
    db.Exec("DELETE FROM ktv_singer");

    const std::string today = TodayText();
    const std::string noMediaFolder = PathIn(LibraryRoot, "000") + "/";
    Statement song(db, InsertSql("ktv_song", SongColumns));
    FolderItems items;
    Progress progress;
    std::unordered_set<std::string> seenSingers;
    std::vector<Qvi05SingerRow> singers;
    for (int i = 0; i < AllSongCount; ++i) {
        const SongRow& row = AllSong[i];
        if (row[colSpecialDel] == "X") continue;
        const std::string folder = SongFolderOf(row[colSongNo]);
        const std::string item = items.Find(folder, row[colSongNo]);
        const std::string singerClass = JukeboxSingerClass(row[colSingerClass]);
        const int64_t size = item.empty() ? 0 : FileOrFolderSize(PathIn(folder, item));
        song.Text(1, Big5ToUtf8(row[colSongNo]));
        song.Text(2, item.empty() ? noMediaFolder : folder + "/");
        song.Text(3, Big5ToUtf8(row[colSongName]));
        song.Text(4, Big5ToUtf8(row[colSinger]));
        song.Text(5, Big5ToUtf8(MakeZhuyin(row[colSongName], setup::PingYing)));
        song.Int(6, SafeStrToInt(row[colWordCount]));
        song.Int(7, 100);
        song.Int(8, 1);
        song.Text(9, Big5ToUtf8(LanguageNameOfCode(SafeStrToInt(row[colLanguage]))));
        song.Text(10, item.empty() ? "000.jpg" : item);
        song.Int(11, 1);
        song.Int(12, 0);
        song.Text(13, row[colNewMark].empty() ? OldSongDate : today);
        song.Int(14, SafeStrToInt(singerClass));
        song.Text(15, "7");
        song.Text(16, "");
        song.Int(17, SafeStrToInt(row[colStrokes]));
        song.Real(18, static_cast<double>(size) / 1e6);
        song.Text(19, "");
        song.Run();
        if (seenSingers.insert(row[colSinger]).second)
            singers.push_back({row[colSinger], singerClass, MakeZhuyin(row[colSinger], setup::PingYing),
                               row[colSingerWordCount], row[colSingerStrokes]});
        progress.Show(static_cast<int>(static_cast<int64_t>(i) * 90 / AllSongCount));
    }

    std::vector<int> order(singers.size());
    std::iota(order.begin(), order.end(), 0);
    SortItems(order, [&singers](int a, int b) { return CompareSingerRows(singers[a], singers[b]); });
    Statement singer(db, InsertSql("ktv_singer", SingerColumns));
    for (size_t k = 0; k < order.size(); ++k) {
        const Qvi05SingerRow& s = singers[order[k]];
        progress.Show(static_cast<int>(k * 10 / order.size()) + 90);
        singer.Int(1, static_cast<int64_t>(k) + 1);
        singer.Text(2, Big5ToUtf8(s.singer));
        singer.Text(3, s.singerClass);
        singer.Text(4, Big5ToUtf8(s.zhuyin));
        singer.Int(5, SafeStrToInt(s.strokes));
        singer.Text(6, "7");
        singer.Text(7, "");
        singer.Run();
    }
    db.Exec("COMMIT");
}

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

std::string Qvi05DatabasePath() { return PathIn(LibraryRoot, "000/qvi05.data"); }

std::string JukeboxSingerClass(const std::string& code) {
    if (code == "1") return "0";
    if (code == "2") return "1";
    if (code == "3") return "2";
    if (code == "6") return "3";
    return code;
}

int CompareSingerRows(const Qvi05SingerRow& a, const Qvi05SingerRow& b) {
    if (int c = Sign(SafeStrToInt(a.wordCount) - SafeStrToInt(b.wordCount))) return c;
    if (int c = Sign(SafeStrToInt(a.strokes) - SafeStrToInt(b.strokes))) return c;
    return LocaleCompare(LowerCaseBig5(a.singer), LowerCaseBig5(b.singer));
}

bool WriteQvi05Database(int busyTimeoutMs) {
    const std::string path = Qvi05DatabasePath();
    const std::string shownPath = Utf8ToBig5(path);
    if (!FileExists(path)) {
        UI().ShowErrorBox(B5("找不到[") + shownPath + "]");
        return false;
    }
    UI().ShowWaitMessage(B5("Qvi05索引檔產生中, 請稍候 ..."));
    std::string failure;
    try {
        Fill(path, busyTimeoutMs);
    } catch (const FillFailed& failed) {
        failure = failed.reason.empty() ? B5("未知的錯誤.") : failed.reason;
    }
    UI().HideWaitMessage();
    if (!failure.empty()) {
        UI().SetProgress(0, 100);
        UI().ShowErrorBox(B5("QVi05索引檔輸出失敗[") + shownPath + "]\r\n" + failure);
        return false;
    }
    UI().SetProgress(100, 100);
    UI().ShowInfoMessage(B5("QVi05索引檔輸出完成"));
    UI().SetProgress(0, 100);
    return true;
}

void XVorelKTV1Click() { WriteQvi05Database(); }

}  // namespace qv
