#include "library/SongFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "catalogue/BeneathFolder.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "library/MediaPreview.h"
#include "platform/Sound.h"
#include "catalogue/UserInterface.h"

namespace qv {

const std::array<std::string, 16> VolumeCodes{"0", "1", "2", "3", "4", "5", "6", "7",
                                              "8", "9", "A", "B", "C", "D", "E", "F"};

namespace {

constexpr size_t SongNoLength = 5;
constexpr char PlaceholderFolder[] = "000";
constexpr char PlaceholderName[] = "000.jpg";

SongFileHooks g_hooks;

// A path as Big5 text for a message.
std::string Shown(const std::string& path) { return Utf8ToBig5(path); }

void StopPreviewOfLastToo(const std::string& songNo) {
    StopPreviewOf(songNo);
    if (AllSongCount > 0) StopPreviewOf(AllSong[AllSongCount - 1][colSongNo]);
}

void RefreshGrid() {
    if (g_hooks.refreshGrid) g_hooks.refreshGrid();
}

bool IsSet(const std::string& value) { return !value.empty() && value != " "; }

std::string MissingItemText(const char* what, const std::string& folder, const std::string& songNo) {
    return B5(what) + Shown(folder + "/") + songNo + ".*";
}

// what + from + "到" + to + "錯誤.": the delete's texts run together, the replace's have blanks between.
std::string RenameErrorText(const char* what, const std::string& from, const std::string& to,
                            bool spaced = false) {
    const std::string gap = spaced ? " " : "";
    return B5(what) + gap + Shown(from) + gap + B5("到") + gap + Shown(to) + gap + B5("錯誤.");
}

// Drops the last row of the table and cuts its record off "song.qv2".
bool DropLastRow() {
    const int last = AllSongCount - 1;
    AllSong.resize(static_cast<size_t>(last));
    AllSongCount = last;
    std::erase(ShownRows, last);
    return TruncateSongFile(SongListPath(), SongLineLength, AllSongCount);
}

// Steps shared by the single and the compact delete; single selects the texts of the single delete.
bool RemoveSong(const std::string& songNo, bool single) {
    const int row = FindSongRow(songNo);
    if (row < 0) return false;
    StopPreviewOfLastToo(songNo);
    const std::string folder = SongFolderOf(songNo);
    const std::string item = FindFileByPrefix(folder, songNo);
    if (item.empty()) {
        UI().ShowErrorBox(MissingItemText("找不到欲刪除的影音檔:", folder, songNo));
        return false;
    }
    const std::string itemPath = PathIn(folder, item);
    ClearReadOnly(itemPath);
    const char* deleteError = single ? "刪除" : "刪除檔案";

    const int last = AllSongCount - 1;
    if (row != last) {
        const std::string lastNo = AllSong[last][colSongNo];
        const std::string lastFolder = SongFolderOf(lastNo);
        const std::string lastItem = FindFileByPrefix(lastFolder, lastNo);
        if (lastItem.empty()) {
            UI().ShowErrorBox(MissingItemText("找不到欲搬移的影音檔:", lastFolder, lastNo));
            return false;
        }
        const std::string from = PathIn(lastFolder, lastItem);
        const std::string to = PathIn(folder, songNo + ItemExtension(lastItem));
        const bool folderMove = single && IsFolder(from);
        const char* moveError = folderMove ? "目錄更名" : "檔案更名";
        // Found before anything is deleted: the move must not replace an entry that is not this song's item.
        if (to != itemPath && PathExists(to)) {
            UI().ShowErrorBox(RenameErrorText(moveError, from, to));
            return false;
        }
        if (!DeleteMediaItem(itemPath)) {
            UI().ShowErrorBox(B5(deleteError) + Shown(itemPath) + B5("錯誤."));
            return false;
        }
        if (!ShellMoveFiles(from, to)) {
            UI().ShowErrorBox(RenameErrorText(moveError, from, to));
            return false;
        }
        ReorderSongFolder(folder);
        AllSong[row] = AllSong[last];
        AllSong[row][colSongNo] = songNo;
        RenameSongFileAttr(songNo, AllSong[row][colVolume], AllSong[row][colChannel]);
        const bool written = WriteSongRecord(row);
        return DropLastRow() && written;
    }
    if (!DeleteMediaItem(itemPath)) {
        UI().ShowErrorBox(B5(deleteError) + Shown(itemPath) + B5("錯誤."));
        return false;
    }
    return DropLastRow();
}

// Puts a copy of source into the song folder as newName in place of the item (empty: none). The old item
// goes only once the new one is in place; no other entry is ever replaced. False after an error box, or
// silently when the user cancelled the copy.
bool PlaceCopyAsItem(const std::string& source, const std::string& folder, const std::string& item,
                     const std::string& newName) {
    const std::string oldPath = item.empty() ? std::string() : PathIn(folder, item);
    const std::string newPath = PathIn(folder, newName);
    const bool sameFile = item == newName && !IsFolder(oldPath);
    if (!sameFile && PathExists(newPath)) {
        UI().ShowErrorBox(item.empty() ? RenameErrorText("檔案複製", source, newPath, true)
                                       : RenameErrorText("檔案更名", oldPath, newPath, true));
        return false;
    }
    if (!item.empty()) ClearReadOnly(oldPath);
    const CopyResult copied = CopyFileWithProgress(source, newPath, sameFile);
    if (copied == CopyResult::Cancelled) return false;
    if (copied == CopyResult::Failed) {
        UI().ShowErrorBox(RenameErrorText("檔案複製", source, newPath, true));
        return false;
    }
    if (sameFile || item.empty()) return true;
    if (!DeleteMediaItem(oldPath)) {
        ::unlink(newPath.c_str());  // one item per number: the old one stays
        UI().ShowErrorBox(RenameErrorText("檔案更名", oldPath, newPath, true));
        return false;
    }
    return true;
}

bool AskDeleteSong(const std::string& name) {
    if (g_hooks.askDeleteSong) return g_hooks.askDeleteSong(name);
    return UI().AskYesNo(B5("注意:此動怍會永遠清除[") + name + B5("]這首歌. 確定要執行?"));
}

}  // namespace

SongFileHooks& TheSongFileHooks() { return g_hooks; }

std::string SongFolderOf(const std::string& songNo) { return PathIn(LibraryRoot, songNo.substr(0, 3)); }

namespace {

// Every entry that may be a song's item, the smallest name per five-character number, with the listing's
// type of that entry.
std::map<std::string, std::pair<std::string, unsigned char>> ListSongItems(const std::string& folder) {
    std::map<std::string, std::pair<std::string, unsigned char>> items;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return items;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() < SongNoLength || name == "." || name == "..") continue;
        auto [it, added] = items.try_emplace(name.substr(0, SongNoLength), name, e->d_type);
        if (!added && name < it->second.first) it->second = {name, e->d_type};
    }
    ::closedir(dir);
    return items;
}

}  // namespace

