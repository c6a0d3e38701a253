#pragma once
// The singer song books: songs grouped under a heading per singer, then the sheets of the singers' first
// characters by stroke count. Texts are Big5.
#include <string>
#include <vector>

namespace qv {

// Each distinct first character of the singer display list, by stroke count, then Big5 code.
extern std::vector<std::string> LeadCharList;
void BuildLeadCharList();

std::string JoinDuetSingerNames(const std::string& singer);

// Page geometry of a singer book.
struct SingerBookGeometry {
    int rows;            // rows per column block
    int blocks;          // column blocks per page
    int titleColumn;     // of the title cell in row 1
    int strokeFontSize;  // of a heading's stroke cell
    int singerFontSize;  // of a heading's singer cell
};
inline constexpr SingerBookGeometry FourColumns{36, 4, 4, 16, 20};
inline constexpr SingerBookGeometry ThreeColumns{27, 3, 1, 18, 24};

// Writes the singer pages of ShownRows and then the surname-stroke sheets into the open workbook.
void WriteSingerBook(const SingerBookGeometry& geometry, bool singerContinue);
inline void WriteSingerBookFourColumns(bool singerContinue) { WriteSingerBook(FourColumns, singerContinue); }
inline void WriteSingerBookThreeColumns(bool singerContinue) {
    WriteSingerBook(ThreeColumns, singerContinue);
}

// The menu commands: all songs or new songs only; true when ShownRows was changed.
bool WriteSingerBookCommand(bool newOnly);

}  // namespace qv
