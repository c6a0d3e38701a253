#pragma once
// Start-up and shut-down of the program: the sequence run while the main window is created, and the
// offers made when it closes. The window's own steps (layout, menus, labels) are called through
// StartupWindow at their place in the sequence.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace qv {

extern bool ProgramUsable;     // false after a start from a CD-ROM or a song list that failed its check
extern bool GhostingDisabled;  // the platform has no such switch here: always false
extern bool ExcelAvailable;    // the song books' spreadsheet engine was prepared
extern int ScreenDpi;          // logical dots per inch of the screen (vertical)

// What the main window does at its places in the sequence.
class StartupWindow {
public:
    virtual ~StartupWindow() = default;
    virtual void UpdateNameFormatLabels() = 0;
    virtual void ResetPlayButtons() = 0;
    virtual void LayoutSongGrid() = 0;       // sets ScreenDpi, the grid's columns and titles
    virtual void ResetFilterControls() = 0;  // filter boxes to their first item
    virtual void ApplyEdition() = 0;         // menus cut to the edition, window title
    // The server's pending message is to be shown (modally).
    virtual void ShowServerMessage() {}
    // The updater was started: the program ends as soon as start-up is over.
    virtual void EndAfterStartUp() {}
    // The question which index files to write on close; true when it ended with OK.
    virtual bool AskIndexOutput() { return false; }
};

// Start-up with no window to show (benchmarks, child processes of tests): its steps on the window change
// nothing that the outputs write.
class NoStartupWindow final : public StartupWindow {
public:
    void UpdateNameFormatLabels() override {}
    void ResetPlayButtons() override {}
    void LayoutSongGrid() override {}
    void ResetFilterControls() override {}
    void ApplyEdition() override {}
};

// Steps of the sequence that the outputs provide (they sit above this folder); the program installs them
// before the main window is created (InstallOutputSteps of outputs/). A step left empty does nothing.
struct OutputSteps {
    std::function<void()> tidyOfflineBook;               // a run of the offline book cut short
    std::function<void()> recoverIndexFolder;            // what an interrupted index run left in 000
    std::function<void()> prepareSpreadsheetEngine;      // sets ExcelAvailable
    std::function<void()> writeMenuTopSetIfMissing;      // "000/MenuTopSet.ztx" with the value 3
    std::function<void()> resetPlayModeFilesOnFirstRun;  // the play-mode files of 000
    std::function<void()> writeZtIndex;                  // the index sets asked for on close, in this order
    std::function<void()> writeVkmIndex;
    std::function<void()> writeQvi05Database;
    std::function<void(int64_t songListAge)> offerCloudUpload;
};
OutputSteps& StartupOutputSteps();

// Reads the program folder's song list in the background while the window is being made; start-up's
// load takes the rows when the file still holds the bytes they were made of.
void StartSongListPreload();

// The whole start-up of the main window's creation (the current directory is the program folder).
// False when start-up ended early: ProgramUsable is false then and the window closes on activation.
bool RunStartup(StartupWindow& window);

// The shut-down offers of the main window's closing; nothing when the program is not usable.
void RunShutdown(StartupWindow& window);

// Takes the program folder (AppDir) for this copy for the rest of the run; false when another running copy
// has it. A folder where no lock file can be made (read-only) is not refused.
bool LockProgramFolder();

// Creates the working folders of the program folder and takes over a downloaded updater and a new 000.jpg.
void PrepareProgramFolders();

// Folder 000 of the library root; the error box when it cannot be created. Sets LibraryDataDirOk.
bool EnsureLibraryDataDir();

// Last change of the file in the packed 32-bit date-time form of the platform's file dates (local time,
// two-second steps; "setting.ini" keeps it as LastUpdate): bits 31-25 year - 1980, 24-21 month,
// 20-16 day, 15-11 hour, 10-5 minute, 4-0 second / 2. Integers order files by age; -1 (older than any)
// when missing.
int64_t FileAge(const std::string& path);

// The shut-down's index question is due: both index files of 000 are older than the song list.
bool IndexFilesOutdated();

// Captions of the two name-format labels for the current name-format setting; Big5.
std::pair<std::string, std::string> NameFormatLabelTexts();

}  // namespace qv
