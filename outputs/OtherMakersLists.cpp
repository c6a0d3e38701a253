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

std::string Lower(const std::string& text) { return LowerCaseBig5(text); }

bool Is(const std::string& text, const char* utf8) { return text == B5(utf8); }

// Blanks at the end, the full-width blank A1 40 among them.
std::string TrimTrailingWide(std::string text) {
    for (;;) {
        text = TrimTrailingBlanks(text);
        size_t last = 0;
        for (size_t i = 0; i < text.size(); i += Big5CharLength(text, i)) last = i;
        if (text.size() < 2 || text.compare(last, std::string::npos, "\xA1\x40") != 0) return text;
        text.resize(last);
    }
}

// Commas of the text outside double-byte characters, as byte positions.
std::vector<size_t> CommaPositions(const std::string& text) {
    std::vector<size_t> commas;
    for (size_t i = 0; i < text.size(); i += Big5CharLength(text, i))
        if (text[i] == ',') commas.push_back(i);
    return commas;
}

std::vector<std::string> FileLines(const std::string& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return SplitTextLines(bytes);
}

std::string ListFolder(const std::string& path) {
    const std::string parent = fs::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

bool FailLine(size_t line, const char* rule) {
    UI().ShowErrorBox(B5("檔案格式有誤:第") + std::to_string(line) + B5(rule));
    return false;
}

// The fields every import derives from the name, and the new-song mark and date.
FieldList NewRow(const std::string& name, const std::string& singer, const std::string& singerClass,
                 const std::string& language) {
    FieldList row(AllSongColCount);
    row[colSongName] = name;
    row[colPinyin] = MakePinyin(name, setup::PingYing);
    row[colWordCount] = std::to_string(std::min(CountSongWords(name), 11));
    row[colSinger] = singer;
    row[colSingerClass] = singerClass;
    row[colLanguage] = language;
    row[colStrokes] = std::to_string(Big5StrokeCountOfFirstChar(name));
    row[colNewMark] = "*";
    row[colDateAdded] = TodayText();
    return row;
}

std::string CsvClass(const std::string& field) {
    if (Is(field, "男歌手") || Lower(field) == "male") return "1";
    if (Is(field, "女歌手") || Lower(field) == "female") return "2";
    return "5";
}

std::string CsvLanguage(const std::string& field) {
    const std::pair<const char*, const char*> table[] = {{"國語", "1"}, {"台語", "2"}, {"臺語", "2"},
                                                         {"粵語", "3"}, {"英語", "4"}, {"日語", "6"},
                                                         {"客語", "7"}, {"越語", "8"}, {"兒歌", "9"}};
    for (const auto& [name, code] : table)
        if (Is(field, name)) return code;
    return Lower(field) == "english" ? "4" : "5";
}

char At(const std::string& line, size_t position) {
    return line.size() >= position ? line[position - 1] : '\0';
}

bool OneOf(char c, const char* set) {
    return c != '\0' && std::string_view(set).find(c) != std::string_view::npos;
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

int CountCsvCommas(const std::string& text) { return static_cast<int>(CommaPositions(text).size()); }

std::string StripQuotes(const std::string& text) {
    if (text.empty() || text.front() != '"') return text;
    if (text.size() >= 2 && text.back() == '"') return text.substr(1, text.size() - 2);
    return text.substr(1);
}

std::string GetCsvField(const std::string& text, int n) {
    const std::vector<size_t> commas = CommaPositions(text);
    if (n < 1 || static_cast<size_t>(n) > commas.size() + 1) return {};
    const size_t start = n == 1 ? 0 : commas[static_cast<size_t>(n) - 2] + 1;
    const size_t end =
        static_cast<size_t>(n) <= commas.size() ? commas[static_cast<size_t>(n) - 1] : text.size();
    return TrimTrailingWide(StripQuotes(TrimTrailingWide(text.substr(start, end - start))));
}

bool ValidateCsvList(const std::string& path) {
    const std::vector<std::string> lines = FileLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        if (CountCsvCommas(line) < 22) return FailLine(i + 1, "行少於23個欄位");
        if (CsvClass(GetCsvField(line, 12)) == "5") return FailLine(i + 1, "行第12欄不是[男歌手]或[女歌手]");
        const std::string language = GetCsvField(line, 14);
        if (CsvLanguage(language) == "5" && !Is(language, "其他"))
            return FailLine(i + 1,
                            "行第14欄不是[國語],[台語],[臺語],[粵語],[英語],[日語],[客語],[越語],[兒歌],["
                            "english]或[其他]");
    }
    return true;
}

bool ValidateFixedWidthList(const std::string& path) {
    const std::vector<std::string> lines = FileLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        if (line.size() < 66) return FailLine(i + 1, "行長度不到66個字元");
        if (!IsInteger(line.substr(0, 5))) return FailLine(i + 1, "行前5個字元不是數字");
        if (!OneOf(At(line, 7), "MFOGXmfogx"))
            return FailLine(i + 1, "行第7個字元不屬於[M,F,O,G,X,m,f,o,g,x]");
        if (!OneOf(At(line, 63), "1234567CcTtMmAa"))
            return FailLine(i + 1, "行第63個字元不屬於[1,2,3,4,5,6,7,C,c,T,t,M,m,A,a]");
    }
    return true;
}

