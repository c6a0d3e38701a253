#include "settings/ScreenMenu.h"

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "settings/Settings.h"

namespace qv::setup {
namespace {

constexpr int kTitlePrefix = 6;
constexpr int kItemPrefix = 4;

constexpr ScreenMenuField Title(const char* name, int line, int width, const char* caption) {
    return {name, line, kTitlePrefix, width, caption, ""};
}
constexpr ScreenMenuField Item(const char* name, int line, const char* caption, const char* start) {
    return {name, line, kItemPrefix, 10, caption, start};
}

}  // namespace

const std::array<ScreenMenuField, ScreenMenuFieldCount>& ScreenMenuFields() {
    static const std::array<ScreenMenuField, ScreenMenuFieldCount> fields{
        Title("Edit3_1", 1, 8, "歌星點歌"),       Title("Edit3_2", 2, 8, "語言點歌"),
        Title("Edit3_3", 3, 8, "收藏歌曲"),       Title("Edit3_6", 4, 10, "點播排行榜"),
        Title("Edit3_7", 5, 8, "拼音點歌"),       Title("Edit3_8", 6, 8, "注音點歌"),
        Item("Edit3_11", 8, "1.男歌星", "1."),    Item("Edit3_12", 9, "2.女歌星", "2."),
        Item("Edit3_13", 10, "3.團體歌星", "3."), Item("Edit3_14", 11, "4.外語歌星", "4."),
        Item("Edit3_15", 12, "5.雙人對唱", "5."), Item("Edit3_16", 13, "6.其他歌星", "6."),
        Item("Edit3_21", 15, "1.國語歌曲", "1."), Item("Edit3_22", 16, "2.台語歌曲", "2."),
        Item("Edit3_23", 17, "3.粵語歌曲", "3."), Item("Edit3_24", 18, "4.英文歌曲", "4."),
        Item("Edit3_25", 19, "5.日韓歌曲", "5."), Item("Edit3_26", 20, "6.其他語言", "6."),
        Item("Edit3_31", 22, "1.新進歌曲", "1."), Item("Edit3_32", 23, "2.流行歌曲", "2."),
        Item("Edit3_33", 24, "3.我的最愛", "3."), Item("Edit3_34", 25, "4.懷舊歌曲", "4."),
        Item("Edit3_35", 26, "5.經典歌曲", "5."), Item("Edit3_36", 27, "6.所有歌曲", "6."),
        Item("Edit3_41", 29, "1. 3劃以下", "1."), Item("Edit3_42", 30, "2. 3到 7劃", "2."),
        Item("Edit3_43", 31, "3. 8到10劃", "3."), Item("Edit3_44", 32, "4.11到13劃", "4."),
        Item("Edit3_45", 33, "5.13劃以上", "5."), Item("Edit3_46", 34, "6.最愛歌手", "6."),
        Item("Edit3_51", 36, "1.一到二字", "1."), Item("Edit3_52", 37, "2.三字歌曲", "2."),
        Item("Edit3_53", 38, "3.四字歌曲", "3."), Item("Edit3_54", 39, "4.五字歌曲", "4."),
        Item("Edit3_55", 40, "5.六字歌曲", "5."), Item("Edit3_56", 41, "6.七字以上", "6."),
    };
    return fields;
}

std::string FixWidth(const std::string& text, int width) {
    const auto n = static_cast<size_t>(std::max(width, 0));
    if (text.size() > n) return FixTruncatedDbcsTail(text.substr(0, n));
    return text + std::string(n - text.size(), ' ');
}

std::string ScreenMenuPath() { return SetupFile("000/menu.ztx"); }

ScreenMenuTexts DefaultScreenMenu() {
    ScreenMenuTexts texts;
    for (int i = 0; i < ScreenMenuFieldCount; ++i) texts[i] = B5(ScreenMenuFields()[i].caption);
    return texts;
}

ScreenMenuTexts LoadScreenMenu() {
    ScreenMenuTexts texts = DefaultScreenMenu();
    std::string bytes;
    if (!ReadFileBytes(ScreenMenuPath(), bytes)) return texts;
    const std::vector<std::string> lines = SplitTextLines(bytes);
    for (int i = 0; i < ScreenMenuFieldCount; ++i) {
        const ScreenMenuField& f = ScreenMenuFields()[i];
        if (f.line >= static_cast<int>(lines.size())) continue;
        const std::string& line = lines[f.line];
        const std::string field =
            line.size() > static_cast<size_t>(f.prefixBytes) ? line.substr(f.prefixBytes, f.width) : "";
        texts[i] = TrimTrailingBlanks(FixTruncatedDbcsTail(field));
    }
    return texts;
}

bool ApplyScreenMenu(const ScreenMenuTexts& texts) {
    const std::string path = ScreenMenuPath();
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        UI().ShowInfoMessage(B5("錯誤:") + Utf8ToBig5(path) + B5("不存在"));
        return true;
    }
    std::vector<std::string> lines = SplitTextLines(bytes);
    if (lines.size() < static_cast<size_t>(ScreenMenuLineCount)) {
        UI().ShowErrorBox(B5("錯誤:") + Utf8ToBig5(path) + B5("只有") + std::to_string(lines.size()) +
                          B5("行, 不足42行, 未寫入"));
        return false;
    }
    for (int i = 0; i < ScreenMenuFieldCount; ++i) {
        const ScreenMenuField& f = ScreenMenuFields()[i];
        // A line too short for its prefix keeps the field in its column.
        lines[f.line] =
            FixWidth(lines[f.line].substr(0, f.prefixBytes), f.prefixBytes) + FixWidth(texts[i], f.width);
    }
    if (!ReplaceFileContents(path, JoinLinesCrLf(lines))) {
        ReportUnwritableFile(path);
        return false;
    }
    return true;
}

}  // namespace qv::setup
