// Other makers' song lists: the JETKTV comma-separated list (imported and written from a folder), another
// jukebox's fixed-width list and the songlist.txt conversion.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/AddSong.h"
#include "library/DiskTools.h"
#include "library/FileNameParser.h"
#include "library/SongFiles.h"
#include "outputs/SongListExchange.h"
#include "platform/MountInfo.h"
#include "settings/Settings.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

const std::array<const char*, 9> ClassNames{"男歌手",   "女歌手",   "團體歌手", "外語歌手", "其他",
                                            "雙人對唱", "樂隊組合", "特殊歌星", ""};
const std::array<const char*, 9> LanguageNames{"國語", "台語", "粵語", "英語", "其他",
                                               "日語", "客語", "越語", "兒歌"};

std::string ListFolder(const std::string& path) {
    const std::string parent = fs::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

// A path below a mount point, "\" between folders, beginning with "\".
std::pair<std::string, std::string> DriveAndPath(const std::string& path) {
    const std::string mount = MountOf(path).mountPoint;
    std::string below = path;
    if (!mount.empty() && mount != "/" && path.compare(0, mount.size(), mount) == 0)
        below = path.substr(mount.size());
    std::replace(below.begin(), below.end(), '/', '\\');
    if (below.empty() || below[0] != '\\') below = "\\" + below;
    return {mount.empty() ? "/" : mount, below};
}

std::string JetktvLine(size_t n, const std::string& utf8Path, const ParsedSongName& song) {
    const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
    const auto [drive, below] = DriveAndPath(utf8Path);
    const int cls = std::clamp(song.singerClass, 1, 8), language = std::clamp(song.language, 1, 9);
    std::string line = std::to_string(10000 + n) + "," + std::to_string(20000 + n) + "," + quoted(song.name) +
                       ",\"\"," + std::to_string(CountSongWords(song.name)) + "," + quoted(song.singer);
    for (int i = 0; i < 5; ++i) line += ",\"\"";
    line += "," + quoted(B5(ClassNames[cls - 1])) + ",\"\"," + quoted(B5(LanguageNames[language - 1])) +
            ",\"\",\"\",0,0,\"\",\"\",0," + quoted(Utf8ToBig5(drive)) + "," + quoted(Utf8ToBig5(below)) +
            ",\"\",\"\",0,,,";
    return line;
}

// The smallest entry name of the folder that begins with the literal prefix; empty when none (or when
// the prefix could reach another folder).
std::string FindEntryByPrefix(const std::string& folder, const std::string& prefix) {
    if (prefix.empty() || prefix.find('/') != std::string::npos) return {};
    std::string best;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0 && (best.empty() || name < best)) best = name;
    }
    return best;
}

}  // namespace

void OK1Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseOpenFile(path) || !ValidateCsvList(path)) return;
    const std::vector<std::string> lines = ReadListLines(path, false);
    ImportSongs(lines.size(), [&lines](size_t i, ImportSong& song) {
        if (lines[i].empty()) return false;
        std::string media;
        ParseCsvSongLine(lines[i], song.fields, media);
        if (song.fields[colSongName].empty()) return false;
        const fs::path file(media);
        const std::string folder = file.parent_path().string();
        const std::string entry = FindEntryByPrefix(folder, file.filename().string());
        if (entry.empty()) {
            UI().ShowErrorBox(B5("找不到") + Utf8ToBig5(media));
            return false;
        }
        song.media = PathIn(folder, entry);
        return true;
    });
}

void N900GX1Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseOpenFile(path) || !ValidateFixedWidthList(path)) return;
    const std::vector<std::string> lines = ReadListLines(path, false);
    const std::string folder = ListFolder(path);
    ImportSongs(lines.size(), [&](size_t i, ImportSong& song) {
        if (lines[i].empty()) return false;
        std::string number;
        ParseFixedWidthSongLine(lines[i], song.fields, number);
        if (song.fields[colSongName].empty()) return false;
        const std::string entry = FindEntryByPrefix(folder, number);
        if (entry.empty()) return false;
        song.media = PathIn(folder, entry);
        return true;
    });
}

void songlisttxtsong1txt1Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseOpenFile(path)) return;
    std::vector<std::string> converted;
    for (const std::string& line : ReadListLines(path, false))
        if (!line.empty() && line[0] != ';') converted.push_back(ConvertSongListLine(line));
    std::string target;
    if (!TheDiskToolsHost().ChooseSaveFile(target)) return;
    if (!ReplaceFileContents(target, JoinLinesCrLf(converted))) {
        ReportUnwritableFile(target);
        return;
    }
    UI().ShowInfoMessage(B5("轉檔完成"));
}

void CollectJetktvLines(const std::string& folder, std::vector<std::string>& lines) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (const auto& entry : fs::directory_iterator(folder, ec)) entries.push_back(entry);
    std::sort(entries.begin(), entries.end());
    const NameParseSettings settings = CurrentNameParseSettings();
    for (const fs::directory_entry& entry : entries) {
        const std::string path = entry.path().string();
        if (entry.is_directory(ec)) {
            if (!entry.is_symlink(ec)) CollectJetktvLines(path, lines);
            continue;
        }
        if (!HasMediaExtension(path)) continue;
        ParsedSongName parsed;
        ParseSongFileName(path, settings, parsed);
        lines.push_back(JetktvLine(lines.size() + 1, path, parsed));
    }
}

void N13Click() {
    std::string folder;
    if (!TheDiskToolsHost().ChooseFolder(B5("請選擇目錄"), LibraryRoot, folder)) return;
    if (!UI().AskYesNo(B5("將以 ") + Utf8ToBig5(folder) + B5(" 目錄產生JETKTV檔. 要繼續?"))) return;
    std::vector<std::string> lines;
    CollectJetktvLines(folder, lines);
    if (lines.empty()) {
        UI().ShowInfoMessage(B5("找不到影音檔"));
        return;
    }
    const std::string target = PathIn(AppDir, "JETKTV.txt");
    if (!ReplaceFileContents(target, JoinLinesCrLf(lines))) {
        ReportUnwritableFile(target);
        return;
    }
    UI().ShowInfoMessage(Utf8ToBig5(target) + B5(" 產生完成"));
}

}  // namespace qv