std::map<std::string, std::string> SongItemsOfFolder(const std::string& folder) {
    std::map<std::string, std::string> items;
    for (auto& [prefix, item] : ListSongItems(folder))
        items.emplace_hint(items.end(), prefix, std::move(item.first));
    return items;
}

std::map<std::string, SongItem> SongItemKindsOfFolder(const std::string& folder) {
    std::map<std::string, SongItem> items;
    for (auto& [prefix, item] : ListSongItems(folder)) {
        bool isFolder = item.second == DT_DIR;
        if (item.second == DT_LNK || item.second == DT_UNKNOWN) {
            struct stat st {};
            isFolder = ::stat(PathIn(folder, item.first).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        items.emplace_hint(items.end(), prefix, SongItem{std::move(item.first), isFolder});
    }
    return items;
}

std::string FindFileByPrefix(const std::string& folder, const std::string& songNo) {
    if (songNo.size() < SongNoLength) return {};
    auto items = ListSongItems(folder);
    const auto it = items.find(songNo.substr(0, SongNoLength));
    return it == items.end() ? std::string() : std::move(it->second.first);
}

bool ReadySongFolderFor(const std::string& folder, const std::string& songNo, const std::string& name,
                        bool picture) {
    const UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!dir.ok()) return errno == ENOENT && ::mkdir(folder.c_str(), 0755) == 0;
    const int fd = dir.get();
    std::vector<std::string> strays;
    for (std::string& entry : NamesIn(fd))
        if (entry.size() >= SongNoLength && entry.compare(0, SongNoLength, songNo, 0, SongNoLength) == 0)
            strays.push_back(std::move(entry));
    // A song list whose numbers do not ascend can hold the "next" number already: its item stays.
    bool ready = strays.empty() || FindSongRow(songNo.substr(0, SongNoLength)) < 0;
    for (const std::string& entry : ready ? strays : std::vector<std::string>{}) {
        struct stat st {};
        if (::fstatat(fd, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (entry == name && (picture ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode))) {
            if (!(st.st_mode & S_IWUSR)) ::fchmodat(fd, entry.c_str(), (st.st_mode & 07777) | S_IWUSR, 0);
            continue;
        }
        if (!RemoveEntryAt(fd, entry)) ready = false;
    }
    return ready;
}

char VolumeChar(const std::string& volume) {
    if (volume.size() == 1 &&
        ((volume[0] >= '1' && volume[0] <= '9') || (volume[0] >= 'A' && volume[0] <= 'F')))
        return volume[0];
    if (volume.size() == 2 && volume[0] == '1' && volume[1] >= '0' && volume[1] <= '5')
        return static_cast<char>('A' + (volume[1] - '0'));
    return '9';
}

char ChannelChar(const std::string& channel) { return channel == "1" || channel == B5("右") ? '1' : '0'; }

std::string MediaItemName(const std::string& songNo, const std::string& volume, const std::string& channel,
                          const std::string& extension) {
    std::string name = songNo.substr(0, SongNoLength);
    if (IsSet(volume) || IsSet(channel)) {
        name += VolumeChar(volume);
        name += ChannelChar(channel);
    }
    return name + extension;
}

std::string ItemExtension(const std::string& itemName) {
    const auto dot = itemName.rfind('.');
    if (dot == std::string::npos || dot < SongNoLength) return {};
    return itemName.substr(dot);
}

std::string PathExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot);
}

