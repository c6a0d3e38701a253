#pragma once
// Every row order of the system: the list view's header sorts, the song books' order and the compares
// that the index writers pass to their sorts. Items are AllSong row numbers unless said otherwise.
#include <functional>
#include <string>
#include <vector>

#include "catalogue/SongTable.h"

namespace qv {

// Collation of the catalogue's Big5 texts (byte order: stroke order for Chinese); -1, 0 or 1.
int LocaleCompare(const std::string& a, const std::string& b);
// Plain byte-wise comparison, a proper prefix first; -1, 0 or 1.
int ByteCompare(const std::string& a, const std::string& b);

int CompareRowIndex(int a, int b);
int CompareAlnum(const std::string& a, const std::string& b);
int CompareSongBookOrder(int a, int b);
// Sorts song-table rows (each at most once) as std::sort with CompareSongBookOrder does, for many rows
// at once.
void SortBySongBookOrder(std::vector<int>& rows);
int CompareSingerOrder(int a, int b);
int CompareLanguageSingerOrder(int a, int b);
int CompareZtSingerOrder(int a, int b);
// Sorts rows as SortItems with CompareZtSingerOrder does, for many rows at once, taking each row from rowOf
// (an index run's rows beyond the table too); step is called every few thousand rows and comparisons and
// may throw (the rows are then in no particular order). The rows are distinct; rowOf and step are called
// from several threads at once.
void SortByZtSingerOrder(std::vector<int>& rows, const std::function<const SongRow&(int)>& rowOf,
                         const std::function<void()>& step);
int CompareLowerName(int a, int b);
int CompareNameGroupsFirst(int a, int b);
int CompareNameWordsStrokes(int a, int b);
int CompareLowerSinger(int a, int b);
int CompareSingerGroupsFirst(int a, int b);
int CompareSingerWordsStrokes(int a, int b);
int CompareLowerLanguage(int a, int b);
int CompareClassGroupsFirst(int a, int b);
int CompareClassCode(int a, int b);

// Line compares of the index writers: items index into their list of lines.
int CompareLineByHeadAndTail(const std::vector<std::string>& lines, int a, int b);
int CompareLineByKindAndNumber(const std::vector<std::string>& lines, int a, int b);
int CompareLineByLeadNumber(const std::vector<std::string>& lines, int a, int b);
int CompareLineByCodeAndPrefix(const std::vector<std::string>& lines, int a, int b);

// Sorts a list of items with a three-way compare (unstable, like the platform list's quicksort).
void SortItems(std::vector<int>& items, const std::function<int(int, int)>& compare);
// Sorts line indices 0..n-1 of a line list; the list itself is reordered to match.
void SortLines(std::vector<std::string>& lines, int (*compare)(const std::vector<std::string>&, int, int));

// Header sort states, one per sort button: 0 song-table order, 1 groups first, 2 book-like order.
extern int NameSortState;
extern int SingerSortState;
extern int ClassSortState;
extern std::vector<int> SortGroupRuns;  // per AllSong row: length of its run of equal texts

enum class SortButton { Name, Singer, Class };
// Advances the button's state and reorders ShownRows by it.
void HeaderSort(SortButton button);
void ResetSortStates();

// What the grid shows in a cell of a song-table row (class and language names, volume 10..15,
// channel 左/右, "@" as ◎). Big5.
std::string DisplayCell(int row, int column);

}  // namespace qv
