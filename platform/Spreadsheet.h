#pragma once
// The spreadsheet engine of the song books: the few automation members they use, nothing more.
// One workbook at a time; sheets are items counted from 1 in workbook order; rows and columns from 1.
// Texts are Big5 bytes; colours are Windows values (0x00BBGGRR).
#include <functional>
#include <string>

namespace qv {

class Spreadsheet {
public:
    virtual ~Spreadsheet() = default;

    // Closes the workbook this engine opened, unsaved; nothing when none is open.
    virtual void CloseWorkbooks() = 0;
    // Opens a workbook file; progress gets 0..100 while a conversion runs. False when it cannot be read
    // as one.
    virtual bool Open(const std::string& path, const std::function<void(int)>& progress = {}) = 0;
    // 0 when the open workbook has no sheet of that name.
    virtual int SheetItem(const std::string& name) const = 0;
    virtual int SheetCount() const = 0;
    // A copy of the sheet item `source` becomes item `before` (the sheets from `before` on move back one).
    virtual void CopySheetBefore(int source, int before) = 0;
    virtual std::string SheetName(int item) const = 0;
    // False when the name is refused (invalid characters, too long, empty, taken); the old name stays.
    virtual bool SetSheetName(int item, const std::string& name) = 0;

    virtual void SetCellText(int item, int row, int column, const std::string& text) = 0;
    virtual std::string CellText(int item, int row, int column) const = 0;
    virtual void SetFontSize(int item, int row, int column, int size) = 0;
    virtual void SetFontColor(int item, int row, int column, int color) = 0;
    virtual void SetFontBold(int item, int row, int column, bool bold) = 0;
    // Font size of `length` characters from character `start` (from 1) of the cell's text.
    virtual void SetCharactersFontSize(int item, int row, int column, int start, int length, int size) = 0;
    // Range of the cells (row, firstColumn) .. (row, lastColumn).
    virtual void SetRangeFill(int item, int row, int firstColumn, int lastColumn, int color) = 0;
    // Weight 1 hairline, 2 thin, -4138 medium, 4 thick; line style 1 continuous.
    virtual void SetRangeBorderWeight(int item, int row, int firstColumn, int lastColumn, int weight) = 0;
    virtual void SetRangeBorderLineStyle(int item, int row, int firstColumn, int lastColumn, int style) = 0;

    // Saves the open workbook in the Excel 97 format; progress gets 0..100 while it runs. False when the
    // file was not written.
    virtual bool SaveAs(const std::string& path, const std::function<void(int)>& progress) = 0;
    // Why the last Open or SaveAs failed when the program behind the engine failed (Big5, naming it);
    // empty when the file was at fault or nothing failed.
    virtual std::string LastFailure() const { return {}; }
};

}  // namespace qv