void RenameSongFileAttr(const std::string& songNo, const std::string& volume, const std::string& channel) {
    const std::string folder = SongFolderOf(songNo);
    const std::string item = FindFileByPrefix(folder, songNo);
    if (item.empty()) return;
    const std::string name = MediaItemName(songNo, volume, channel, ItemExtension(item));
    if (name != item) RenameNoReplace(PathIn(folder, item), PathIn(folder, name));
}

bool ReorderSongFolder(const std::string& folderArg) {
    const std::string holding = PathIn(LibraryRoot, PlaceholderFolder);
    if (!IsFolder(holding)) {
        UI().ShowErrorBox(B5("歌庫磁碟找不到\\000的目錄"));
        return false;
    }
    std::string folder = folderArg;
    if (folder.empty()) return true;
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();

    // Only a folder LibraryRoot/DDD holds songs: compare the numbers' first three characters with DDD.
    const std::string rootSlash = PathIn(LibraryRoot, "");
    if (folder.size() != rootSlash.size() + 3 || folder.compare(0, rootSlash.size(), rootSlash) != 0)
        return true;
    const std::string ddd = folder.substr(rootSlash.size());
    const auto items = SongItemsOfFolder(folder);
    std::vector<std::string> inFolder, outside;
    for (int r = 0; r < AllSongCount; ++r) {
        const std::string& no = AllSong[r][colSongNo];
        if (no.size() < SongNoLength || no.compare(0, 3, ddd) != 0) continue;
        const auto it = items.find(no.substr(0, SongNoLength));
        if (it == items.end()) continue;
        inFolder.push_back(PathIn(folder, it->second));
        outside.push_back(PathIn(holding, it->second));
    }
    for (size_t i = 0; i < inFolder.size(); ++i) {
        if (RenameNoReplace(inFolder[i], outside[i])) continue;
        UI().ShowErrorBox(B5("移動檔案") + Shown(inFolder[i]) + B5("到") + Shown(outside[i]) +
                          B5("發生錯誤"));
        for (size_t k = 0; k < i; ++k) RenameNoReplace(outside[k], inFolder[k]);
        return false;
    }
    for (size_t i = 0; i < inFolder.size(); ++i) {
        if (RenameNoReplace(outside[i], inFolder[i])) continue;
        UI().ShowErrorBox(B5("移動檔案") + Shown(outside[i]) + B5("到") + Shown(inFolder[i]) +
                          B5("發生錯誤"));
        return false;
    }
    return true;
}

