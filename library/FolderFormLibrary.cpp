// The folder-form library (items moved out under language, singer class and singer), its restore, and the
// copy of a number range of songs.
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongTable.h"
#include "library/DiskTools.h"
#include "library/DiskFiles.h"
#include "library/DiskToolsSupport.h"
#include "library/SongFiles.h"
#include "catalogue/UserInterface.h"

namespace qv {

using namespace disktools;

namespace {

void Progress(int position, int maximum = 100) { UI().SetProgress(position, maximum); }

void ShowFailedMove(const std::string& from, const std::string& to) {
    UI().ShowErrorBox(B5("從[") + Shown(from) + B5("]移動到[") + Shown(to) + B5("]失敗"));
}

// The entry of folder that holds the song named fileName: that very name, or it followed by one
// extension. An entry that merely begins with the name belongs to another song, and so does one that is
// another song's name exactly ("Mr. Lonely" is not "Mr" with the extension ". Lonely").
std::string FindFolderFormEntry(const std::string& folder, const std::string& fileName,
                                const std::unordered_set<std::string>& songEntries, std::string& extension) {
    const std::vector<std::string> entries = EntryNames(folder);
    extension.clear();
    for (const std::string& entry : entries)
        if (entry == fileName) return entry;
    for (const std::string& entry : entries) {
        if (entry.size() > fileName.size() + 1 && entry.compare(0, fileName.size(), fileName) == 0 &&
            entry[fileName.size()] == '.' && entry.find('.', fileName.size() + 1) == std::string::npos &&
            !songEntries.count(PathIn(folder, entry))) {
            extension = entry.substr(fileName.size());
            return entry;
        }
    }
    return "";
}

// Where each song of the table lies in the folder-form library under root, without extension.
std::string FolderFormEntryPath(const std::string& root, const SongRow& song) {
    return PathIn(FolderFormFolder(root, song[colLanguage], song[colSingerClass], song[colSinger]),
                  FileNameFromBig5(song[colSongName]));
}

// Both commands walk the whole table; the walk stops at a failed move. Returns the count of songs
// without media, or -1 after a failure.
template <typename MoveOne>
int WalkSongs(MoveOne moveOne) {
    int missing = 0;
    Progress(0);
    for (int r = 0; r < AllSongCount; ++r) {
        const int result = moveOne(AllSong[static_cast<std::size_t>(r)]);
        if (result < 0) return -1;
        missing += result;
        Progress(static_cast<int>(static_cast<long long>(r + 1) * 100 / AllSongCount));
    }
    return missing;
}

bool AskFolderAndConfirm(const char* caption, const char* question, std::string& folder) {
    if (AllSongCount == 0) {
        UI().ShowErrorBox(B5("歌庫中沒有歌曲"));
        return false;
    }
    if (!TheDiskToolsHost().ChooseFolder(B5(caption), LibraryRoot, folder)) return false;
    if (!UI().AskBlueYesNo(B5(question))) return false;
    folder = WithoutTrailingSlash(folder);
    return true;
}

void ReportWalk(int missing, const char* done, const char* doneWithMissing) {
    UI().HideWaitMessage();
    if (missing < 0) return Progress(0);  // the failed move was shown; nothing is "done"
    Progress(100);
    if (missing == 0)
        UI().ShowBlueMessage(B5(done));
    else
        UI().ShowBlueMessage(B5(doneWithMissing) + std::to_string(missing) + B5("首歌曲找不到來源影音檔"));
    Progress(0);
}

}  // namespace

void BuildFolderFormLibrary() {
    std::string root;
    if (!AskFolderAndConfirm("請選擇目錄", "是否確定開始產生歌庫?", root)) return;
    UI().ShowWaitMessage(B5("資料夾形式歌庫產生中, 請稍候..."));
    std::unordered_set<std::string> tidied;  // target folders freed of a killed run's partial copies
    const int missing = WalkSongs([&](const SongRow& song) {
        const std::string songFolder = SongFolderOf(song[colSongNo]);
        const std::string item = FindFileByPrefix(songFolder, song[colSongNo]);
        if (item.empty()) return 1;
        const std::string target =
            FolderFormFolder(root, song[colLanguage], song[colSingerClass], song[colSinger]);
        std::error_code ec;
        std::filesystem::create_directories(target, ec);  // a failure shows in the move
        if (tidied.insert(target).second) RemoveLeftoverCopies(target);
        const std::string from = PathIn(songFolder, item);
        const std::string to = PathIn(target, FileNameFromBig5(song[colSongName]) + ItemExtension(item));
        if (MoveItem(from, target, to)) return 0;
        ShowFailedMove(from, to);
        return -1;
    });
    ReportWalk(missing, "產生完成", "產生完成, 但有");
}

void RestoreFolderFormLibrary() {
    std::string root;
    if (!AskFolderAndConfirm("請選擇歌庫目錄", "是否確定開始還原歌庫?", root)) return;
    UI().ShowWaitMessage(B5("歌庫還原中, 請稍候..."));
    std::unordered_set<std::string> songEntries;
    for (int r = 0; r < AllSongCount; ++r)
        songEntries.insert(FolderFormEntryPath(root, AllSong[static_cast<std::size_t>(r)]));
    const int missing = WalkSongs([&](const SongRow& song) {
        const std::string source =
            FolderFormFolder(root, song[colLanguage], song[colSingerClass], song[colSinger]);
        std::string extension;
        const std::string entry =
            FindFolderFormEntry(source, FileNameFromBig5(song[colSongName]), songEntries, extension);
        if (entry.empty()) return 1;
        const std::string songFolder = SongFolderOf(song[colSongNo]);
        const std::string from = PathIn(source, entry);
        // The song keeps one item: one already in its folder is not joined by a second.
        const std::string present = FindFileByPrefix(songFolder, song[colSongNo]);
        // The item gets the name the song's volume and channel call for, as every item of the library.
        const std::string to = PathIn(
            songFolder, present.empty()
                            ? MediaItemName(song[colSongNo], song[colVolume], song[colChannel], extension)
                            : present);
        if (present.empty() && MakeDir(songFolder) && MoveItem(from, songFolder, to)) return 0;
        ShowFailedMove(from, to);
        return -1;
    });
    ReportWalk(missing, "復原完成", "復原完成, 但有");
}

ExportResult ExportSongItem(const std::string& songNo, const std::string& folder,
                            const std::function<std::string(const std::string& item)>& targetName,
                            const std::string& workFolder) {
    const std::string songFolder = SongFolderOf(songNo);
    const std::string item = FindFileByPrefix(songFolder, songNo);
    if (item.empty()) {
        UI().ShowErrorBox(B5("找不到") + Shown(songFolder) + "/" + songNo + ".*");
        return ExportResult::Missing;
    }
    const std::string source = PathIn(songFolder, item);
    if (!KeepsReserve(NearestExistingFolder(folder), FileOrFolderSize(source))) {
        UI().ShowErrorBox(B5("無法建立") + Shown(PathIn(folder, item)) + B5(", 剩餘的保留空間不足."));
        return ExportResult::Stopped;
    }
    if (!MakeDir(folder)) {
        UI().ShowErrorBox(B5("無法建立") + Shown(folder) + B5("目錄!"));
        UI().ShowErrorBox(B5("目錄建立錯誤. 請檢查磁碟空間是否已滿或有寫入保護."));
        return ExportResult::Stopped;
    }
    const std::string target = PathIn(folder, targetName(item));
    // A picture-folder song is copied as its folder of pictures.
    const CopyResult copied = IsFolder(source)
                                  ? CopyFolderWithProgress(source, target, true, workFolder)
                                  : CopyFileWithProgress(source, target, true, LargeCopyBytes, workFolder);
    if (copied == CopyResult::Failed) {
        UI().ShowErrorBox(B5("無法建立") + Shown(target));
        UI().ShowErrorBox(B5("檔案複製錯誤. 請檢查磁碟空間是否已滿或有寫入保護."));
    }
    return copied == CopyResult::Copied ? ExportResult::Copied : ExportResult::Stopped;
}

void ExportSongRange() {
    std::string from, to;
    if (!UI().AskIndexRange(from, to)) return;
    const int start = SafeStrToInt(from), end = SafeStrToInt(to);
    auto number = [](int r) { return SafeStrToInt(AllSong[static_cast<std::size_t>(r)][colSongNo]); };
    if (AllSongCount == 0 || number(AllSongCount - 1) < start || number(0) > end) {
        UI().ShowWarningBox(B5("範圍內無資料!"));
        return;
    }
    int first = 0;
    while (first < AllSongCount && number(first) < start) ++first;
    int last = AllSongCount - 1;
    while (last >= 0 && number(last) > end) --last;

    std::string folder;
    if (!TheDiskToolsHost().ChooseFolder(B5("請選擇目錄"), LibraryRoot, folder)) return;
    folder = WithoutTrailingSlash(folder);
    RemoveLeftoverCopies(folder);  // of a run that was killed
    const int count = last >= first ? last - first + 1 : 0;
    bool stopped = false;  // by an error or a cancelled copy: not reported as done
    for (int r = first; r <= last && !stopped; ++r) {
        Progress(r - first + 1, count);
        const std::string songNo = AllSong[static_cast<std::size_t>(r)][colSongNo];
        stopped = ExportSongItem(songNo, folder, [r](const std::string& item) {
                      return RangeExportName(r, ItemExtension(item));
                  }) == ExportResult::Stopped;
    }
    if (!stopped) UI().ShowInfoMessage(B5("範圍內的歌曲匯出完成"));
    Progress(0);
}

}  // namespace qv
