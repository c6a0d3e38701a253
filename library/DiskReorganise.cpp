// Reorganisation of the song disk: one song folder re-created in song order, or the whole library root
// moved through a temporary folder and rebuilt folder by folder.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskTools.h"
#include "library/DiskFiles.h"
#include "library/DiskToolsSupport.h"
#include "library/SongFiles.h"
#include "catalogue/UserInterface.h"
#include "platform/FolderLock.h"

namespace qv {

using namespace disktools;

namespace {

constexpr char TempFolderName[] = "qv_tmp";
// Stands in the root, hidden, from before the first move until the temporary folder is gone: a start that
// finds it knows that the folder's entries are the library's and puts them back.
constexpr char JournalName[] = ".qv_tmp.journal";

std::string JournalPath(const std::string& root) { return PathIn(root, JournalName); }

bool IsPlainFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool WriteJournal(const std::string& root) {
    return ReplaceFileContents(JournalPath(root), std::string(TempFolderName) + "\r\n") && SyncFolder(root);
}

// The journal goes once the temporary folder is gone; it stays while anything waits there.
void DropJournal(const std::string& root, const std::string& temp) {
    if (!PathExists(temp)) ::unlink(JournalPath(root).c_str());
}

bool IsSongFolderName(const std::string& name) {
    return name.size() == 3 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Puts every entry of temp back into root without replacing anything: an entry root lacks goes back whole,
// a folder root has again (made by the run) gets the entries back one by one. Links are moved as links,
// never through. False when anything stays in temp.
bool MoveEntriesBack(const std::string& temp, const std::string& root) {
    bool all = true;
    for (const std::string& name : EntryNames(temp)) {
        const std::string from = PathIn(temp, name);
        const std::string to = PathIn(root, name);
        if (!PathExists(to)) {
            all = RenameNoReplace(from, to) && all;
            continue;
        }
        if (!IsFolder(from) || !IsFolder(to)) {
            all = false;
            continue;
        }
        for (const std::string& inner : EntryNames(from))
            all = RenameNoReplace(PathIn(from, inner), PathIn(to, inner)) && all;
        all = ::rmdir(from.c_str()) == 0 && all;
    }
    return all;
}

const std::string& ManualRestoreTail() { return B5(". 重整終止, 請手動復原!"); }

void Progress(int percent) { UI().SetProgress(percent, 100); }

// The chosen folder is one song folder: its songs' items go out to "000" and back in table order.
void ReorderOneSongFolder(const std::string& folder) {
    std::vector<std::string> inFolder, inZero;
    const std::string zero = PathIn(LibraryRoot, "000");
    for (int r = 0; r < AllSongCount; ++r) {
        const std::string& songNo = AllSong[static_cast<std::size_t>(r)][colSongNo];
        if (!SameFolder(SongFolderOf(songNo), folder)) continue;
        const std::string item = FindFileByPrefix(folder, songNo);
        if (item.empty()) continue;
        inFolder.push_back(PathIn(folder, item));
        inZero.push_back(PathIn(zero, item));
    }
    const std::size_t n = inFolder.size();
    if (n == 0) {
        UI().ShowInfoMessage(B5("所選的目錄沒有歌庫歌曲"));
        Progress(0);
        return;
    }
    auto moveError = [](const std::string& from, const std::string& to) {
        UI().ShowErrorBox(B5("移動檔案") + Shown(from) + B5("到") + Shown(to) + B5("發生錯誤"));
        Progress(0);
    };
    for (std::size_t k = 0; k < n; ++k) {
        Progress(static_cast<int>(k * 100 / (2 * n)));
        if (!MoveFileRetry(inFolder[k], inZero[k])) {
            for (std::size_t j = 0; j < k; ++j) MoveFileRetry(inZero[j], inFolder[j]);
            return moveError(inFolder[k], inZero[k]);
        }
    }
    for (std::size_t k = 0; k < n; ++k) {
        Progress(static_cast<int>(50 + k * 100 / (2 * n)));
        if (!MoveFileRetry(inZero[k], inFolder[k])) return moveError(inZero[k], inFolder[k]);
    }
    Progress(100);
    UI().ShowInfoMessage(B5("歌庫磁碟重組完成"));
    Progress(0);
}

// The table's song numbers, looked up once per number position of the disk.
std::unordered_set<std::string> SongNumbersInTable() {
    std::unordered_set<std::string> numbers;
    for (int r = 0; r < AllSongCount; ++r) numbers.insert(AllSong[static_cast<std::size_t>(r)][colSongNo]);
    return numbers;
}

// Moves every entry of source whose name begins with prefix (all when it is empty) into target; on a
// failure shows "無法移動檔案:" + shownSource/name + the manual-restore tail. Counts what moved.
bool MoveEntriesWithPrefix(const std::string& source, const std::string& target, const std::string& prefix,
                           const std::string& shownSource, int& moved) {
    for (const std::string& name : EntryNames(source)) {
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        if (!MoveFileRetry(PathIn(source, name), PathIn(target, name))) {
            UI().ShowErrorBox(B5("無法移動檔案:") + shownSource + "/" + Shown(name) + ManualRestoreTail());
            return false;
        }
        ++moved;
    }
    return true;
}

}  // namespace

bool MoveFolderEntries(const std::string& source, const std::string& target) {
    if (!IsFolder(source)) return true;
    for (const std::string& name : EntryNames(source))
        if (!MoveFileRetry(PathIn(source, name), PathIn(target, name))) return false;
    return true;
}

void ReorganiseSongDisk() {
    if (!LibraryDataDirOk) {
        UI().ShowErrorBox(B5("歌庫磁碟找不到\\000的目錄"));
        return;
    }
    TheDiskToolsHost().StopPreview();
    std::string folder;
    if (!TheDiskToolsHost().ChooseFolder(B5("請選擇目錄"), LibraryRoot + "/", folder)) return;
    const std::string warning = B5("請確認所有存取歌庫目錄或檔案的程式(包括檔案總管)皆已關閉.") + "\n\r" +
                                B5("歌庫重整期間請勿關機或是強制關閉程式, 否則可能造成整個歌庫錯亂.") +
                                "\n\r" + B5("若重整失敗, 請重新開機並在未開啟其他程式時再嘗試重整一次.") +
                                "\n\r" + B5("確定開始重整?");
    if (!UI().AskYesNo(warning)) return;
    folder = WithoutTrailingSlash(folder);
    if (SameFolder(folder, LibraryRoot))
        ReorganiseLibraryDisk();
    else
        ReorderOneSongFolder(folder);
}

void ReorganiseLibraryDisk() {
    const std::string& root = LibraryRoot;
    const std::string temp = PathIn(root, TempFolderName);
    const std::string shownRoot = Shown(root);
    const std::string shownTemp = shownRoot + "/" + TempFolderName;

    // Puts the library back as it was, then (as after success) removes the emptied temporary folder.
    auto rollBack = [&]() {
        if (!MoveFolderEntries(temp, root)) {
            UI().ShowErrorBox(B5("無法復原") + shownTemp + B5("目錄到") + shownRoot +
                              B5("目錄, 請手動復原!"));
            Progress(0);
            return;
        }
        if (PathExists(temp) && !RemoveDirRetry(temp))
            UI().ShowErrorBox(B5("無法刪除暫存資料夾:") + shownTemp);
        DropJournal(root, temp);
        Progress(0);
    };

    if (!MakeDir(temp)) {
        UI().ShowErrorBox(B5("無法建立暫存資料夾") + shownTemp + B5("目錄!"));
        return;
    }
    if (!WriteJournal(root)) {
        UI().ShowErrorBox(B5("無法建立暫存資料夾") + shownTemp + B5("目錄!"));
        if (EntryNames(temp).empty()) RemoveDirRetry(temp);
        return;
    }
    for (int i = 0; i <= 500; ++i) {
        Progress(i / 50);
        const std::string name = ZeroPad3(i);
        const std::string folder = PathIn(root, name);
        if (!IsFolder(folder)) continue;
        if (!MoveFileRetry(folder, PathIn(temp, name))) {
            UI().ShowErrorBox(B5("無法移動") + shownRoot + "/" + name + B5("目錄!"));
            return rollBack();
        }
    }
    for (const std::string& name : EntryNames(root)) {
        // Hidden entries (the system's own), the temporary folder and the program folder's lock stay: a
        // lock file moved away would let a second copy of the program take a new one beside it.
        if (name == TempFolderName || name.front() == '.' || name == FolderLock::FileName) continue;
        if (!MoveFileRetry(PathIn(root, name), PathIn(temp, name))) {
            UI().ShowErrorBox(B5("無法移動檔案:") + shownRoot + "/" + Shown(name) + ManualRestoreTail());
            Progress(0);
            return;
        }
    }
    std::vector<std::string> created;
    for (int i = 0; i <= 500; ++i) {
        Progress(i / 50 + 10);
        const std::string folder = PathIn(root, ZeroPad3(i));
        if (IsFolder(folder)) continue;
        if (!MakeDir(folder)) {
            UI().ShowErrorBox(B5("無法建立") + shownRoot + "/" + ZeroPad3(i) + B5("目錄!"));
            // The folders just made would stand in the way of the moves back.
            for (const std::string& made : created) RemoveDirRetry(made);
            return rollBack();
        }
        created.push_back(folder);
    }

    Progress(20);
    const std::string tempZero = PathIn(temp, "000");
    if (IsFolder(tempZero)) {
        int moved = 0;
        if (!MoveEntriesWithPrefix(tempZero, PathIn(root, "000"), "", shownTemp + "/000", moved))
            return Progress(0);
        if (!RemoveDirRetry(tempZero)) {
            UI().ShowErrorBox(B5("無法刪除暫存資料夾:") + shownTemp + "/000" + ManualRestoreTail());
            return Progress(0);
        }
    }

    Progress(21);
    const std::string placeholder = PathIn(PathIn(root, "000"), "000.jpg");
    const std::unordered_set<std::string> songNumbers = SongNumbersInTable();
    for (int i = 1; i <= 500; ++i) {
        const std::string name = ZeroPad3(i);
        const std::string from = PathIn(temp, name);
        if (!IsFolder(from)) continue;
        Progress(i * 78 / 500 + 21);
        const std::string to = PathIn(root, name);
        const std::string shownFrom = shownTemp + "/" + name;
        for (int position = 1; position <= 80; ++position) {
            const std::string songNo = name + ZeroPad3(position).substr(1);
            int moved = 0;
            if (!MoveEntriesWithPrefix(from, to, songNo, shownFrom, moved)) return Progress(0);
            if (moved == 0 && songNumbers.count(songNo) && PathExists(placeholder))
                CopyFileWithProgress(placeholder, PathIn(to, songNo + ".jpg"), false);
        }
        int moved = 0;
        if (!MoveEntriesWithPrefix(from, to, "", shownFrom, moved)) return Progress(0);
        if (!RemoveDirRetry(from)) {
            UI().ShowErrorBox(B5("無法刪除暫存資料夾:") + shownFrom);
            return Progress(0);
        }
    }

    Progress(99);
    int moved = 0;
    if (!MoveEntriesWithPrefix(temp, root, "", shownTemp, moved)) return Progress(0);
    Progress(100);
    UI().ShowInfoMessage(B5("歌庫磁碟重組完成"));
    if (PathExists(temp) && !RemoveDirRetry(temp)) UI().ShowErrorBox(B5("無法刪除暫存資料夾:") + shownTemp);
    DropJournal(root, temp);
    Progress(0);
}

bool RecoverKilledReorganisation(const std::string& root) {
    const std::string temp = PathIn(root, TempFolderName);
    const std::string shownRoot = Shown(root);
    const std::string shownTemp = shownRoot + "/" + TempFolderName;
    if (IsPlainFile(JournalPath(root))) {
        if (IsFolder(temp)) {
            if (!MoveEntriesBack(temp, root) || ::rmdir(temp.c_str()) != 0) {
                UI().ShowErrorBox(B5("無法復原") + shownTemp + B5("目錄到") + shownRoot +
                                  B5("目錄, 請手動復原!"));
                return false;
            }
            UI().ShowInfoMessage(B5("歌庫磁碟重組沒有完成, 已將") + shownTemp + B5("的檔案移回") + shownRoot);
        }
        ::unlink(JournalPath(root).c_str());
        return true;
    }
    // Without a journal the folder may be anyone's: it is only pointed out, and nothing is touched.
    if (!IsFolder(temp)) return true;
    for (const std::string& name : EntryNames(temp)) {
        const bool songs = (IsSongFolderName(name) && IsFolder(PathIn(temp, name))) || name == "song.qv2";
        if (!songs) continue;
        UI().ShowErrorBox(B5("歌庫磁碟重組沒有完成, 歌曲資料夾還在") + shownTemp + B5(", 請手動復原!"));
        return false;
    }
    return true;
}

}  // namespace qv
