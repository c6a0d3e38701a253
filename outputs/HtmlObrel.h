#pragma once
// The offline HTML song book: static Big5 pages in the program folder's "obrel" folder, 50 songs a page
// by language and word count, with a redirect page "obrel.html" to the first one.
#include <functional>
#include <string>
#include <vector>

namespace qv {

// One song of the book: the catalogue's texts, names and singers with a cut character repaired.
struct ObrelBookRow {
    std::string songNo, name, singer;
    int language = 5;  // 1..9, then 10 for the new-songs copies and 11 for the favourites
    std::string wordCount, strokes;
};

// The rows in song-book order (special-deleted songs left out), then the copies of the new songs ("*"
// only) and of the favourites.
std::vector<ObrelBookRow> ObrelBookRows();

// The pages of the rows, by file name, in the order they are written; the redirect page last.
struct ObrelPage {
    std::string fileName;
    std::string bytes;  // Big5, CR LF
};
std::vector<ObrelPage> ObrelBookPages(const std::vector<ObrelBookRow>& rows,
                                      const std::function<void(int percent)>& progress = {});

// Empties the folder, fetches the icon (a failure is ignored) and writes every page. False, after an
// error box naming the file, when the folder or a page cannot be written.
bool WriteOfflineObrelBook(const std::function<void(int percent)>& progress = {});

std::string ObrelFolder();

}  // namespace qv
