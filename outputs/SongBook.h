#pragma once
// The song books: printable catalogues written as workbooks into the program folder from the template
// workbooks shipped beside the program, one copied template sheet per page. Texts are Big5.
#include <functional>
#include <string>

#include "platform/Spreadsheet.h"

namespace qv {

// The spreadsheet engine of the song books; null until the start-up installs one (tests set their own).
Spreadsheet* SongBookEngine();
void SetSongBookEngine(Spreadsheet* engine);

// The template sheets bound by OpenBookTemplate, by name (items move as pages are put before them).
extern std::string ExcelSheetChinese, ExcelSheetEnglish, ExcelSheetStrokes;

inline constexpr char SongBookTemplateName[] = "歌簿格式.xls";
inline constexpr char SingerBookTemplateName[] = "歌手歌簿格式.xls";
inline constexpr int EnglishSongsPerPage = 25;

// Opens a template workbook and binds its sheets; false after its error box.
bool OpenBookTemplate(const std::string& path);
// Saves the open workbook as AppDir + "/" + fileName, closes it and ends the run: the end message after a
// good save, an error box naming the file otherwise. True when saved. afterSave runs as soon as the book
// is saved, before any step at which the run could be abandoned.
bool SaveBook(const std::string& fileName, const std::function<void()>& afterSave = {});
// Writes the pages of ShownRows, in list order, into the open workbook.
void WriteSongBook(bool newOnly, bool mainLanguageContinue, bool otherContinue, bool withPinyin);

std::string StrokeHeadingText(int strokes);
std::string SplitDuetSingerLines(const std::string& singer, bool& split);
// Name of a stored word count ("零" .. "十以上"); empty for a text outside the table.
std::string WordCountName(const std::string& wordCount);
// Songs per Chinese-format page: the setting, 50 when it is 0 or less.
int SongsPerPage();
// Font colour of a singer of the class code, from the singer colour settings.
int SingerClassColor(const std::string& singerClass);

// Shared by the song books and the singer song books: the progress of page writing (the middle of the
// bar, after the template's conversion and before the book's), and a page copied from a template sheet.
void ShowPageProgress(int done, int total);
int BeginPage(const std::string& templateSheet, int& pagesMade);

// The command around a book: the engine test, the template, the selection under the wait window, the
// writing and the saving. A failure on the way hides the wait window, closes the book unsaved and says so.
struct BookRun {
    std::string templateName;         // in AppDir
    std::string fileName;             // the book, in AppDir
    std::function<void()> select;     // fills and sorts ShownRows
    std::function<void()> write;      // writes the pages
    std::function<void()> afterSave;  // only after a good save
};
// False when nothing was changed in the view (stopped before the selection).
bool RunBook(const BookRun& run);

enum class SongBookKind { All, New, Popular, Favourite, Nostalgic, Classic, SelfPlay };
// The menu commands; true when ShownRows was changed (the caller rebuilds its view).
bool WriteSongBookCommand(SongBookKind kind);
bool WriteRangeSongBookCommand();

}  // namespace qv
