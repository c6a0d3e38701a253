#pragma once
// The PC jukebox's song list: the QVi05 database (an SQLite file, "000/qvi05.data" of the library root)
// emptied and refilled from the song table, one song row per song that is not special-deleted and one
// singer row per distinct singer. Catalogue texts are Big5 here; the database holds UTF-8.
#include <string>

namespace qv {

// How long a fill waits for another program's write transaction on the database before it reports.
constexpr int Qvi05BusyTimeoutMs = 3000;

std::string Qvi05DatabasePath();

// Fills the database under the wait window with the progress bar, then tells the user. Everything goes
// in one transaction: after any error (missing, locked, read-only, corrupt or old-shaped database) the
// error box names the database and its previous contents stay. True when it was filled.
bool WriteQvi05Database(int busyTimeoutMs = Qvi05BusyTimeoutMs);

// Menu 輸出QVi05索引檔.
void XVorelKTV1Click();

// One singer of the singer table, as the first song that carries it gives it.
struct Qvi05SingerRow {
    std::string singer;
    std::string singerClass;  // in the jukebox's coding
    std::string zhuyin;
    std::string wordCount;  // colSingerWordCount
    std::string strokes;    // colSingerStrokes
};

// Order of the singer rows: word count, then strokes (an empty value counts 0), then the lower-cased
// names; -1, 0 or 1.
int CompareSingerRows(const Qvi05SingerRow& a, const Qvi05SingerRow& b);

// A singer class code of the song list in the jukebox's coding: 1 -> 0, 2 -> 1, 3 -> 2, 6 -> 3, any
// other code as it is.
std::string JukeboxSingerClass(const std::string& code);

}  // namespace qv
