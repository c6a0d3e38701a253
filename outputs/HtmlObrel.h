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

// Writes the new book (the icon fetched when it can be, every page) beside the folder and puts it in place
// of the old one once whole; the old book's files go, its folders stay in the new one. False, after an
// error box naming the file, with the old book as it was, when anything cannot be written.
bool WriteOfflineObrelBook(const std::function<void(int percent)>& progress = {});

// Finishes or undoes a run that was cut short (a kill, a power cut), so that the folder holds the whole
// old or the whole new book and nothing of the run is left beside it. Every run starts with it; so does
// the program. A folder of the run that cannot be put back without going through a link stays where it
// is, and the user is told (false).
bool TidyOfflineObrelBook();

// For tests that cut a run short: step is called at each step of a run (each page written, each move of
// the swap); without exchange the swap takes the two renames used where folders cannot be exchanged.
struct ObrelRunHooks {
    std::function<void()> step;
    bool exchange = true;
};
ObrelRunHooks& TheObrelRunHooks();

std::string ObrelFolder();

}  // namespace qv
