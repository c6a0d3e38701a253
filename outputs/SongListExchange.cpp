#include "outputs/SongListExchange.h"

#include <algorithm>
#include <filesystem>
#include <numeric>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
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

// Widths of the record's fields; the list lines are records of "song.qv2".
std::string Chars(const std::string& line, size_t from, size_t to) {  // 1-based, inclusive
    if (line.size() < to) return {};
    return line.substr(from - 1, to - from + 1);
}

bool Number(const std::string& text) { return IsInteger(TrimTrailingBlanks(TrimLeadingBlanks(text))); }

std::string Trimmed(const std::string& text) { return TrimTrailingBlanks(TrimLeadingBlanks(text)); }

bool IsPlainFirstLine(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (!line.empty()) return IsInteger(line.substr(0, 5));
    return true;
}

std::string Folder(const std::string& path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

// The media of a list's song: the entry of the list folder's song folder that begins with the literal
// five-digit number; other numbers name nothing.
std::string ListMedia(const std::string& listFolder, const std::string& songNo) {
    if (songNo.size() != 5 ||
        !std::all_of(songNo.begin(), songNo.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    const std::string folder = PathIn(listFolder, songNo.substr(0, 3));
    const std::string item = FindFileByPrefix(folder, songNo);
    return item.empty() ? std::string() : PathIn(folder, item);
}

void ReportMissing(const std::string& listFolder, const std::string& songNo) {
    UI().ShowErrorBox(B5("找不到") + Utf8ToBig5(PathIn(listFolder, songNo.substr(0, 3))) + "/" + songNo +
                      ".*");
}

// The short check's and the long check's rules; the long one looks at two more semicolons.
bool ValidateSongList(const std::string& path, bool report, bool longCheck) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    std::vector<std::string> lines = SplitTextLines(bytes);
    if (longCheck && !IsPlainFirstLine(lines))
        for (size_t i = 0; i < lines.size(); ++i) lines[i] = DecodeLine(static_cast<int>(i), lines[i]);
    std::vector<size_t> semicolons{67, 78, 81, 98, 100, 102, 104, 107, 109, 111, 113, 115, 117, 119};
    if (longCheck) semicolons.insert(semicolons.end(), {121, 123});
    const auto at = [](const std::string& line, size_t position) {
        return line.size() >= position ? line[position - 1] : '\0';
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        const char* rule = nullptr;
        if (at(line, 6) != ':')
            rule = "行第6字元不是冒號(:)";
        else if (std::any_of(semicolons.begin(), semicolons.end(),
                             [&](size_t p) { return at(line, p) != ';'; }))
            rule = longCheck ? "行第67,78,81,98,100,102,105,108,110,112字元不是分號(;)"
                             : "行第67,78,81,98,100,102,104,107,109,111,113,115,117,119字元不是分號(;)";
        else if (!IsInteger(Chars(line, 1, 5)))
            rule = "行前5個字元不是數字";
        else if (!Number(Chars(line, 79, 80)))
            rule = "行第79,80字元不是數字";
        else if (!IsInteger(Chars(line, 101, 101)))
            rule = "行第101字元不是數字";
        else if (!IsInteger(Chars(line, 103, 103)))
            rule = "行第103字元不是數字";
        else if (!Number(Chars(line, 105, 106)))
            rule = "行第105,106字元不是數字";
        if (rule) {
            if (report) UI().ShowErrorBox(B5("檔案格式有誤:第") + std::to_string(i + 1) + B5(rule));
            return false;
        }
    }
    return true;
}

// The list's lines prepared for one of its readers.
bool ImportListLines(const std::string& path, const std::vector<std::string>& lines,
                     const std::vector<size_t>& order, bool wholeRecords) {
    const std::string listFolder = Folder(path);
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
        song.media = ListMedia(listFolder, song.fields[colSongNo]);
        if (song.media.empty()) ReportMissing(listFolder, song.fields[colSongNo]);
        return !song.media.empty();
    });
}

std::vector<size_t> FileOrder(size_t count) {
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

}  // namespace

