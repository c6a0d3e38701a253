#include "settings/SingerBinEditor.h"

#include <algorithm>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "settings/ScreenMenu.h"
#include "settings/Settings.h"

namespace qv::setup {
namespace {

constexpr size_t kLineWidth = 33;
const std::string kMarker(kLineWidth, '#');

// Language names by digit 1 .. 9.
const char* const kLanguageByDigit[9] = {"國語", "台語", "粵語", "英語", "其他",
                                         "日語", "客語", "越語", "兒歌"};

struct SplitFile {
    std::vector<std::string> singerLines;
    std::string tail;  // the bytes from the marker line on
    bool hasMarker = false;
};

// Lines end at CR LF, LF or CR; the marker line and all after it are kept as the bytes they are.
SplitFile SplitSingerBin(const std::string& bytes) {
    SplitFile split;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (line == kMarker) {
            split.tail = bytes.substr(start);
            split.hasMarker = true;
            return split;
        }
        split.singerLines.push_back(std::move(line));
        const bool crLf = end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n';
        const size_t next = end == bytes.size() ? end : end + (crLf ? 2 : 1);
        start = next;
    }
    return split;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string KeyOf(const std::string& name) { return LowerCaseBig5(TrimBlanks(name)); }

SingerGridRow RowOfLine(const std::string& line) {
    SingerGridRow row;
    const bool wellFormed =
        line.size() == kLineWidth && IsDigit(line[30]) && line[31] == ' ' && line[32] >= '0' &&
        line[32] <= '5' &&
        FixTruncatedDbcsTail(line.substr(0, SingerNameWidth)) == line.substr(0, SingerNameWidth) &&
        !TrimBlanks(line.substr(0, SingerNameWidth)).empty();
    size_t nameBytes = SingerNameWidth;
    size_t codes = SingerNameWidth;
    // A name longer than its field still ends with "digit blank digit".
    if (line.size() > kLineWidth && IsDigit(line[line.size() - 3]) && line[line.size() - 2] == ' ' &&
        IsDigit(line.back()))
        nameBytes = codes = line.size() - 3;
    row.name = TrimBlanks(FixTruncatedDbcsTail(line.substr(0, nameBytes)));
    row.language = LanguageNameOfDigit(codes < line.size() ? line[codes] : '0');
    row.singerClass = SingerClassNameOfDigit(codes + 2 < line.size() ? line[codes + 2] : '5');
    if (!wellFormed) row.keptLine = line;
    return row;
}

}  // namespace

const std::vector<const char*>& SingerLanguageItems() {
    static const std::vector<const char*> items{"國語", "台語", "粵語", "英語", "日語",
                                                "客語", "越語", "兒歌", "其他"};
    return items;
}

const std::vector<const char*>& SingerClassItems() {
    static const std::vector<const char*> items{"女歌手",   "男歌手",   "團體歌手",
                                                "外語歌手", "雙人對唱", "其他"};
    return items;
}

char LanguageNameToCode(const std::string& name) {
    for (int d = 0; d < 9; ++d)
        if (name == B5(kLanguageByDigit[d])) return static_cast<char>('1' + d);
    return '1';
}

char SingerClassNameToCode(const std::string& name) {
    const auto& items = SingerClassItems();
    for (size_t d = 0; d < items.size(); ++d)
        if (name == B5(items[d])) return static_cast<char>('0' + d);
    return '0';
}

std::string LanguageNameOfDigit(char digit) {
    return B5(digit >= '1' && digit <= '9' ? kLanguageByDigit[digit - '1'] : "其他");
}

std::string SingerClassNameOfDigit(char digit) {
    const auto& items = SingerClassItems();
    return B5(digit >= '0' && digit < static_cast<char>('0' + items.size()) ? items[digit - '0'] : "其他");
}

std::string SingerLine(const SingerGridRow& row) {
    if (row.keptLine) return *row.keptLine;
    return FixWidth(TrimBlanks(row.name), SingerNameWidth) + LanguageNameToCode(row.language) + ' ' +
           SingerClassNameToCode(row.singerClass);
}

std::string SingerBinEditor::Path() const { return SetupFile("singer.bin"); }

bool SingerBinEditor::Load() {
    rows_.clear();
    std::string bytes;
    if (!ReadFileBytes(Path(), bytes)) {
        UI().ShowErrorBox(B5("找不到singer.bin"));
        return false;
    }
    const SplitFile split = SplitSingerBin(bytes);
    for (const std::string& line : split.singerLines) rows_.push_back(RowOfLine(line));
    if (!split.hasMarker)
        UI().ShowWarningBox(
            B5("singer.bin沒有33個\"#\"的分隔行, 整個檔案都當作歌手資料, 存檔時每一行都會保留"));
    return true;
}

bool SingerBinEditor::Save(const std::vector<SingerGridRow>& rows) const {
    std::string bytes;
    if (!ReadFileBytes(Path(), bytes)) {
        UI().ShowErrorBox(B5("找不到singer.bin"));
        return false;
    }
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const SingerGridRow& row : rows) lines.push_back(SingerLine(row));
    std::string out = JoinLinesCrLf(lines) + SplitSingerBin(bytes).tail;
    if (!ReplaceFileContents(Path(), out)) {
        ReportUnwritableFile(Path());
        return false;
    }
    return true;
}

