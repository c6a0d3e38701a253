#include "library/InPlaceEdit.h"

#include <algorithm>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/SongFiles.h"
#include "catalogue/UserInterface.h"
#include "settings/Settings.h"

namespace qv {

int LastChosenClass = -1;
int LastChosenLanguage = -1;

void ForgetLastChoices() {
    LastChosenClass = -1;
    LastChosenLanguage = -1;
}

namespace {

const char* const kTextEditorPrefix = "edit_create";
const char* const kComboPrefix = "combo_create";
constexpr std::size_t kComboPrefixLength = 12;
constexpr int kLanguageOther = 5;  // "其他" goes last in the language box
constexpr int kMaxWordCount = 11;  // "11" stands for more than ten

// ---- Checks shared by the editors ----

// Row of the song the editor was opened on, or -1 after telling the user it is gone.
int RowOfEditedSong(const CellEdit& edit) {
    for (int r = 0; r < AllSongCount; ++r) {
        const SongRow& row = AllSong[r];
        if (row[colSongNo] != edit.songNo) continue;
        if (row[colSongName] == edit.name && row[colSinger] == edit.singer) return r;
        break;
    }
    UI().ShowErrorBox(B5("找不到欲修改的歌曲:") + edit.songNo);
    return -1;
}

bool IsBlank(const std::string& cell) { return TrimBlanks(cell).empty(); }

std::string Decimal(int n) { return std::to_string(n); }

// Another song with the same name, singer and language: the error box, and the editor stays.
bool RefuseDuplicate(const std::string& name, const std::string& singer, const std::string& songNo,
                     const std::string& languageCode) {
    if (FindDuplicateSong(name, singer, songNo, languageCode) < 0) return false;
    UI().ShowErrorBox(B5(" 歌庫中已有相同歌曲(歌名,歌手及語言皆相同)存在!"));
    return true;
}

// Name and singer keep to the rules of adding a song: no illegal characters, and cut to the field's width
// on a character boundary, so that the table holds what the song list file will hold.
bool RefuseIllegalText(int column, const std::string& value, bool fitsBig5) {
    if (column != colSongName && column != colSinger) return !fitsBig5;
    if (fitsBig5 && IsValidSongText(value)) return false;
    UI().ShowWarningBox(column == colSongName
                            ? B5("歌名中有不合法的字元, 強行加入可能會造成點歌機當機.")
                            : B5("歌手名稱中有不合法的字元, 強行加入可能會造成點歌機當機."));
    return true;
}

std::string CutToField(int column, const std::string& value) {
    return TrimAndCutName(value, SongFieldWidths[static_cast<std::size_t>(column)]);
}

// A new name brings its strokes, word count and pinyin with it. Set in memory only: the record written
// for the name carries them (each record write copies the whole song list aside first).
void SetNameKeys(int row, const std::string& name) {
    SongRow& song = AllSong[row];
    song[colStrokes] = Decimal(Big5StrokeCountOfFirstChar(name));
    song[colWordCount] = Decimal(std::min(CountSongWords(name), kMaxWordCount));
    song[colPinyin] = song[colLanguage] == "6" ? MakeJapanesePinyin(name, setup::PingYing)
                                               : MakePinyin(name, setup::PingYing);
}

// A new singer brings its word count and strokes, which the singer sort reads (memory only).
void StoreSingerKeys(int row) {
    SongRow& song = AllSong[row];
    song[colSingerWordCount] = Decimal(CountSongWords(song[colSinger]));
    song[colSingerStrokes] = Decimal(Big5StrokeCountOfFirstChar(song[colSinger]));
}

// Renames the media item for a new volume or channel (grid texts). False, after an error box, when the
// item could not take its new name; a song without an item has nothing to rename.
bool RenameMediaForVolumeChannel(const std::string& songNo, const std::string& volume,
                                 const std::string& channel) {
    const std::string folder = SongFolderOf(songNo);
    const std::string item = FindFileByPrefix(folder, songNo);
    if (item.empty()) return true;
    const std::string target = MediaItemName(songNo, volume, channel, ItemExtension(item));
    if (target == item) return true;
    const std::string from = PathIn(folder, item);
    const std::string to = PathIn(folder, target);
    if (!RenameNoReplace(from, to)) {
        UI().ShowErrorBox(B5("檔案更名") + Utf8ToBig5(from) + B5("到") + Utf8ToBig5(to) + B5("錯誤."));
        return false;
    }
    return true;
}

}  // namespace

CellAction ActionOfColumn(int column) {
    switch (column) {
        case colNewMark:
        case colPopular:
        case colFavourite:
        case colNostalgic:
        case colClassic:
        case colDomesticPhoto:
        case colForeignPhoto:
        case colSelfPlay:
        case colSelect:
        case colDeleteSelect:
            return CellAction::ToggleMark;
        case colSongName:
        case colPinyin:
        case colWordCount:
        case colSinger:
            return CellAction::EditText;
        case colSingerPriority:
        case colSingerClass:
        case colLanguage:
        case colVolume:
        case colChannel:
            return CellAction::ChooseItem;
        default:
            return CellAction::None;
    }
}

std::string TextEditorName(int gridRow) { return kTextEditorPrefix + Decimal(gridRow); }

std::string ComboEditorName(int column, int gridRow) {
    return kComboPrefix + ZeroPadInt(column, 4) + ZeroPadInt(gridRow, 6);
}

bool CellOfComboName(const std::string& name, int& column, int& gridRow) {
    if (name.size() != kComboPrefixLength + 10 || name.compare(0, kComboPrefixLength, kComboPrefix) != 0)
        return false;
    const std::string digits = name.substr(kComboPrefixLength);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    column = std::stoi(digits.substr(0, 4));
    gridRow = std::stoi(digits.substr(4));
    return true;
}

bool BeginCellEdit(int row, int column, CellEdit& edit) {
    if (row < 0 || row >= AllSongCount || column < 0 || column >= GridColCount) return false;
    const SongRow& song = AllSong[row];
    edit = {song[colSongNo], column, DisplayCell(row, column), song[colSongName], song[colSinger]};
    return true;
}

ComboChoices ComboChoicesOf(const CellEdit& edit) {
    ComboChoices c;
    const auto numbered = [&](int last) {
        c.items.push_back("");
        for (int n = 1; n <= last; ++n) c.items.push_back(Decimal(n));
        const int n = SafeStrToInt(edit.shown);
        c.selected = IsBlank(edit.shown) || n < 1 || n > last ? 0 : n;
    };
    const auto selectShown = [&] {
        const auto it = std::find(c.items.begin(), c.items.end(), edit.shown);
        c.selected = it == c.items.end() ? -1 : static_cast<int>(it - c.items.begin());
    };
    switch (edit.column) {
        case colSingerPriority:
            numbered(9);
            c.dropDownRows = 10;
            break;
        case colVolume:
            numbered(15);
            c.dropDownRows = 16;
            break;
        case colChannel:
            c.items = {"", B5("左"), B5("右")};
            c.selected = IsBlank(edit.shown) ? 0 : edit.shown == B5("左") ? 1 : 2;
            c.dropDownRows = 3;
            break;
        case colSingerClass: {
            const auto& names = SingerClassNames();
            const int first = LastChosenClass >= 1 && LastChosenClass <= 8 ? LastChosenClass : -1;
            if (first > 0) c.items.push_back(names[first - 1]);
            for (int code = 1; code <= 8; ++code)
                if (code != first) c.items.push_back(names[code - 1]);
            selectShown();
            c.dropDownRows = 8;
            break;
        }
        case colLanguage: {
            const auto& names = LanguageNames();
            const int first = LastChosenLanguage >= 1 && LastChosenLanguage <= 9 ? LastChosenLanguage : -1;
            if (first > 0) c.items.push_back(names[first - 1]);
            for (int code = 1; code <= 9; ++code)
                if (code != first && code != kLanguageOther) c.items.push_back(names[code - 1]);
            if (first != kLanguageOther) c.items.push_back(names[kLanguageOther - 1]);
            selectShown();
            c.dropDownRows = 9;
            break;
        }
        default:
            break;
    }
    return c;
}

EditResult ToggleMarkCell(int row, int column) {
    if (ActionOfColumn(column) != CellAction::ToggleMark || row < 0 || row >= AllSongCount) return {};
    const std::string& cell = AllSong[row][column];
    std::string value;
    if (column == colNewMark)
        value = IsBlank(cell) ? "*" : cell == "*" ? "@" : "";
    else
        value = IsBlank(cell) ? "*" : "";
    const std::string songNo = AllSong[row][colSongNo];
    if (UpdateInAllSong(songNo, column, value) < 0) return {EditOutcome::Refused};
    return {EditOutcome::Stored};
}

EditResult CommitTextEdit(const CellEdit& edit, const std::string& text, bool fitsBig5) {
    if (ActionOfColumn(edit.column) != CellAction::EditText) return {EditOutcome::Refused};
    const int row = RowOfEditedSong(edit);
    if (row < 0) return {EditOutcome::Refused};
    std::string value = TrimBlanks(text);
    if (value.empty() && edit.column != colPinyin) return {EditOutcome::Refused};
    if (RefuseIllegalText(edit.column, value, fitsBig5)) {
        return {edit.column == colSongName || edit.column == colSinger ? EditOutcome::KeepEditing
                                                                       : EditOutcome::Refused};
    }
    value = CutToField(edit.column, value);
    if (value == edit.shown) return {EditOutcome::Unchanged};

    const SongRow& song = AllSong[row];
    if (edit.column == colSongName && RefuseDuplicate(value, song[colSinger], edit.songNo, song[colLanguage]))
        return {EditOutcome::KeepEditing};
    if (edit.column == colSinger && RefuseDuplicate(song[colSongName], value, edit.songNo, song[colLanguage]))
        return {EditOutcome::KeepEditing};

    if (edit.column == colSongName) SetNameKeys(row, value);
    if (UpdateInAllSong(edit.songNo, edit.column, value) < 0) return {EditOutcome::Refused};
    if (edit.column == colSinger) StoreSingerKeys(row);
    return {EditOutcome::Stored};
}

EditResult CommitComboEdit(const CellEdit& edit, int itemIndex, const std::string& itemText) {
    if (itemIndex < 0 || ActionOfColumn(edit.column) != CellAction::ChooseItem) return {EditOutcome::Refused};
    const int row = RowOfEditedSong(edit);
    if (row < 0) return {EditOutcome::Refused};
    if (itemText == edit.shown) return {EditOutcome::Unchanged};

    EditResult result{EditOutcome::Stored};
    std::string value = itemText;
    switch (edit.column) {
        case colSingerClass:
            LastChosenClass = SingerClassCodeOfName(itemText);
            LastChosenLanguage = -1;
            value = Decimal(LastChosenClass);
            result.restartLastSelectTimer = true;
            break;
        case colLanguage:
            LastChosenLanguage = LanguageCodeOfName(itemText);
            LastChosenClass = -1;
            value = Decimal(LastChosenLanguage);
            result.restartLastSelectTimer = true;
            break;
        case colVolume:
        case colChannel:
            value = Decimal(itemIndex + 1);
            ForgetLastChoices();
            break;
        default:
            ForgetLastChoices();
            break;
    }

    const SongRow& song = AllSong[row];
    if (edit.column == colLanguage &&
        RefuseDuplicate(song[colSongName], song[colSinger], edit.songNo, value)) {
        result.outcome = EditOutcome::KeepEditing;
        return result;
    }
    // The media item is renamed first: when it cannot take the new name the table keeps the old values,
    // so the item's name and the song list never disagree.
    const bool media = edit.column == colVolume || edit.column == colChannel;
    if (media) {
        const std::string volume = edit.column == colVolume ? itemText : DisplayCell(row, colVolume);
        const std::string channel = edit.column == colChannel ? itemText : DisplayCell(row, colChannel);
        if (!RenameMediaForVolumeChannel(edit.songNo, volume, channel)) {
            result.outcome = EditOutcome::Refused;
            return result;
        }
    }
    // A priority goes on to every song of the singer inside UpdateInAllSong.
    if (UpdateInAllSong(edit.songNo, edit.column, value) < 0) {
        result.outcome = EditOutcome::Refused;
        // The item's name follows what the record still holds.
        if (media)
            RenameMediaForVolumeChannel(edit.songNo, DisplayCell(row, colVolume),
                                        DisplayCell(row, colChannel));
    }
    return result;
}

}  // namespace qv
