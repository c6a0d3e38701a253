#pragma once
// Editing the song list where it stands: one click on a mark cell switches the mark, one click on a text or
// code cell opens an editor over it, and leaving the editor stores the value in the song table and the song
// list file. The editors themselves are the main window's; this is what each of their actions does.
// Rows are AllSong rows; grid rows (editor names) count from 1 below the title row. Texts are Big5.
#include <string>
#include <vector>

namespace qv {

// The class code (1..8) or language code (1..9) last chosen in a cell combo box, -1 when none; at most one
// is set. The main window's KillLastSelectTimer forgets them after KillLastSelectIntervalMs.
extern int LastChosenClass;
extern int LastChosenLanguage;
constexpr int KillLastSelectIntervalMs = 60000;
void ForgetLastChoices();  // KillLastSelectTimerTimer

// Delay after Esc in a cell combo box before the box is freed (KillComboBoxTimer).
constexpr int KillComboBoxIntervalMs = 100;

enum class CellAction {
    None,        // song number, strokes, special delete, date added
    ToggleMark,  // new mark, collections, self play, selection, delete selection
    EditText,    // name, pinyin, word count, singer
    ChooseItem,  // priority, class, language, volume, channel
};
CellAction ActionOfColumn(int column);

// Run-time names of the editors: "edit_create" + grid row; "combo_create" + column (4 digits) + grid row
// (6 digits). A combo box's cell is read back from its name.
std::string TextEditorName(int gridRow);
std::string ComboEditorName(int column, int gridRow);
bool CellOfComboName(const std::string& name, int& column, int& gridRow);

// What an editor was opened on: the song, its column and what the cell showed then. The song is
// recognised again by number, name and singer, so a song deleted (or moved into the number) meanwhile
// is never written to.
struct CellEdit {
    std::string songNo;
    int column = -1;
    std::string shown;  // the cell's display text when the editor opened
    std::string name;
    std::string singer;
};
// False when the row or column does not exist.
bool BeginCellEdit(int row, int column, CellEdit& edit);

// Items of a cell combo box, the item to select and the rows of its drop-down list.
struct ComboChoices {
    std::vector<std::string> items;
    int selected = -1;
    int dropDownRows = 0;
};
ComboChoices ComboChoicesOf(const CellEdit& edit);

enum class EditOutcome {
    Stored,       // the value went to the song table and the song list file
    Unchanged,    // nothing to store
    Refused,      // not stored; the editor is freed (a message may have been shown)
    KeepEditing,  // not stored; a message was shown and the editor keeps the focus
};
struct EditResult {
    EditOutcome outcome = EditOutcome::Unchanged;
    bool restartLastSelectTimer = false;  // a class or language was just chosen
};

// StringGridClick on a mark cell: blank -> "*" (the new mark: "*" -> "@" -> blank), stored at once.
EditResult ToggleMarkCell(int row, int column);

// EditCreateExit: stores the text of a cell edit. fitsBig5 is false when the typed text holds characters
// that Big5 cannot write (they are then refused like any other illegal character).
EditResult CommitTextEdit(const CellEdit& edit, const std::string& text, bool fitsBig5 = true);

// ComboCreateExit: stores the chosen item of a cell combo box (itemIndex -1: none chosen).
EditResult CommitComboEdit(const CellEdit& edit, int itemIndex, const std::string& itemText);

}  // namespace qv