bool IsImportDuplicate(const FieldList& fields) {
    if (setup::IsSameSongNameBeSameSong) return FindSongByName(fields[colSongName]) >= 0;
    return FindDuplicateSong(fields[colSongName], fields[colSinger], "", fields[colLanguage]) >= 0;
}

bool ImportSongs(size_t lineCount, const std::function<bool(size_t, ImportSong&)>& prepare) {
    AddingSongs = true;
    TheDiskToolsHost().ResetSongFilters();
    UI().SetProgress(0, static_cast<int>(lineCount));
    bool stopped = false;
    for (size_t i = 0; i < lineCount && !stopped; ++i) {
        UI().SetProgress(static_cast<int>(i + 1), static_cast<int>(lineCount));
        ImportSong song;
        if (!prepare(i, song) || IsImportDuplicate(song.fields)) continue;
        DiskFull = false;
        const std::string name = song.fields[colSongName];
        if (AddSongFile(song.fields, song.media, IsFolder(song.media))) continue;
        stopped = true;
        UI().ShowErrorBox(
            B5(DiskFull ? "歌庫磁碟剩餘的保留空間不足, 匯入停止於第" : "歌曲複製或寫入失敗, 匯入停止於第") +
            std::to_string(i + 1) + B5("行: ") + name);
    }
    if (!stopped) UI().ShowInfoMessage(B5("歌曲匯入完成"));
    UI().SetProgress(0, static_cast<int>(lineCount));
    AddingSongs = false;
    TheDiskToolsHost().RefreshSongList();
    return !stopped;
}

std::vector<std::string> ReadListLines(const std::string& path, bool decipher) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return {};
    std::vector<std::string> lines = SplitTextLines(bytes);
    if (decipher && !IsPlainFirstLine(lines))
        for (size_t i = 0; i < lines.size(); ++i) lines[i] = DecodeLine(static_cast<int>(i), lines[i]);
    return lines;
}

bool ValidateSongListShort(const std::string& path, bool report) {
    return ValidateSongList(path, report, false);
}
bool ValidateSongListLong(const std::string& path, bool report) {
    return ValidateSongList(path, report, true);
}

void SplitSongListLine(const std::string& line, FieldList& fields) {
    fields.clear();
    size_t position = 0;
    for (int f = 0; f < SongFieldCount - 1; ++f) {
        const size_t width = static_cast<size_t>(SongFieldWidths[f]);
        fields.push_back(position < line.size() ? Trimmed(line.substr(position, width)) : std::string());
        position += width + 1;
    }
}

bool ImportSongList2(const std::string& path) {
    const std::vector<std::string> lines = ReadListLines(path, true);
    return ImportListLines(path, lines, FileOrder(lines.size()), true);
}

int CompareQv2ListLines(const std::string& a, const std::string& b) {
    const auto key = [](const std::string& line, size_t from, size_t to) {
        const std::string text = Trimmed(line.size() >= from ? line.substr(from - 1, to - from + 1) : "");
        return text.empty() ? 0 : SafeStrToInt(text);
    };
    const auto language = [&key](const std::string& line) {
        const int code = key(line, 103, 103);
        return code == 5 ? 10 : code;
    };
    if (int c = language(a) - language(b)) return c;
    if (int c = key(a, 79, 80) - key(b, 79, 80)) return c;
    if (int c = key(a, 105, 106) - key(b, 105, 106)) return c;
    return LocaleCompare(Trimmed(a.size() >= 7 ? a.substr(6, 60) : ""),
                         Trimmed(b.size() >= 7 ? b.substr(6, 60) : ""));
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
    std::vector<std::string> lines;
    const int last = std::max(AllSongCount - 1, 0);
    bool stopped = false;
    for (int row = 0; row < AllSongCount && !stopped; ++row) {
        UI().SetProgress(row, last);
        const SongRow song = AllSong[static_cast<size_t>(row)];
        if (song[colNewMark].empty()) continue;
        const std::string target = PathIn(listFolder, song[colSongNo].substr(0, 3));
        const ExportResult copied =
            ExportSongItem(song[colSongNo], target, [](const std::string& item) { return item; });
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
