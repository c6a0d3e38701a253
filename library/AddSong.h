#pragma once
// Adding songs from media files: the add panel's checks and field list, the one shared operation that
// copies a media file into its numbered song folder and appends its record (AddSongFile), and the batch
// add with its report. Catalogue texts are Big5; paths are UTF-8.
#include <functional>
#include <string>
#include <vector>

#include "catalogue/SongRecord.h"
#include "library/FileNameParser.h"

namespace qv {

// Set by AddSongFile when a copy would break the free-space reserve.
extern bool DiskFull;

// The add panel as the commands see it.
struct AddPanel {
    std::string folder;                      // the folder shown in the folder tree
    std::vector<std::string> selectedFiles;  // full paths of the chosen files, in list order
    std::string songName, singer, strokes, pinyin;
    int wordIndex = 0;    // word-count box: index 0..10 (word count - 1, 10 = more than ten); -1 none
    int sexIndex = -1;    // singer class button 0..7 (class code - 1); -1 none
    int classIndex = -1;  // language button 0..8 (language code - 1); -1 none
    bool fuzzy = false;   // "歌名模糊比對"
};

// What the adding commands need from the main window; members left empty do nothing, except
// askPictureFolder and showBatchReport, which fall back to the plain boxes of UI().
struct AddSongHooks {
    std::function<void()> resetFilters;      // untick the special-delete and new-song filters, combos to 0
    std::function<void()> refreshGridToEnd;  // rebuild the list view and scroll to its last row
    std::function<bool(const std::string& folderName)> askPictureFolder;         // the picture-folder dialog
    std::function<void(const std::vector<std::string>& lines)> showBatchReport;  // the report window
};
AddSongHooks& TheAddSongHooks();

// The radio index for a code index n: n itself when n + 1 is within 1..count, else -1 (none checked).
int RadioIndex(int n, int count);

// 1..8: the class whose bracketed name ends the singer display entry; 5 when none does.
int SingerSuffixClass(const std::string& entry);

// What typing a song name fills in: strokes of its first character, word-count index, reading code
// (Japanese when the language index is 5, "日語", else pinyin). An empty name clears them.
struct NameCodes {
    std::string strokes;
    int wordIndex = 0;
    std::string pinyin;
};
NameCodes CodesForName(const std::string& songName, int classIndex);

// Choosing one file: its name gives the song name, singer, singer class and language (by the name form
// of the settings).
void FillPanelFromFile(AddPanel& panel, const std::string& path);

// The singer combo's items for the singer text: the display entries containing it (letter case ignored),
// or the whole display list when the text is empty or nothing matches.
std::vector<std::string> SingerChoicesFor(const std::string& singerText);

// Choosing a singer combo entry: the singer without its class suffix and the class and language buttons.
struct SingerChoice {
    std::string singer;
    int sexIndex = -1;
    int classIndex = -1;
};
SingerChoice ChooseSingerEntry(const std::string& entry);

// True for a ".mpg" or ".dat" file holding "TMPGEnc" in its 500 bytes from offset 2000.
bool IsTmpgEncMpeg(const std::string& path);

// The name-format settings the add commands parse media file names with.
NameParseSettings CurrentNameParseSettings();
// One of the sixteen media extensions, letter case ignored.
bool HasMediaExtension(const std::string& path);

// The new song's 26 fields from the panel.
FieldList BuildNewSongFields(const AddPanel& panel);

// Copies the media file (or, for a picture song, the files of the folder) into the next song number's
// folder under the numbered name and appends the song. False when the library is full, the folder cannot
// be made, the reserve of free space would be broken (DiskFull set), the copy fails or is cancelled, or
// the record cannot be appended; then nothing of the song is left behind.
bool AddSongFile(FieldList& fields, const std::string& source, bool picture);

// "新增": adds the one chosen file, or with none the current folder as a picture song. Clears the
// panel's texts after a success.
bool AddSelectedSong(AddPanel& panel);

// "批量": adds every chosen file (forms 5 and 6: every file under the folder) and reports the result.
struct BatchAddResult {
    int sources = 0;
    std::vector<std::string> succeeded, failed, warned;  // report lines, Big5
    std::vector<std::string> report;                     // the whole report, empty when all succeeded
};
BatchAddResult AddSongsInBatch(const AddPanel& panel);

// The report's lines; lines is what the report window shows.
std::vector<std::string> BatchReportLines(const BatchAddResult& result);

// Saves the report's lines (Big5, CR LF) and shows "存檔完成"; false after an error box.
bool SaveBatchReport(const std::string& path, const std::vector<std::string>& lines);

}  // namespace qv
