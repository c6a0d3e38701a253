#pragma once
// The song books' workbook held in memory as the parts of a flat OpenDocument spreadsheet: the template's
// styles and sheets as read, the cells written since, and the cell formats asked for. Reading and writing
// a flat ODS file is all it does with files; other formats go through a converter program.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Spreadsheet.h"

namespace qv {

struct XmlNode {
    std::string name;  // qualified name; empty for a text node
    std::vector<std::pair<std::string, std::string>> attrs;
    std::vector<XmlNode> children;
    std::string text;  // UTF-8, text nodes only

    const std::string* Attr(const std::string& key) const;
    void SetAttr(const std::string& key, const std::string& value);
    void RemoveAttr(const std::string& key);
};

// What the program asked of one cell's format.
struct CellFormat {
    std::optional<int> size, color, fill, borderWeight, borderLineStyle;
    std::optional<bool> bold;
    bool Empty() const { return !size && !color && !fill && !borderWeight && !borderLineStyle && !bold; }
    std::string Key() const;
};

// Turns one file into another format: the converter program's job (LibreOffice in the program).
class FileConverter {
public:
    virtual ~FileConverter() = default;
    // Writes `target` from `source` in the format named by the filter ("fods" or "xls"); progress gets
    // 0..100. False when the target was not written.
    virtual bool Convert(const std::string& source, const std::string& target, const std::string& format,
                         const std::function<void(int)>& progress, int expectedSeconds) = 0;
    // A folder where converted files may be kept between sessions; empty: none.
    virtual std::string CacheFolder() const { return {}; }
    // The converter as the user knows it, and why its last run failed (Big5); empty when unknown.
    virtual std::string Name() const { return {}; }
    virtual std::string Failure() const { return {}; }
};

class OdsWorkbook : public Spreadsheet {
public:
    // Without a converter only flat ODS files (".fods") can be opened and saved.
    explicit OdsWorkbook(FileConverter* converter = nullptr);
    ~OdsWorkbook() override;

    void CloseWorkbooks() override;
    // A template read through the converter is kept, by its path, size and time: in memory, and in the
    // converter's cache folder across sessions, so that only a changed template is converted again.
    bool Open(const std::string& path, const std::function<void(int)>& progress = {}) override;
    int SheetItem(const std::string& name) const override;
    int SheetCount() const override;
    void CopySheetBefore(int source, int before) override;
    std::string SheetName(int item) const override;
    bool SetSheetName(int item, const std::string& name) override;
    void SetCellText(int item, int row, int column, const std::string& text) override;
    std::string CellText(int item, int row, int column) const override;
    void SetFontSize(int item, int row, int column, int size) override;
    void SetFontColor(int item, int row, int column, int color) override;
    void SetFontBold(int item, int row, int column, bool bold) override;
    void SetCharactersFontSize(int item, int row, int column, int start, int length, int size) override;
    void SetRangeFill(int item, int row, int firstColumn, int lastColumn, int color) override;
    void SetRangeBorderWeight(int item, int row, int firstColumn, int lastColumn, int weight) override;
    void SetRangeBorderLineStyle(int item, int row, int firstColumn, int lastColumn, int style) override;
    bool SaveAs(const std::string& path, const std::function<void(int)>& progress) override;
    std::string LastFailure() const override { return failure_; }

    // Flat ODS text of the whole workbook, and its reading; false when the text is no spreadsheet.
    std::string ToFlatOds() const;
    bool LoadFlatOds(const std::string& xml);
    bool IsOpen() const { return doc_ != nullptr; }

    // What was asked of a cell (empty for a cell never formatted), and the font sizes of its characters
    // (0: the cell's own size), one per character of its text, as written or as read from a file.
    CellFormat FormatOf(int item, int row, int column) const;
    std::vector<int> CharacterSizes(int item, int row, int column) const;
    // A cell's effective property as the saved file states it: its style, then the style it derives from;
    // empty when none states it. Keys: "fo:font-size", "fo:color", "fo:font-weight",
    // "fo:background-color", "fo:border".
    std::string CellStyleProperty(int item, int row, int column, const std::string& key) const;

    struct Document;

private:
    FileConverter* converter_;
    std::unique_ptr<Document> doc_;
    struct Converted {
        std::string key;  // the template's path, size and time
        std::shared_ptr<const Document> document;
    };
    std::map<std::string, Converted> converted_;  // by path
    std::string failure_;
    bool OpenConverted(const std::string& path, const std::string& key,
                       const std::function<void(int)>& progress);
};

// Removes what runs that were killed left behind: the work folders of books in the program folder and
// the unfinished entries in the converter's cache folder (empty: none).
void RemoveLeftOverBookWork(const std::string& programFolder, const std::string& cacheFolder);

// Characters of a UTF-8 text that a cell holds, one entry per character (Excel's character count).
std::vector<std::string> SplitUtf8Characters(const std::string& text);

}  // namespace qv
