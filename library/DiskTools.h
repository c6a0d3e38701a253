#pragma once
// The song-disk maintenance tools: column tools of the tools menu, the empty song folders, the library
// disk choice and reorganisation, the folder-form library and its restore, the range export and the
// singer-photo sort. Each command has one entry function; the main window's handler calls it.
// Catalogue texts are Big5; paths are Linux paths (UTF-8).
#include <functional>
#include <string>

namespace qv {

// What the tools need from the windows above them. The main window provides it; tests fake it.
class DiskToolsHost {
public:
    virtual ~DiskToolsHost() = default;

    // Folder choice dialog with a Big5 caption, opened at start; false when cancelled.
    virtual bool ChooseFolder(const std::string& caption, const std::string& start, std::string& folder) = 0;
    // File dialogs for text files ("Text files (*.txt)"); false when cancelled.
    virtual bool ChooseOpenFile(std::string& /*path*/) { return false; }
    virtual bool ChooseSaveFile(std::string& /*path*/) { return false; }
    // TSelectDirForm, modal; it reads and writes "song.ini" in iniDir itself. Its result (1 OK, 2 cancel).
    virtual int ShowSelectDirForm(const std::string& iniDir) = 0;
    // TProgressForm, modal; it runs MoveSingerPhotos(pictureRoot) once shown. 1 when all went well, else 2.
    virtual int ShowProgressForm(const std::string& pictureRoot) = 0;

    // Main window: new-song and special-delete filters unticked, show-only and collection boxes on their
    // first entry.
    virtual void ResetSongFilters() = 0;
    // Main window: the shown rows repaint from AllSong.
    virtual void RefreshSongList() = 0;
    virtual void StopPreview() = 0;
};

// The host the commands use; until one is set they use one that cancels every dialog and does nothing else.
DiskToolsHost& TheDiskToolsHost();
void SetDiskToolsHost(DiskToolsHost* host);

// ---- commands (the main window's menu handlers forward to these) ----
void ClearNewSongMarks();         // N9Click
void RegenerateSongStrokes();     // N26Click
void RedetectDuetSongs();         // N28Click
void ResetAllSongVolumes();       // N29Click
void CreateEmptySongFolders();    // N5001Click
void ChooseLibraryDisk();         // N23Click
void ReorganiseSongDisk();        // N24Click
void BuildFolderFormLibrary();    // N27Click
void RestoreFolderFormLibrary();  // N31Click
void ExportSongRange();           // N33Click (file menu)
void SortSingerPhotos();          // N37Click

// ---- helpers, also used by the dialogs ----

// "song.ini": section "Golbal Setting" (spelled so), key "data drive": the library disk's root folder.
inline constexpr char SongIniName[] = "song.ini";
std::string ReadDataDrive(const std::string& iniDir, const std::string& defaultValue);
bool WriteDataDrive(const std::string& iniDir, const std::string& value);

// Copies a song's media item (a file, or a picture folder with its pictures) into folder, made when
// missing, under targetName(item): the export commands' step with the free-space reserve and their
// messages. Missing: no item (reported, the walk goes on); Stopped: the walk ends.
enum class ExportResult { Copied, Missing, Stopped };
// workFolder: where the copies are made before they go in place (see CopyFileWithProgress).
ExportResult ExportSongItem(const std::string& songNo, const std::string& folder,
                            const std::function<std::string(const std::string& item)>& targetName,
                            const std::string& workFolder = {});

// The whole-disk reorganisation of ReorganiseSongDisk when the library root itself is chosen.
void ReorganiseLibraryDisk();
// At start: the entries a killed reorganisation of root left in its temporary folder go back into root.
// False, after telling the user where they wait, when they cannot, or when the folder is not known to be
// the run's (then nothing is touched); start-up then ends.
bool RecoverKilledReorganisation(const std::string& root);

// Moves every entry of source into target; true when all moved (a missing source counts as done). Stops
// at the first failure; never replaces an entry of target.
bool MoveFolderEntries(const std::string& source, const std::string& target);

// The work of the photo window: sorts the files below pictureRoot/singer into singer_1..singer_8 by the
// stroke count of their names' first character. progress gets 0..100. False when anything failed.
bool MoveSingerPhotos(const std::string& pictureRoot, const std::function<void(int)>& progress);
// Group 1..8 of a photo by that stroke count.
int SingerPhotoGroup(int strokes);

// A Big5 name made fit to be one file or folder name: "/", "\", control bytes and a lead byte without its
// trail byte become "_", a name of "", "." or ".." becomes "_"; then converted to UTF-8. Double-byte
// characters are kept whole (a trail byte may be "\").
std::string FileNameFromBig5(const std::string& big5);

// The folder of the folder-form library that holds a song's item: root/language/singer class/singer.
std::string FolderFormFolder(const std::string& root, const std::string& languageCode,
                             const std::string& classCode, const std::string& singer);
// The range-export name: name_singer_class_language + the item's extension.
std::string RangeExportName(int row, const std::string& extension);

}  // namespace qv
