// The readers of song-list files: their checks, their line parsers and the songlist.txt conversion. No
// dialogs, no copies: the import and export commands are built on these.
#include "outputs/ListReaders.h"

#include <algorithm>
#include <string_view>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/FileNameParser.h"
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

}  // namespace

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
    const std::vector<std::string> lines = ReadListLines(path, false);
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
    const std::vector<std::string> lines = ReadListLines(path, false);
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
    // Fixed widths may end inside a double-byte character: its lone lead byte becomes a blank.
    row = NewRow(TrimTrailingBlanks(FixTruncatedDbcsTail(field(9, 39))),
                 TrimTrailingBlanks(FixTruncatedDbcsTail(singer)), singerClass, language);
}

std::string ConvertSongListLine(const std::string& line) {
    const auto field = [&line](size_t from, size_t width) {
        return line.size() >= from ? line.substr(from - 1, width) : std::string();
    };
    // A fixed width may end inside a double-byte character: its lone lead byte becomes a blank.
    const std::string nameField = FixTruncatedDbcsTail(field(1, 20));
    const std::string name = TrimTrailingBlanks(nameField);
    const int words = name.empty() ? 1 : std::min(CountSongWords(name), 11);
    const std::string strokes = std::to_string(name.empty() ? 0 : Big5StrokeCountOfFirstChar(name));
    const std::string number = TrimTrailingBlanks(TrimLeadingBlanks(field(45, 5)));
    return PadField(number, 5, true) + ":" + PadField(nameField, 60, false) + ";" +
           PadField(field(51, 10), 10, false) + ";" + PadField(std::to_string(words), 2, false) + ";" +
           PadField(FixTruncatedDbcsTail(field(22, 8)), 16, false) + ";" + PadField(field(37, 1), 1, false) +
           ";" + PadField(field(40, 1), 1, false) + ";" + strokes.substr(0, 1) + ";" + " ; ;";
}

}  // namespace qv
