#include "outputs/SongListExchange.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <numeric>

#include "catalogue/BeneathFolder.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/AddSong.h"
#include "library/DiskFiles.h"
#include "library/DiskTools.h"
#include "library/SongFiles.h"
#include "settings/Settings.h"

namespace qv {
namespace {

constexpr int NumberSpace = 999 * 80;  // folders 001..999 of 80 songs each

std::string Folder(const std::string& path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

// The list's folder, opened once per import, and the items of its song folders, each folder read once.
struct ListFolder {
    explicit ListFolder(const std::string& path) : path(path), fd(OpenFolder(path)) {}
    std::string path;
    UniqueFd fd;
    std::map<std::string, std::map<std::string, std::string>> listed;
};

// Sets the song's media to the entry of the list folder's song folder that begins with the literal
// five-digit number; other numbers name nothing. The list comes from another machine's disk: an item that
// is a link, or lies in a song folder that is one, is none. False when there is none.
bool FindListMedia(ListFolder& list, ImportSong& song) {
    const std::string& songNo = song.fields[colSongNo];
    if (songNo.size() != 5 ||
        !std::all_of(songNo.begin(), songNo.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const std::string folderName = songNo.substr(0, 3);
    const std::string folder = PathIn(list.path, folderName);
    auto listing = list.listed.find(folder);
    if (listing == list.listed.end()) listing = list.listed.emplace(folder, SongItemsOfFolder(folder)).first;
    const auto item = listing->second.find(songNo);
    if (item == listing->second.end()) return false;
    const EntryKind kind = EntryKindBeneath(list.fd.get(), folderName + "/" + item->second);
    if (kind != EntryKind::File && kind != EntryKind::Folder) return false;
    song.media = PathIn(folder, item->second);
    song.picture = kind == EntryKind::Folder;
    return true;
}

void ReportMissing(const std::string& listFolder, const std::string& songNo) {
    UI().ShowErrorBox(B5("找不到") + Utf8ToBig5(PathIn(listFolder, songNo.substr(0, 3))) + "/" + songNo +
                      ".*");
}

// The list's lines prepared for one of its readers.
bool ImportListLines(const std::string& path, const std::vector<std::string>& lines,
                     const std::vector<size_t>& order, bool wholeRecords) {
    const std::string listFolder = Folder(path);
    ListFolder list(listFolder);
    return ImportSongs(order.size(), [&](size_t i, ImportSong& song) {
        const std::string& line = lines[order[i]];
        if (line.empty()) return false;
        if (wholeRecords)
            SplitSongRecord(line, song.fields);
        else
            SplitSongListLine(line, song.fields);
        if (song.fields[colSongNo].empty()) return false;
        song.fields.resize(AllSongColCount);
        song.fields[colNewMark] = "*";
        if (FindListMedia(list, song)) return true;
        ReportMissing(listFolder, song.fields[colSongNo]);
        return false;
    });
}

std::vector<size_t> FileOrder(size_t count) {
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

}  // namespace

bool IsImportDuplicate(const FieldList& fields, SongNameIndex& index) {
    if (setup::IsSameSongNameBeSameSong) return index.FindByName(fields[colSongName]) >= 0;
    return index.FindDuplicate(fields[colSongName], fields[colSinger], "", fields[colLanguage]) >= 0;
}

bool ImportSongs(size_t lineCount, const std::function<bool(size_t, ImportSong&)>& prepare) {
    AddingSongs = true;
    TheDiskToolsHost().ResetSongFilters();
    UI().SetProgress(0, static_cast<int>(lineCount));
    bool stopped = false;
    {
        // A walk over a whole library per line, or a move to the top of the singer list per song, would cost
        // more than the song's copy: the names are looked up in an index and the singer entries placed at the
        // end of the loop (nothing in it reads the singer list).
        SongNameIndex index;
        SingerDisplayBatch singers;
        // Room for the list's songs at once: a table that grows song by song is moved whole each time it
        // outgrows its room. The number space bounds it, whatever the list holds.
        const size_t room = std::min(lineCount, static_cast<size_t>(std::max(NumberSpace - AllSongCount, 0)));
        AllSong.reserve(static_cast<size_t>(AllSongCount) + room);
        ShownRows.reserve(ShownRows.size() + room);
        const StagingSession staging;
        for (size_t i = 0; i < lineCount && !stopped; ++i) {
            UI().SetProgress(static_cast<int>(i + 1), static_cast<int>(lineCount));
            ImportSong song;
            if (!prepare(i, song) || IsImportDuplicate(song.fields, index)) continue;
            DiskFull = false;
            const std::string name = song.fields[colSongName];
            if (AddSongFile(song.fields, song.media, song.picture ? *song.picture : IsFolder(song.media)))
                continue;
            stopped = true;
            UI().ShowErrorBox(B5(DiskFull ? "歌庫磁碟剩餘的保留空間不足, 匯入停止於第"
                                          : "歌曲複製或寫入失敗, 匯入停止於第") +
                              std::to_string(i + 1) + B5("行: ") + name);
        }
    }
    if (!stopped) UI().ShowInfoMessage(B5("歌曲匯入完成"));
    UI().SetProgress(0, static_cast<int>(lineCount));
    AddingSongs = false;
    TheDiskToolsHost().RefreshSongList();
    return !stopped;
}

bool ImportSongList2(const std::string& path) {
    const std::vector<std::string> lines = ReadListLines(path, true);
    return ImportListLines(path, lines, FileOrder(lines.size()), true);
}

bool ImportSongList(const std::string& path, bool byWordCount) {
    const std::vector<std::string> lines = ReadListLines(path, true);
    std::vector<size_t> order = FileOrder(lines.size());
    if (byWordCount)
        std::sort(order.begin(), order.end(),
                  [&lines](size_t a, size_t b) { return CompareQv2ListLines(lines[a], lines[b]) < 0; });
    return ImportListLines(path, lines, order, false);
}

void N2Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseOpenFile(path)) return;
    if (ValidateSongListShort(path, false))
        ImportSongList2(path);
    else if (ValidateSongListLong(path, true))
        ImportSongList(path);
    else
        UI().ShowErrorBox(B5("檔案並非song.qv或song.qv2格式"));
}

void QV21Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseOpenFile(path) || !ValidateSongListLong(path, true)) return;
    ImportSongList(path);
}

void QV22Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseOpenFile(path) || !ValidateSongListLong(path, true)) return;
    ImportSongList(path, true);
}

