#include "library/Qvi05Template.h"

#include <sqlite3.h>

#include <filesystem>

#include "catalogue/TextFile.h"

namespace qv {
namespace {

// Filled by position: the column order is what the jukebox relies on.
constexpr const char* kSchema = R"sql(
CREATE TABLE ktv_song (
  song_no TEXT, song_path TEXT, song_name TEXT, singer TEXT, zhuyin TEXT, word_count INTEGER,
  volume INTEGER, track INTEGER, language TEXT, file_name TEXT, play_flag INTEGER, play_count INTEGER,
  add_date TEXT, singer_class INTEGER, song_kind TEXT, remark TEXT, strokes INTEGER, file_size REAL,
  extra TEXT);
CREATE TABLE ktv_singer (
  singer_id INTEGER, singer TEXT, singer_class TEXT, zhuyin TEXT, strokes INTEGER, singer_kind TEXT,
  remark TEXT);
)sql";

bool WriteDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
                  SQLITE_OK &&
              sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (sqlite3_close(db) != SQLITE_OK) ok = false;
    return ok;
}

}  // namespace

bool WriteQvi05Template(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return true;
    const std::string temporary = path + ".new";
    std::filesystem::remove(temporary, ec);
    bool ok = WriteDatabase(temporary);
    // A database that appeared meanwhile is kept.
    if (ok) ok = RenameNoReplace(temporary, path);
    if (!ok) std::filesystem::remove(temporary, ec);
    return ok;
}

}  // namespace qv