bool SingerBinEditor::Commit(std::vector<SingerGridRow> rows) {
    if (!Save(rows)) return false;
    rows_ = std::move(rows);
    return true;
}

bool SingerBinEditor::NameFits(const std::string& name) const {
    if (name.size() <= static_cast<size_t>(SingerNameWidth)) return true;
    UI().ShowErrorBox(B5("歌手/團體名稱不可超過30個位元組(15個中文字)"));
    return false;
}

bool SingerBinEditor::NameTaken(const std::string& name, int exceptRow) const {
    const std::string key = KeyOf(name);
    for (size_t r = 0; r < rows_.size(); ++r)
        if (static_cast<int>(r) != exceptRow && KeyOf(rows_[r].name) == key) return true;
    return false;
}

bool SingerBinEditor::Rename(size_t row, const std::string& name) {
    const std::string trimmed = TrimBlanks(name);
    if (row >= rows_.size() || trimmed.empty() || trimmed == rows_[row].name) return false;
    if (!NameFits(trimmed)) return false;
    if (NameTaken(trimmed, static_cast<int>(row))) {
        UI().ShowErrorBox(B5("已有相同的歌手/團體"));
        return false;
    }
    std::vector<SingerGridRow> rows = rows_;
    rows[row].name = trimmed;
    rows[row].keptLine.reset();
    return Commit(std::move(rows));
}

bool SingerBinEditor::SetCodeCell(size_t row, std::string SingerGridRow::*cell, const std::string& shown) {
    if (row >= rows_.size() || shown.empty() || shown == rows_[row].*cell) return false;
    if (!NameFits(rows_[row].name)) return false;
    std::vector<SingerGridRow> rows = rows_;
    rows[row].*cell = shown;
    rows[row].keptLine.reset();
    return Commit(std::move(rows));
}

bool SingerBinEditor::SetLanguage(size_t row, const std::string& language) {
    if (language.empty()) return false;
    return SetCodeCell(row, &SingerGridRow::language, LanguageNameOfDigit(LanguageNameToCode(language)));
}

bool SingerBinEditor::SetClass(size_t row, const std::string& singerClass) {
    if (singerClass.empty()) return false;
    return SetCodeCell(row, &SingerGridRow::singerClass,
                       SingerClassNameOfDigit(SingerClassNameToCode(singerClass)));
}

int SingerBinEditor::Add(const std::string& name, const std::string& language,
                         const std::string& singerClass) {
    const std::string trimmed = TrimBlanks(name);
    if (trimmed.empty()) {
        UI().ShowErrorBox(B5("請輸入歌手/團體名稱"));
        return -1;
    }
    if (language.empty()) {
        UI().ShowErrorBox(B5("請選取歌手主要的語言"));
        return -1;
    }
    if (singerClass.empty()) {
        UI().ShowErrorBox(B5("請選取歌手類別"));
        return -1;
    }
    if (!NameFits(trimmed)) return -1;
    // What is shown is what the file gets: an unknown text is written as its fallback digit.
    const SingerGridRow added{trimmed, LanguageNameOfDigit(LanguageNameToCode(language)),
                              SingerClassNameOfDigit(SingerClassNameToCode(singerClass)), std::nullopt};
    std::vector<SingerGridRow> rows = rows_;
    const std::string key = KeyOf(trimmed);
    auto found =
        std::find_if(rows.begin(), rows.end(), [&](const SingerGridRow& r) { return KeyOf(r.name) == key; });
    int at;
    if (found == rows.end()) {
        rows.push_back(added);
        at = static_cast<int>(rows.size()) - 1;
    } else {
        if (!UI().AskYesNo(B5("歌手資料庫中已有此歌手, 新增動作將取代舊的資料. 確定要新增?"))) return -1;
        *found = added;
        at = static_cast<int>(found - rows.begin());
    }
    if (!Commit(std::move(rows))) return -1;
    UI().ShowInfoMessage(B5("新增完成"));
    return at;
}

bool SingerBinEditor::Delete(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        UI().ShowErrorBox(B5("請選取欲刪除之歌手"));
        return false;
    }
    if (!UI().AskYesNo(B5("確定要從資料庫刪除歌手[") + rows_[row].name + B5("]的資料?"))) return false;
    std::vector<SingerGridRow> rows = rows_;
    rows.erase(rows.begin() + row);
    if (!Commit(std::move(rows))) return false;
    UI().ShowInfoMessage(B5("刪除完成"));
    return true;
}

int SingerBinEditor::Search(const std::string& keyword, int current) const {
    const std::string key = LowerCaseBig5(TrimBlanks(keyword));
    if (key.empty()) {
        UI().ShowErrorBox(B5("請輸入關鍵字"));
        return -1;
    }
    const int count = static_cast<int>(rows_.size());
    const int from = std::clamp(current, -1, count - 1);
    for (int step = 1; step <= count; ++step) {
        const int r = (from + step) % count;
        if (FindAligned(LowerCaseBig5(rows_[r].name), key) != std::string::npos) return r;
    }
    UI().ShowInfoMessage(B5("找不到相關歌手/團體"));
    return -1;
}

}  // namespace qv::setup