int FindSongRow(const std::string& songNo) {
    for (int r = 0; r < AllSongCount; ++r)
        if (AllSong[r][colSongNo] == songNo) return r;
    return -1;
}

bool DeleteSongCompact(const std::string& songNo) { return RemoveSong(songNo, false); }

bool DeleteSong(const std::string& songNo) {
    if (songNo.empty()) return false;
    StopPreviewOfLastToo(songNo);
    PlaySystemSound("chord.wav");
    const int row = FindSongRow(songNo);
    if (!AskDeleteSong(row >= 0 ? AllSong[row][colSongName] : std::string())) return false;
    UI().ShowWaitMessage(B5("檔案刪除中, 請稍候 ..."));
    const int songsBefore = AllSongCount;
    const bool ok = RemoveSong(songNo, true);
    // A record that could not be written fails the delete after the table changed: the view follows it.
    if (ok || AllSongCount != songsBefore) RefreshGrid();
    UI().HideWaitMessage();
    PlaySystemSound("chimes.wav");
    UI().ShowInfoMessage(B5(ok ? "刪除完成" : "刪除失敗"));
    return ok;
}

bool DeleteMarkedSongs() {
    const int count =
        static_cast<int>(std::count_if(AllSong.begin(), AllSong.begin() + AllSongCount,
                                       [](const SongRow& r) { return r[colDeleteSelect] == "*"; }));
    if (count == 0) {
        UI().ShowWarningBox(B5("請先選擇欲刪除的歌曲!"));
        return false;
    }
    PlaySystemSound("chord.wav");
    if (!UI().AskYesNo(B5("注意:此動怍會永遠清除所選擇的") + std::to_string(count) + B5("首歌. 確定要執行?")))
        return false;
    UI().ShowWaitMessage(B5("檔案刪除中, 請稍候 ..."));
    UI().SetProgress(0, 100);
    // From the end: the song moved into a freed number is never one still to be deleted.
    int done = 0;
    for (int r = AllSongCount - 1; r >= 0; --r) {
        if (AllSong[r][colDeleteSelect] != "*") continue;
        const std::string songNo = AllSong[r][colSongNo];  // the delete overwrites the row's cells
        if (!DeleteSongCompact(songNo)) break;
        ++done;
        UI().SetProgress(done * 100 / count, 100);
        UI().ProcessEvents();
    }
    RefreshGrid();
    UI().HideWaitMessage();
    PlaySystemSound("chimes.wav");
    UI().ShowInfoMessage(B5(done == count ? "全部刪除完成" : "刪除未完成"));
    UI().SetProgress(0, 100);
    return done == count;
}