std::string JetktvMediaPath(const std::string& drive, const std::string& path) {
    std::string below = Big5ToUtf8(path);
    std::replace(below.begin(), below.end(), '\\', '/');
    std::string root = Big5ToUtf8(drive);
    while (!root.empty() && root.back() == '/') root.pop_back();
    return root + (below.empty() || below[0] != '/' ? "/" : "") + below;
}

void ParseCsvSongLine(const std::string& line, FieldList& row, std::string& mediaPath) {
    const std::string name = GetCsvField(line, 3);
    row = NewRow(name, NormalizeWideSpacing(GetCsvField(line, 6)), CsvClass(GetCsvField(line, 12)),
                 CsvLanguage(GetCsvField(line, 14)));
    mediaPath = JetktvMediaPath(GetCsvField(line, 22), GetCsvField(line, 23));
}

void ParseFixedWidthSongLine(const std::string& line, FieldList& row, std::string& listSongNo) {
    listSongNo = line.substr(0, At(line, 6) != ' ' && At(line, 6) != '\0' ? 6 : 5);
    const auto field = [&line](size_t from, size_t to) {
        return line.size() >= from ? line.substr(from - 1, to - from + 1) : std::string();
    };
    std::string singer = field(42, 61);
    for (size_t amp; (amp = singer.find('&')) != std::string::npos;) singer.replace(amp, 1, "  ");
    std::string singerClass = "5";
    switch (At(line, 7)) {
        case 'M':
        case 'm':
        case 'O':
        case 'o':
        case 'X':
        case 'x':
            singerClass = "1";
            break;
        case 'F':
        case 'f':
            singerClass = "2";
            break;
        case 'G':
        case 'g':
            singerClass = "3";
            break;
        default:
            break;
    }
    std::string language = "5";
    switch (At(line, 63)) {
        case '1':
        case 'C':
        case 'c':
            language = "1";
            break;
        case '2':
        case 'T':
        case 't':
            language = "2";
            break;
        case '3':
            language = "4";
            break;
        case '4':
            language = "6";
            break;
        case '5':
            language = "3";
            break;
        case '7':
            language = "7";
            break;
        case '6':
            language = "9";
            break;
        default:
            break;
    }
    row = NewRow(TrimTrailingBlanks(field(9, 39)), TrimTrailingBlanks(singer), singerClass, language);
}

void OK1Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseOpenFile(path) || !ValidateCsvList(path)) return;
    const std::vector<std::string> lines = FileLines(path);
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
    const std::vector<std::string> lines = FileLines(path);
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

std::string ConvertSongListLine(const std::string& line) {
    const auto field = [&line](size_t from, size_t width) {
        return line.size() >= from ? line.substr(from - 1, width) : std::string();
    };
    const std::string name = TrimTrailingBlanks(field(1, 20));
    const int words = name.empty() ? 1 : std::min(CountSongWords(name), 11);
    const std::string strokes = std::to_string(name.empty() ? 0 : Big5StrokeCountOfFirstChar(name));
    const std::string number = TrimTrailingBlanks(TrimLeadingBlanks(field(45, 5)));
    return PadField(number, 5, true) + ":" + PadField(field(1, 20), 60, false) + ";" +
           PadField(field(51, 10), 10, false) + ";" + PadField(std::to_string(words), 2, false) + ";" +
           PadField(field(22, 8), 16, false) + ";" + PadField(field(37, 1), 1, false) + ";" +
           PadField(field(40, 1), 1, false) + ";" + strokes.substr(0, 1) + ";" + " ; ;";
}

void songlisttxtsong1txt1Click() {
    std::string path;
    if (!TheDiskToolsHost().ChooseOpenFile(path)) return;
    std::vector<std::string> converted;
    for (const std::string& line : FileLines(path))
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
