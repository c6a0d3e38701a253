#pragma once
// The screen-menu editor of the ZT jukebox's "menu.ztx" (folder 000 below AppPath): 36 fixed-width text
// fields at fixed lines and byte columns; every other line and byte before the fields stays.
#include <array>
#include <string>

namespace qv::setup {

struct ScreenMenuField {
    const char* name;        // the edit field, "Edit3_1" ..; its label is "Label3_" and the same digits
    int line;                // 0-based line of the file
    int prefixBytes;         // bytes kept before the field
    int width;               // the field's bytes
    const char* caption;     // built-in text (UTF-8), shown beside the field and used by the defaults button
    const char* fixedStart;  // what an item field begins with ("1." ..), empty for a title
};

inline constexpr int ScreenMenuFieldCount = 36;
inline constexpr int ScreenMenuLineCount = 42;

const std::array<ScreenMenuField, ScreenMenuFieldCount>& ScreenMenuFields();

// Field texts (Big5) in the order of ScreenMenuFields().
using ScreenMenuTexts = std::array<std::string, ScreenMenuFieldCount>;

// The text cut to width bytes or padded with blanks to it; a cut never splits a double-byte character:
// the lead byte it would leave alone becomes a blank.
std::string FixWidth(const std::string& text, int width);

std::string ScreenMenuPath();

// The fields of the file, trailing blanks removed; the built-in captions for a missing file and for the
// lines a short file lacks.
ScreenMenuTexts LoadScreenMenu();
ScreenMenuTexts DefaultScreenMenu();

// Writes the fields into the file's lines. A missing file is reported and nothing is created; that still
// ends the tab's apply (true). A file of fewer than 42 lines is refused with a message and a write error is
// reported: both false, the file as it was.
bool ApplyScreenMenu(const ScreenMenuTexts& texts);

}  // namespace qv::setup