bool SpecialDeleteSong(const std::string& songNo) {
    if (songNo.empty()) return false;
    StopPreviewOf(songNo);
    const std::string placeholder = PathIn(PathIn(LibraryRoot, PlaceholderFolder), PlaceholderName);
    if (!PathExists(placeholder)) {
        UI().ShowErrorBox(B5("找不到") + Shown(placeholder));
        return false;
    }
    const int row = FindSongRow(songNo);
    if (row < 0) return false;
    const std::string name = AllSong[row][colSongName];
    if (AllSong[row][colSpecialDel] == "X") {
        UI().ShowErrorBox(B5("歌曲[") + name + B5("]已經標示為特刪"));
        return false;
    }
    PlaySystemSound("chord.wav");
    if (!UI().AskYesNo(B5("注意:此動怍會永遠清除[") + name + B5("]這首歌的影音檔. 確定要執行?")))
        return false;

    const std::string folder = SongFolderOf(songNo);
    const std::string item = FindFileByPrefix(folder, songNo);
    if (item.empty()) UI().ShowErrorBox(MissingItemText("找不到欲刪除的影音檔:", folder, songNo));
    if (!PathExists(placeholder)) {
        UI().ShowErrorBox(B5("找不到") + Shown(placeholder));
        return false;
    }
    // The song is marked only once its media is the placeholder, so the mark never lies. Without an item
    // there is no media to replace: only the record changes.
    if (!item.empty() && !PlaceCopyAsItem(placeholder, folder, item, songNo + ".jpg")) return false;
    AllSong[row][colSpecialDel] = "X";
    AllSong[row][colSongName] = "X" + name;
    const bool written = WriteSongRecord(row);  // its own box tells of a failure
    RefreshGrid();
    if (!written) return false;
    PlaySystemSound("chimes.wav");
    UI().ShowInfoMessage(B5("特刪完成"));
    return true;
}

bool ReplaceSongFile(const std::vector<std::string>& sources, const std::string& songNo) {
    if (sources.empty()) {
        UI().ShowErrorBox(B5("請選取來源檔."));
        return false;
    }
    if (sources.size() > 1) {
        UI().ShowErrorBox(B5("請勿選取多個來源檔."));
        return false;
    }
    const int row = FindSongRow(songNo);
    if (row < 0) {
        UI().ShowErrorBox(B5("請選取欲被取代的歌曲."));
        return false;
    }
    StopPreviewOf(songNo);
    const std::string& source = sources.front();
    const std::string folder = SongFolderOf(songNo);
    const std::string item = FindFileByPrefix(folder, songNo);
    const std::string shownItem = item.empty() ? songNo : item;
    const bool go = item.empty()
                        ? UI().AskYesNo(B5("找不到 ") + Shown(folder + "/") + songNo + B5(".*. 強制執行?"))
                        : UI().AskYesNo(B5("注意:此動怍會以 ") + Shown(source) + B5(" 取代 ") +
                                        Shown(PathIn(folder, item)) + B5(". 確定要執行?"));
    if (!go) return false;

    ::mkdir(folder.c_str(), 0755);
    const std::int64_t oldSize = item.empty() ? 0 : FileOrFolderSize(PathIn(folder, item));
    if (!KeepsReserve(folder, FileOrFolderSize(source), oldSize)) {
        UI().ShowErrorBox(B5("無法以 ") + Shown(source) + B5(" 取代 ") + Shown(folder + "/") + shownItem +
                          B5(", 剩餘的保留空間不足."));
        return false;
    }
    UI().ShowWaitMessage(B5("檔案取代中, 請稍候 ..."));
    SongRow& song = AllSong[row];
    const std::string newName =
        MediaItemName(songNo, song[colVolume], song[colChannel], PathExtension(source));
    const bool ok = PlaceCopyAsItem(source, folder, item, newName);
    if (ok && song[colSpecialDel] == "X") {
        song[colSpecialDel].clear();
        if (!song[colSongName].empty() && song[colSongName][0] == 'X') song[colSongName].erase(0, 1);
        WriteSongRecord(row);
        RefreshGrid();
    }
    ReorderSongFolder(folder);
    UI().HideWaitMessage();
    UI().ShowInfoMessage(B5(ok ? "取代完成" : "取代失敗"));
    return ok;
}

}  // namespace qv