void N3Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseSaveFile(path)) return;
    const std::string listFolder = Folder(path);
    // The copies are made in the list's folder, so one look there finds what a killed run left.
    RemoveLeftoverCopies(listFolder);
    std::vector<std::string> lines;
    const int last = std::max(AllSongCount - 1, 0);
    bool stopped = false;
    for (int row = 0; row < AllSongCount && !stopped; ++row) {
        UI().SetProgress(row, last);
        const SongRow song = AllSong[static_cast<size_t>(row)];
        if (song[colNewMark].empty()) continue;
        const std::string target = PathIn(listFolder, song[colSongNo].substr(0, 3));
        const ExportResult copied = ExportSongItem(
            song[colSongNo], target, [](const std::string& item) { return item; }, listFolder);
        stopped = copied == ExportResult::Stopped;
        if (copied == ExportResult::Copied) lines.push_back(JoinSongRecord(song));
    }
    // Written after a stop too, so the songs copied so far can be imported; only a whole export is done.
    EncodeLineList(lines);
    if (!ReplaceFileContents(path, JoinLinesCrLf(lines)))
        ReportUnwritableFile(path);
    else if (!stopped)
        UI().ShowInfoMessage(B5("新歌匯出完成"));
    UI().SetProgress(0, last);
}

}  // namespace qv
