// Any bytes as a converted song-book template: it loads or is refused whole; a loaded one reads at any
// cell, takes a page written as the books write it, and its saved text loads again with that page.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/Big5Codec.h"
#include "platform/OdsWorkbook.h"

using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    qv::OdsWorkbook book;
    if (!book.LoadFlatOds(input)) {
        Require(book.SheetCount() == 0);
        return 0;
    }
    const int sheets = book.SheetCount();
    for (int item = 1; item <= sheets; ++item) {
        book.SheetItem(book.SheetName(item));
        for (int row = 1; row <= 6; ++row)
            for (int column = 1; column <= 6; ++column) {
                book.CellText(item, row, column);
                book.CharacterSizes(item, row, column);
                book.CellStyleProperty(item, row, column, "fo:font-size");
            }
        book.CellText(item, 1048576, 16384);
    }
    if (sheets == 0) return 0;
    book.CopySheetBefore(1, 1);
    const std::string name = qv::B5("國語-1");
    book.SetSheetName(1, name);
    book.SetCellText(1, 3, 2, qv::B5("愛你"));
    book.SetCharactersFontSize(1, 3, 2, 1, 1, 24);
    book.SetFontColor(1, 3, 3, 0x0000FF);
    book.SetRangeFill(1, 2, 1, 2, 0xC0C0C0);
    qv::OdsWorkbook again;
    Require(again.LoadFlatOds(book.ToFlatOds()));
    Require(again.SheetCount() == sheets + 1);
    Require(again.CellText(1, 3, 2) == qv::B5("愛你"));
    return 0;
}
