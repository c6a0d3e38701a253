#pragma once
// The singer table editor over "singer.bin" below AppPath: the singer lines before the marker line of 33
// "#" as rows of name, language name and class name (Big5). Every change is saved at once; a change whose
// save fails is taken back, so the rows always show the file. Everything from the marker line on is kept
// byte for byte. A singer line the editor cannot read as name, language digit and class digit keeps its
// bytes until it is edited. Messages go through UI().
#include <optional>
#include <string>
#include <vector>

namespace qv::setup {

struct SingerGridRow {
    std::string name;                     // trimmed
    std::string language;                 // "國語" ..
    std::string singerClass;              // "女歌手" ..
    std::optional<std::string> keptLine;  // the file's line, for a line that is not a well-formed record
};

inline constexpr int SingerNameWidth = 30;

// Digit tables of the file (not the song record's codes).
const std::vector<const char*>& SingerLanguageItems();  // combo order: "國語", "台語", ... "兒歌", "其他"
const std::vector<const char*>& SingerClassItems();   // digit order: "女歌手", "男歌手", ... "其他"
char LanguageNameToCode(const std::string& name);     // '1' for an unknown name
char SingerClassNameToCode(const std::string& name);  // '0' for an unknown name
std::string LanguageNameOfDigit(char digit);          // '0' and unknown digits show "其他"
std::string SingerClassNameOfDigit(char digit);       // unknown digits show "其他"

// The name trimmed and cut or padded to 30 bytes, the language digit, a blank and the class digit.
std::string SingerLine(const SingerGridRow& row);

class SingerBinEditor {
public:
    std::string Path() const;

    // False, with "找不到singer.bin", when the file is missing; a file without the marker line is loaded
    // whole as singer lines, with a warning.
    bool Load();
    const std::vector<SingerGridRow>& Rows() const { return rows_; }

    // Each true when the row changed and the file was saved.
    bool Rename(size_t row, const std::string& name);
    bool SetLanguage(size_t row, const std::string& language);
    bool SetClass(size_t row, const std::string& singerClass);
    // The row added or replaced, -1 when refused or not saved.
    int Add(const std::string& name, const std::string& language, const std::string& singerClass);
    // row -1: nothing chosen.
    bool Delete(int row);
    // The first row after current whose name holds the keyword (letter case ignored), wrapping to the first
    // row and on to current; -1 with a message when none.
    int Search(const std::string& keyword, int current) const;

    // The name stands as another row's name, letter case ignored.
    bool NameTaken(const std::string& name, int exceptRow) const;

private:
    bool Commit(std::vector<SingerGridRow> rows);
    bool Save(const std::vector<SingerGridRow>& rows) const;
    bool NameFits(const std::string& name) const;
    // Sets a language or class cell to the name its digit shows.
    bool SetCodeCell(size_t row, std::string SingerGridRow::*cell, const std::string& shown);

    std::vector<SingerGridRow> rows_;
};

}  // namespace qv::setup
