#include "platform/OdsWorkbook.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "catalogue/BeneathFolder.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/TextFile.h"

namespace qv {

namespace fs = std::filesystem;

const std::string* XmlNode::Attr(const std::string& key) const {
    for (const auto& [k, v] : attrs)
        if (k == key) return &v;
    return nullptr;
}

void XmlNode::SetAttr(const std::string& key, const std::string& value) {
    for (auto& [k, v] : attrs)
        if (k == key) {
            v = value;
            return;
        }
    attrs.emplace_back(key, value);
}

void XmlNode::RemoveAttr(const std::string& key) {
    std::erase_if(attrs, [&](const auto& a) { return a.first == key; });
}

std::string CellFormat::Key() const {
    std::string key;
    auto add = [&key](char tag, const std::optional<int>& v) {
        if (v) key += tag + std::to_string(*v) + ';';
    };
    add('s', size);
    add('c', color);
    add('f', fill);
    add('w', borderWeight);
    add('l', borderLineStyle);
    if (bold) key += *bold ? "b1;" : "b0;";
    return key;
}

std::vector<std::string> SplitUtf8Characters(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        n = std::min(n, text.size() - i);
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

namespace {

constexpr char kCellTag[] = "table:table-cell";
constexpr char kCoveredTag[] = "table:covered-table-cell";
constexpr char kRowTag[] = "table:table-row";
constexpr char kRowRepeat[] = "table:number-rows-repeated";
constexpr char kCellRepeat[] = "table:number-columns-repeated";

struct Cell {
    bool covered = false;
    std::vector<std::pair<std::string, std::string>> attrs;  // without the repeat count
    int repeat = 1;
    std::vector<XmlNode> content;
    bool written = false;
    std::string text;  // UTF-8, when written
    std::vector<int> charSizes;
    CellFormat format;
};

struct Row {
    std::vector<std::pair<std::string, std::string>> attrs;
    int repeat = 1;
    std::vector<Cell> cells;
};

struct ColumnRun {
    int repeat = 1;
    std::string defaultStyle;
};

struct Sheet {
    std::string name;                                        // UTF-8
    std::vector<std::pair<std::string, std::string>> attrs;  // of the table, without its name
    std::vector<XmlNode> before, after;                      // elements before and after the rows
    std::vector<Row> rows;
    std::vector<ColumnRun> columns;
};

// The most a sheet of the converter holds, and the most characters of one cell.
constexpr long long kMaxRows = 1048576, kMaxColumns = 16384, kMaxCellCharacters = 32767;
// Deeper element nesting than any spreadsheet has is refused, before the walks over it run out of stack.
constexpr size_t kMaxDepth = 200;

// A whole number of a file's attribute; 0 when it is none. Saturates past every limit above, so that sums
// of counts stay far from the int range.
int NumberOf(const std::string& text) {
    long long n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec == std::errc::result_out_of_range) return text.starts_with('-') ? 0 : kMaxRows + 1;
    if (ec != std::errc() || n < 0) return 0;
    return static_cast<int>(std::min(n, kMaxRows + 1));
}

int RepeatOf(const XmlNode& node, const char* key) {
    const std::string* v = node.Attr(key);
    return v ? std::max(1, NumberOf(*v)) : 1;
}

void CollectColumns(const XmlNode& node, std::vector<ColumnRun>& columns) {
    for (const XmlNode& child : node.children) {
        if (child.name == "table:table-column") {
            const std::string* style = child.Attr("table:default-cell-style-name");
            columns.push_back({RepeatOf(child, kCellRepeat), style ? *style : std::string()});
        } else if (child.name == "table:table-header-columns" || child.name == "table:table-columns" ||
                   child.name == "table:table-column-group") {
            CollectColumns(child, columns);
        }
    }
}

Row RowOfNode(const XmlNode& node) {
    Row row;
    row.repeat = RepeatOf(node, kRowRepeat);
    row.attrs = node.attrs;
    std::erase_if(row.attrs, [](const auto& a) { return a.first == kRowRepeat; });
    for (const XmlNode& child : node.children) {
        if (child.name != kCellTag && child.name != kCoveredTag) continue;
        Cell cell;
        cell.covered = child.name == kCoveredTag;
        cell.repeat = RepeatOf(child, kCellRepeat);
        cell.attrs = child.attrs;
        std::erase_if(cell.attrs, [](const auto& a) { return a.first == kCellRepeat; });
        cell.content = child.children;
        row.cells.push_back(std::move(cell));
    }
    return row;
}

void CollectRows(const XmlNode& node, std::vector<Row>& rows) {
    for (const XmlNode& child : node.children) {
        if (child.name == kRowTag)
            rows.push_back(RowOfNode(child));
        else if (child.name == "table:table-header-rows" || child.name == "table:table-rows" ||
                 child.name == "table:table-row-group")
            CollectRows(child, rows);
    }
}

bool IsRowContainer(const std::string& name) {
    return name == kRowTag || name == "table:table-header-rows" || name == "table:table-rows" ||
           name == "table:table-row-group";
}

Sheet SheetOfNode(const XmlNode& node) {
    Sheet sheet;
    for (const auto& [k, v] : node.attrs)
        if (k == "table:name")
            sheet.name = v;
        else
            sheet.attrs.emplace_back(k, v);
    bool rowsSeen = false;
    for (const XmlNode& child : node.children) {
        if (IsRowContainer(child.name)) {
            rowsSeen = true;
            continue;
        }
        (rowsSeen ? sheet.after : sheet.before).push_back(child);
    }
    CollectRows(node, sheet.rows);
    CollectColumns(node, sheet.columns);
    return sheet;
}

// Blanks a cell's text repeats, all of them together: many small runs add up as one large one does.
long long RepeatedBlanks(const XmlNode& node) {
    long long blanks = node.name == "text:s" ? RepeatOf(node, "text:c") : 0;
    for (const XmlNode& child : node.children)
        if ((blanks += RepeatedBlanks(child)) > kMaxCellCharacters) break;
    return blanks;
}

// Repeat counts that keep the sheet within what the converter holds.
bool SheetFits(const Sheet& sheet) {
    long long rows = 0, columns = 0;
    for (const ColumnRun& run : sheet.columns)
        if ((columns += run.repeat) > kMaxColumns) return false;
    for (const Row& row : sheet.rows) {
        if ((rows += row.repeat) > kMaxRows) return false;
        long long cells = 0;
        for (const Cell& cell : row.cells) {
            long long blanks = 0;
            for (const XmlNode& node : cell.content)
                if ((blanks += RepeatedBlanks(node)) > kMaxCellCharacters) return false;
            if ((cells += cell.repeat) > kMaxColumns) return false;
        }
    }
    return true;
}

// Splits runs so that the entry at index (from 0) stands alone; appends empty entries when the list
// is shorter. Works for rows and cells alike.
template <typename T>
T& Isolate(std::vector<T>& runs, int index) {
    int start = 0;
    for (size_t k = 0; k < runs.size(); ++k) {
        T& run = runs[k];
        if (index < start + run.repeat) {
            const int offset = index - start;
            const int after = run.repeat - offset - 1;
            if (offset == 0 && after == 0) return runs[k];
            T single = run;
            single.repeat = 1;
            std::vector<T> parts;
            if (offset > 0) {
                T head = run;
                head.repeat = offset;
                parts.push_back(std::move(head));
            }
            const size_t singleAt = k + parts.size();
            parts.push_back(std::move(single));
            if (after > 0) {
                T tail = run;
                tail.repeat = after;
                parts.push_back(std::move(tail));
            }
            runs.erase(runs.begin() + static_cast<long>(k));
            runs.insert(runs.begin() + static_cast<long>(k), std::make_move_iterator(parts.begin()),
                        std::make_move_iterator(parts.end()));
            return runs[singleAt];
        }
        start += run.repeat;
    }
    if (index > start) {
        T filler{};
        filler.repeat = index - start;
        runs.push_back(std::move(filler));
    }
    runs.push_back(T{});
    return runs.back();
}

template <typename T>
const T* Find(const std::vector<T>& runs, int index) {
    int start = 0;
    for (const T& run : runs) {
        if (index < start + run.repeat) return &run;
        start += run.repeat;
    }
    return nullptr;
}

void AppendEscaped(std::string& out, const std::string& text, bool attribute) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                if (attribute)
                    out += "&quot;";
                else
                    out += c;
                break;
            default:
                // Control characters have no place in XML 1.0.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') break;
                // U+FFFE and U+FFFF neither.
                if (static_cast<unsigned char>(c) == 0xEF && i + 2 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                    (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
                    i += 2;
                    break;
                }
                out += c;
        }
    }
}

void AppendAttrs(std::string& out, const std::vector<std::pair<std::string, std::string>>& attrs) {
    for (const auto& [k, v] : attrs) {
        out += ' ';
        out += k;
        out += "=\"";
        AppendEscaped(out, v, true);
        out += '"';
    }
}

void AppendNode(std::string& out, const XmlNode& node) {
    if (node.name.empty()) {
        AppendEscaped(out, node.text, false);
        return;
    }
    out += '<';
    out += node.name;
    AppendAttrs(out, node.attrs);
    if (node.children.empty()) {
        out += "/>";
        return;
    }
    out += '>';
    for (const XmlNode& child : node.children) AppendNode(out, child);
    out += "</";
    out += node.name;
    out += '>';
}

void AppendPlainText(std::string& out, const XmlNode& node) {
    if (node.name.empty()) {
        out += node.text;
    } else if (node.name == "text:s") {
        out.append(static_cast<size_t>(RepeatOf(node, "text:c")), ' ');
    } else if (node.name == "text:tab") {
        out += '\t';
    } else if (node.name == "text:line-break") {
        out += '\n';
    } else {
        for (const XmlNode& child : node.children) AppendPlainText(out, child);
    }
}

// Blanks after the first of a run (and at a paragraph's start) are kept only as <text:s/>.
void AppendParagraphRun(std::string& out, const std::vector<std::string>& chars, size_t from, size_t to,
                        bool& afterBlank) {
    int pending = 0;
    auto flush = [&] {
        if (pending == 0) return;
        out += pending == 1 ? "<text:s/>" : "<text:s text:c=\"" + std::to_string(pending) + "\"/>";
        pending = 0;
    };
    for (size_t i = from; i < to; ++i) {
        if (chars[i] == " ") {
            if (afterBlank)
                ++pending;
            else
                out += ' ';
            afterBlank = true;
            continue;
        }
        flush();
        afterBlank = false;
        if (chars[i] == "\t")
            out += "<text:tab/>";
        else
            AppendEscaped(out, chars[i], false);
    }
    flush();
}

// A cell that shows nothing and has no style of its own.
bool IsBlank(const Cell& cell) {
    return !cell.written && cell.content.empty() && cell.format.Empty() && !cell.covered &&
           std::none_of(cell.attrs.begin(), cell.attrs.end(), [](const auto& a) {
               return a.first == "table:style-name" || a.first.starts_with("table:number-");
           });
}

// Attributes that state a cell's value: a written cell states its own.
bool IsValueAttr(const std::string& key) {
    return key.starts_with("office:") || key.starts_with("calcext:") || key == "table:formula";
}

std::string PointText(int size) { return std::to_string(size) + "pt"; }

std::string ColourText(int bgr) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    return buffer;
}

std::string BorderWidth(int weight) {
    switch (weight) {
        case 1:
            return "0.05pt";
        case -4138:
            return "1.76pt";
        case 4:
            return "2.49pt";
        default:
            return "0.74pt";
    }
}

XmlNode& ChildOf(XmlNode& style, const std::string& name) {
    for (XmlNode& child : style.children)
        if (child.name == name) return child;
    // Schema order: table-cell, paragraph, then text properties.
    auto at = style.children.end();
    if (name == "style:table-cell-properties") at = style.children.begin();
    return *style.children.insert(at, XmlNode{name, {}, {}, {}});
}

void ApplyFormat(XmlNode& style, const CellFormat& f) {
    if (f.size || f.color || f.bold) {
        XmlNode& text = ChildOf(style, "style:text-properties");
        if (f.size)
            for (const char* key : {"fo:font-size", "style:font-size-asian", "style:font-size-complex"})
                text.SetAttr(key, PointText(*f.size));
        if (f.color) {
            text.RemoveAttr("style:use-window-font-color");
            text.SetAttr("fo:color", ColourText(*f.color));
        }
        if (f.bold)
            for (const char* key : {"fo:font-weight", "style:font-weight-asian", "style:font-weight-complex"})
                text.SetAttr(key, *f.bold ? "bold" : "normal");
    }
    if (f.fill || f.borderWeight || f.borderLineStyle) {
        XmlNode& cell = ChildOf(style, "style:table-cell-properties");
        if (f.fill) cell.SetAttr("fo:background-color", ColourText(*f.fill));
        if (f.borderWeight || f.borderLineStyle) {
            for (const char* key : {"fo:border-left", "fo:border-right", "fo:border-top", "fo:border-bottom"})
                cell.RemoveAttr(key);
            const bool none = f.borderLineStyle && *f.borderLineStyle == -4142;
            cell.SetAttr("fo:border",
                         none ? "none" : BorderWidth(f.borderWeight.value_or(2)) + " solid #000000");
        }
    }
}

XmlNode* FindChild(XmlNode& node, const std::string& name) {
    for (XmlNode& child : node.children)
        if (child.name == name) return &child;
    return nullptr;
}

const XmlNode* FindChild(const XmlNode& node, const std::string& name) {
    for (const XmlNode& child : node.children)
        if (child.name == name) return &child;
    return nullptr;
}

// Far above any workbook or template the books use.
constexpr size_t kMostWorkbookBytes = size_t{1} << 30;

// A regular file only, read without blocking on a FIFO or a device.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    return ReadFileBytes(path, bytes, kMostWorkbookBytes);
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0 && errno != EINTR) return false;
        if (n > 0) done += static_cast<size_t>(n);
    }
    return true;
}

// A file of our own work folder, made anew.
bool WriteNewFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes);
    return ::close(fd) == 0 && written;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

constexpr char kWorkPrefix[] = ".qv-book-";
constexpr char kTemporaryEntry[] = ".tmp-";

// A private work folder, removed with everything in it when the object ends; one a killed run left
// behind goes at the next start or book.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& parent) {
        std::string pattern = parent + "/" + kWorkPrefix + "XXXXXX";
        if (MakeOwnWorkFolder(pattern)) path_ = pattern;
    }
    ~WorkFolder() {
        if (!path_.empty()) RemoveTree(path_);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    bool Ok() const { return !path_.empty(); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The converted templates kept across sessions: one file per template path in the converter's cache
// folder, holding the template's key and a check of the converted text, so that a changed template, a
// torn or a foreign file is never taken for the conversion.
constexpr char kEntryMagic[] = "qvsong converted template 1\n";

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return hash;
}

std::string Hex(uint64_t value) {
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string EntryFolder(const std::string& cacheFolder) { return cacheFolder + "/templates"; }

std::string EntryPath(const std::string& cacheFolder, const std::string& templatePath) {
    return EntryFolder(cacheFolder) + "/" + Hex(Fnv1a(templatePath)) + ".fods";
}

std::string EntryHead(const std::string& key, const std::string& xml) {
    return kEntryMagic + std::to_string(key.size()) + '\n' + key + '\n' + std::to_string(xml.size()) + ' ' +
           Hex(Fnv1a(xml)) + '\n';
}

// The converted text of an entry whose key is `key` and whose text is whole; false otherwise.
bool ReadEntry(const std::string& path, const std::string& key, std::string& xml) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    const size_t keyAt = bytes.find('\n', sizeof kEntryMagic - 1);
    if (!bytes.starts_with(kEntryMagic) || keyAt == std::string::npos ||
        bytes.compare(sizeof kEntryMagic - 1, keyAt - (sizeof kEntryMagic - 1), std::to_string(key.size())) !=
            0 ||
        bytes.compare(keyAt + 1, key.size(), key) != 0)
        return false;
    const size_t sizeAt = keyAt + 1 + key.size() + 1;
    const size_t textAt = bytes.find('\n', sizeAt);
    if (sizeAt > bytes.size() || textAt == std::string::npos) return false;
    xml = bytes.substr(textAt + 1);
    return bytes.compare(0, textAt + 1, EntryHead(key, xml)) == 0;
}

// Written under a temporary name that carries the writer's process, then renamed over the template's
// previous entry.
void WriteEntry(const std::string& cacheFolder, const std::string& templatePath, const std::string& key,
                const std::string& xml) {
    std::error_code ec;
    fs::create_directories(EntryFolder(cacheFolder), ec);
    const std::string entry = EntryPath(cacheFolder, templatePath);
    std::string temporary = entry + kTemporaryEntry + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return;
    const bool whole = WriteAll(fd, EntryHead(key, xml) + xml);
    const bool written = ::close(fd) == 0 && whole;
    if (!written || ::rename(temporary.c_str(), entry.c_str()) != 0) ::unlink(temporary.c_str());
}

}  // namespace

void RemoveLeftOverBookWork(const std::string& programFolder, const std::string& cacheFolder) {
    if (const UniqueFd program = OpenFolder(programFolder); !programFolder.empty() && program.ok())
        RemoveOwnLeftovers(program.get(), kWorkPrefix);
    if (cacheFolder.empty()) return;
    // The cache folder is shared by every copy of the program: only entries of writers gone are removed,
    // each a file named as WriteEntry names them.
    const UniqueFd entries = OpenFolder(EntryFolder(cacheFolder));
    if (!entries.ok()) return;
    constexpr size_t KeyedName = 16 + sizeof ".fods" - 1;
    for (const std::string& name : NamesIn(entries.get())) {
        if (name.size() <= KeyedName ||
            name.compare(KeyedName, sizeof kTemporaryEntry - 1, kTemporaryEntry) != 0)
            continue;
        const char* digits = name.c_str() + KeyedName + sizeof kTemporaryEntry - 1;
        pid_t pid = 0;
        const auto [end, error] = std::from_chars(digits, name.c_str() + name.size(), pid);
        if (error != std::errc() || !IsMadeTemporaryName(std::string_view(end), "-")) continue;
        if (EntryKindBeneath(entries.get(), name) != EntryKind::File) continue;
        if (pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH)) ::unlinkat(entries.get(), name.c_str(), 0);
    }
}

struct OdsWorkbook::Document {
    XmlNode root;  // the document without its tables
    std::vector<XmlNode> spreadsheetBefore, spreadsheetAfter;
    std::vector<Sheet> sheets;

    const XmlNode* StyleNode(const std::string& name) const {
        for (const char* section : {"office:automatic-styles", "office:styles"}) {
            const XmlNode* styles = FindChild(root, section);
            if (!styles) continue;
            for (const XmlNode& s : styles->children)
                if (s.name == "style:style" && s.Attr("style:name") && *s.Attr("style:name") == name)
                    return &s;
        }
        return nullptr;
    }

    std::string BaseStyleOf(const Sheet& sheet, const Cell& cell, int column) const {
        for (const auto& [k, v] : cell.attrs)
            if (k == "table:style-name") return v;
        if (const ColumnRun* run = Find(sheet.columns, column - 1); run && !run->defaultStyle.empty())
            return run->defaultStyle;
        return "Default";
    }
};

OdsWorkbook::OdsWorkbook(FileConverter* converter) : converter_(converter) {}
OdsWorkbook::~OdsWorkbook() = default;

void OdsWorkbook::CloseWorkbooks() { doc_.reset(); }

bool OdsWorkbook::LoadFlatOds(const std::string& xml) {
    QXmlStreamReader reader(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size())));
    reader.setNamespaceProcessing(false);
    auto doc = std::make_unique<Document>();
    std::vector<XmlNode*> stack;
    bool haveRoot = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
            case QXmlStreamReader::StartElement: {
                XmlNode node;
                node.name = reader.qualifiedName().toString().toStdString();
                for (const QXmlStreamAttribute& a : reader.attributes())
                    node.attrs.emplace_back(a.qualifiedName().toString().toStdString(),
                                            a.value().toString().toStdString());
                if (stack.empty()) {
                    if (haveRoot) return false;
                    doc->root = std::move(node);
                    haveRoot = true;
                    stack.push_back(&doc->root);
                } else {
                    if (stack.size() >= kMaxDepth) return false;
                    stack.back()->children.push_back(std::move(node));
                    stack.push_back(&stack.back()->children.back());
                }
                break;
            }
            case QXmlStreamReader::EndElement:
                if (!stack.empty()) stack.pop_back();
                break;
            case QXmlStreamReader::Characters:
                // Whitespace between elements is layout; inside paragraphs it is text.
                if (!stack.empty() && (stack.back()->name.starts_with("text:") || !reader.isWhitespace()))
                    stack.back()->children.push_back(
                        XmlNode{{}, {}, {}, reader.text().toString().toStdString()});
                break;
            default:
                break;
        }
    }
    if (reader.hasError() || !haveRoot || doc->root.name != "office:document") return false;

    XmlNode& root = doc->root;
    // View settings name the sheets of the template; the book has others.
    std::erase_if(root.children, [](const XmlNode& n) { return n.name == "office:settings"; });
    XmlNode* body = FindChild(root, "office:body");
    XmlNode* spreadsheet = body ? FindChild(*body, "office:spreadsheet") : nullptr;
    if (!spreadsheet) return false;
    bool tablesSeen = false;
    for (XmlNode& child : spreadsheet->children) {
        if (child.name == "table:table") {
            tablesSeen = true;
            doc->sheets.push_back(SheetOfNode(child));
            if (!SheetFits(doc->sheets.back())) return false;
        } else {
            (tablesSeen ? doc->spreadsheetAfter : doc->spreadsheetBefore).push_back(std::move(child));
        }
    }
    spreadsheet->children.clear();
    if (!FindChild(root, "office:automatic-styles")) {
        auto at = std::find_if(root.children.begin(), root.children.end(),
                               [](const XmlNode& n) { return n.name == "office:body"; });
        root.children.insert(at, XmlNode{"office:automatic-styles", {}, {}, {}});
    }
    doc_ = std::move(doc);
    return true;
}

std::string OdsWorkbook::ToFlatOds() const {
    if (!doc_) return {};
    const Document& doc = *doc_;
    // Derived cell styles, one per base style and format; span styles, one per size.
    std::map<std::string, std::string> derivedNames;
    std::string derivedXml;
    std::set<int> spanSizes;
    auto derivedStyle = [&](const std::string& base, const CellFormat& f) -> const std::string& {
        const std::string key = base + '\x01' + f.Key();
        auto it = derivedNames.find(key);
        if (it != derivedNames.end()) return it->second;
        const std::string name = "qvce" + std::to_string(derivedNames.size() + 1);
        XmlNode style;
        const XmlNode* baseNode = doc.StyleNode(base);
        const XmlNode* automatic = FindChild(doc.root, "office:automatic-styles");
        const bool baseIsAutomatic = baseNode && automatic && baseNode >= automatic->children.data() &&
                                     baseNode < automatic->children.data() + automatic->children.size();
        if (baseIsAutomatic) {
            style = *baseNode;
        } else {
            style.name = "style:style";
            style.attrs = {{"style:family", "table-cell"},
                           {"style:parent-style-name", baseNode ? base : "Default"}};
        }
        style.SetAttr("style:name", name);
        ApplyFormat(style, f);
        AppendNode(derivedXml, style);
        return derivedNames.emplace(key, name).first->second;
    };

    std::string tables;
    tables.reserve(1 << 20);
    for (const Sheet& sheet : doc.sheets) {
        tables += "<table:table table:name=\"";
        AppendEscaped(tables, sheet.name, true);
        tables += '"';
        AppendAttrs(tables, sheet.attrs);
        tables += '>';
        // The empty rows and columns after the used area are left out: with a thousand pages the converter
        // spends much of its time on them.
        size_t usedRows = 0;
        int usedColumns = 0;
        std::vector<size_t> usedCells(sheet.rows.size(), 0);
        for (size_t r = 0; r < sheet.rows.size(); ++r) {
            int column = 0;
            for (size_t c = 0; c < sheet.rows[r].cells.size(); ++c) {
                const Cell& cell = sheet.rows[r].cells[c];
                column += cell.repeat;
                if (!IsBlank(cell)) {
                    usedCells[r] = c + 1;
                    usedColumns = std::max(usedColumns, column);
                }
            }
            if (usedCells[r] > 0) usedRows = r + 1;
        }
        int columnsLeft = usedColumns;
        for (const XmlNode& n : sheet.before) {
            if (n.name != "table:table-column") {
                AppendNode(tables, n);
                continue;
            }
            if (columnsLeft <= 0) continue;
            XmlNode column = n;
            const int repeat = std::min(RepeatOf(n, kCellRepeat), columnsLeft);
            columnsLeft -= repeat;
            column.RemoveAttr(kCellRepeat);
            if (repeat > 1) column.SetAttr(kCellRepeat, std::to_string(repeat));
            AppendNode(tables, column);
        }
        if (usedRows == 0) tables += "<table:table-row><table:table-cell/></table:table-row>";
        for (size_t r = 0; r < usedRows; ++r) {
            const Row& row = sheet.rows[r];
            tables += "<table:table-row";
            AppendAttrs(tables, row.attrs);
            if (row.repeat > 1) tables += " table:number-rows-repeated=\"" + std::to_string(row.repeat) + '"';
            tables += '>';
            if (usedCells[r] == 0) tables += "<table:table-cell/>";
            int column = 1;
            for (size_t c = 0; c < usedCells[r]; ++c) {
                const Cell& cell = row.cells[c];
                const char* tag = cell.covered ? kCoveredTag : kCellTag;
                tables += '<';
                tables += tag;
                std::string style;
                if (!cell.format.Empty())
                    style = derivedStyle(doc.BaseStyleOf(sheet, cell, column), cell.format);
                for (const auto& [k, v] : cell.attrs) {
                    if (!style.empty() && k == "table:style-name") continue;
                    if (cell.written && IsValueAttr(k)) continue;
                    AppendAttrs(tables, {{k, v}});
                }
                if (!style.empty()) AppendAttrs(tables, {{"table:style-name", style}});
                if (cell.repeat > 1)
                    tables += " table:number-columns-repeated=\"" + std::to_string(cell.repeat) + '"';
                if (cell.written) {
                    tables += " office:value-type=\"string\" calcext:value-type=\"string\">";
                    const std::vector<std::string> chars = SplitUtf8Characters(cell.text);
                    size_t start = 0;
                    while (start <= chars.size()) {
                        size_t end = start;
                        while (end < chars.size() && chars[end] != "\n") ++end;
                        tables += "<text:p>";
                        bool afterBlank = true;
                        for (size_t i = start; i < end;) {
                            size_t j = i;
                            const int size = i < cell.charSizes.size() ? cell.charSizes[i] : 0;
                            while (j < end && (j < cell.charSizes.size() ? cell.charSizes[j] : 0) == size)
                                ++j;
                            if (size > 0) {
                                spanSizes.insert(size);
                                tables += "<text:span text:style-name=\"qvT" + std::to_string(size) + "\">";
                                AppendParagraphRun(tables, chars, i, j, afterBlank);
                                tables += "</text:span>";
                            } else {
                                AppendParagraphRun(tables, chars, i, j, afterBlank);
                            }
                            i = j;
                        }
                        tables += "</text:p>";
                        start = end + 1;
                    }
                    tables += "</";
                    tables += tag;
                    tables += '>';
                } else if (cell.content.empty()) {
                    tables += "/>";
                } else {
                    tables += '>';
                    for (const XmlNode& n : cell.content) AppendNode(tables, n);
                    tables += "</";
                    tables += tag;
                    tables += '>';
                }
                column += cell.repeat;
            }
            tables += "</table:table-row>";
        }
        for (const XmlNode& n : sheet.after) AppendNode(tables, n);
        tables += "</table:table>";
    }
    for (int size : spanSizes) {
        derivedXml += "<style:style style:name=\"qvT" + std::to_string(size) +
                      "\" style:family=\"text\"><style:text-properties fo:font-size=\"" + PointText(size) +
                      "\" style:font-size-asian=\"" + PointText(size) + "\" style:font-size-complex=\"" +
                      PointText(size) + "\"/></style:style>";
    }

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out.reserve(tables.size() + (1 << 16));
    // The root with the derived styles and the tables put back in their places.
    std::function<void(const XmlNode&)> emitNode = [&](const XmlNode& node) {
        if (node.name.empty() || (node.children.empty() && node.name != "office:automatic-styles" &&
                                  node.name != "office:spreadsheet")) {
            AppendNode(out, node);
            return;
        }
        out += '<' + node.name;
        AppendAttrs(out, node.attrs);
        out += '>';
        for (const XmlNode& child : node.children) emitNode(child);
        if (node.name == "office:automatic-styles") out += derivedXml;
        if (node.name == "office:spreadsheet") {
            for (const XmlNode& n : doc.spreadsheetBefore) AppendNode(out, n);
            out += tables;
            for (const XmlNode& n : doc.spreadsheetAfter) AppendNode(out, n);
        }
        out += "</" + node.name + '>';
    };
    emitNode(doc.root);
    return out;
}

bool OdsWorkbook::Open(const std::string& path, const std::function<void(int)>& progress) {
    doc_.reset();
    failure_.clear();
    std::string xml;
    if (EndsWith(LowerAscii(path), ".fods")) return ReadWholeFile(path, xml) && LoadFlatOds(xml);
    struct stat st {};
    if (!converter_ || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const std::string key = path + '\n' + std::to_string(st.st_size) + '\n' +
                            std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
    if (const auto it = converted_.find(path); it != converted_.end() && it->second.key == key) {
        doc_ = std::make_unique<Document>(*it->second.document);
        return true;
    }
    if (!OpenConverted(path, key, progress)) return false;
    converted_[path] = {key, std::make_shared<const Document>(*doc_)};
    return true;
}

bool OdsWorkbook::OpenConverted(const std::string& path, const std::string& key,
                                const std::function<void(int)>& progress) {
    const std::string cache = converter_->CacheFolder();
    std::string xml;
    if (!cache.empty() && ReadEntry(EntryPath(cache, path), key, xml) && LoadFlatOds(xml)) return true;
    const fs::path parent = fs::path(path).parent_path();
    WorkFolder work(parent.empty() ? "." : parent.string());
    if (!work.Ok()) return false;
    // Under a plain name: the converter names its output after its input.
    std::string bytes;
    if (!ReadWholeFile(path, bytes) || !WriteNewFile(work.File("template.xls"), bytes)) return false;
    if (!converter_->Convert(work.File("template.xls"), work.File("template.fods"), "fods", progress, 30)) {
        failure_ = converter_->Failure();
        return false;
    }
    if (!ReadWholeFile(work.File("template.fods"), xml) || !LoadFlatOds(xml)) return false;
    if (!cache.empty()) {
        RemoveLeftOverBookWork({}, cache);
        WriteEntry(cache, path, key, xml);
    }
    return true;
}

bool OdsWorkbook::SaveAs(const std::string& path, const std::function<void(int)>& progress) {
    failure_.clear();
    if (!doc_) return false;
    const fs::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    // A target that cannot be replaced is refused as the other system refuses it.
    if (::access(path.c_str(), F_OK) == 0 && (::access(path.c_str(), W_OK) != 0 || fs::is_directory(target)))
        return false;
    WorkFolder work(folder);  // beside the target, so that the finished file is renamed, not copied
    if (!work.Ok()) return false;
    const std::string xml = ToFlatOds();
    const std::string flat = work.File("book.fods");
    if (!WriteNewFile(flat, xml)) return false;
    std::string produced = flat;
    if (!EndsWith(LowerAscii(path), ".fods")) {
        if (!converter_) return false;
        produced = work.File("book.xls");
        const int expected = 5 + static_cast<int>(doc_->sheets.size() / 20);
        if (!converter_->Convert(flat, produced, "xls", progress, expected)) {
            failure_ = converter_->Failure();
            return false;
        }
        std::string head;
        // The converter reports success whatever happened: the file itself must be a compound document.
        if (!ReadFileHead(produced, head, 8) || head != std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
            if (!converter_->Name().empty()) failure_ = converter_->Name() + B5("產生的檔案不是Excel活頁簿.");
            return false;
        }
    }
    std::error_code ec;
    fs::rename(produced, target, ec);
    return !ec;
}

int OdsWorkbook::SheetItem(const std::string& name) const {
    if (!doc_) return 0;
    const std::string utf8 = Big5ToUtf8(name);
    for (size_t i = 0; i < doc_->sheets.size(); ++i)
        if (doc_->sheets[i].name == utf8) return static_cast<int>(i) + 1;
    return 0;
}

int OdsWorkbook::SheetCount() const { return doc_ ? static_cast<int>(doc_->sheets.size()) : 0; }

namespace {

bool NameTaken(const std::vector<Sheet>& sheets, const std::string& utf8, const Sheet* except) {
    const QString wanted = QString::fromStdString(utf8).toCaseFolded();
    for (const Sheet& s : sheets)
        if (&s != except && QString::fromStdString(s.name).toCaseFolded() == wanted) return true;
    return false;
}

}  // namespace

void OdsWorkbook::CopySheetBefore(int source, int before) {
    if (!doc_ || source < 1 || source > SheetCount()) return;
    Sheet copy = doc_->sheets[static_cast<size_t>(source) - 1];
    // The name the other system gives a copy: "name (2)", "name (3)", ...
    for (int n = 2;; ++n) {
        const std::string name =
            doc_->sheets[static_cast<size_t>(source) - 1].name + " (" + std::to_string(n) + ")";
        if (!NameTaken(doc_->sheets, name, nullptr)) {
            copy.name = name;
            break;
        }
    }
    const size_t at = static_cast<size_t>(std::clamp(before, 1, SheetCount() + 1) - 1);
    doc_->sheets.insert(doc_->sheets.begin() + static_cast<long>(at), std::move(copy));
}

std::string OdsWorkbook::SheetName(int item) const {
    if (!doc_ || item < 1 || item > SheetCount()) return {};
    return Utf8ToBig5(doc_->sheets[static_cast<size_t>(item) - 1].name);
}

bool OdsWorkbook::SetSheetName(int item, const std::string& name) {
    if (!doc_ || item < 1 || item > SheetCount()) return false;
    const std::string utf8 = Big5ToUtf8(name);
    const QString q = QString::fromStdString(utf8);
    if (q.isEmpty() || q.size() > 31 || q.startsWith('\'') || q.endsWith('\'') || q.contains(QChar(0xFFFD)))
        return false;
    for (QChar c : q)
        if (QStringLiteral("[]*?:/\\").contains(c) || c.unicode() < 0x20) return false;
    Sheet& sheet = doc_->sheets[static_cast<size_t>(item) - 1];
    if (NameTaken(doc_->sheets, utf8, &sheet)) return false;
    sheet.name = utf8;
    return true;
}

namespace {

Cell* TouchCell(OdsWorkbook::Document* doc, int item, int row, int column) {
    if (!doc || item < 1 || item > static_cast<int>(doc->sheets.size()) || row < 1 || column < 1)
        return nullptr;
    Sheet& sheet = doc->sheets[static_cast<size_t>(item) - 1];
    return &Isolate(Isolate(sheet.rows, row - 1).cells, column - 1);
}

}  // namespace

namespace {
const Cell* LookCell(const OdsWorkbook::Document* doc, int item, int row, int column,
                     const Sheet** sheetOut) {
    if (!doc || item < 1 || item > static_cast<int>(doc->sheets.size()) || row < 1 || column < 1)
        return nullptr;
    const Sheet& sheet = doc->sheets[static_cast<size_t>(item) - 1];
    if (sheetOut) *sheetOut = &sheet;
    const Row* r = Find(sheet.rows, row - 1);
    return r ? Find(r->cells, column - 1) : nullptr;
}
}  // namespace

void OdsWorkbook::SetCellText(int item, int row, int column, const std::string& text) {
    Cell* cell = TouchCell(doc_.get(), item, row, column);
    if (!cell) return;
    cell->written = true;
    cell->content.clear();
    cell->text = Big5ToUtf8(text);
    cell->charSizes.clear();
}

std::string OdsWorkbook::CellText(int item, int row, int column) const {
    const Cell* cell = LookCell(doc_.get(), item, row, column, nullptr);
    if (!cell) return {};
    if (cell->written) return Utf8ToBig5(cell->text);
    std::string out;
    bool first = true;
    for (const XmlNode& n : cell->content) {
        if (n.name != "text:p") continue;
        if (!first) out += '\n';
        first = false;
        AppendPlainText(out, n);
    }
    return Utf8ToBig5(out);
}

void OdsWorkbook::SetFontSize(int item, int row, int column, int size) {
    if (Cell* cell = TouchCell(doc_.get(), item, row, column)) {
        cell->format.size = size;
        cell->charSizes.clear();  // a size for the whole cell replaces the sizes of its parts
    }
}

void OdsWorkbook::SetFontColor(int item, int row, int column, int color) {
    if (Cell* cell = TouchCell(doc_.get(), item, row, column)) cell->format.color = color;
}

void OdsWorkbook::SetFontBold(int item, int row, int column, bool bold) {
    if (Cell* cell = TouchCell(doc_.get(), item, row, column)) cell->format.bold = bold;
}

void OdsWorkbook::SetCharactersFontSize(int item, int row, int column, int start, int length, int size) {
    Cell* cell = TouchCell(doc_.get(), item, row, column);
    if (!cell || !cell->written || start < 1 || length < 1) return;
    const size_t count = SplitUtf8Characters(cell->text).size();
    cell->charSizes.resize(count, 0);
    for (size_t i = static_cast<size_t>(start) - 1; i < count && i < static_cast<size_t>(start - 1 + length);
         ++i)
        cell->charSizes[i] = size;
}

void OdsWorkbook::SetRangeFill(int item, int row, int firstColumn, int lastColumn, int color) {
    for (int c = firstColumn; c <= lastColumn; ++c)
        if (Cell* cell = TouchCell(doc_.get(), item, row, c)) cell->format.fill = color;
}

void OdsWorkbook::SetRangeBorderWeight(int item, int row, int firstColumn, int lastColumn, int weight) {
    for (int c = firstColumn; c <= lastColumn; ++c)
        if (Cell* cell = TouchCell(doc_.get(), item, row, c)) cell->format.borderWeight = weight;
}

void OdsWorkbook::SetRangeBorderLineStyle(int item, int row, int firstColumn, int lastColumn, int style) {
    for (int c = firstColumn; c <= lastColumn; ++c)
        if (Cell* cell = TouchCell(doc_.get(), item, row, c)) cell->format.borderLineStyle = style;
}

CellFormat OdsWorkbook::FormatOf(int item, int row, int column) const {
    const Cell* cell = LookCell(doc_.get(), item, row, column, nullptr);
    return cell ? cell->format : CellFormat{};
}

std::vector<int> OdsWorkbook::CharacterSizes(int item, int row, int column) const {
    const Cell* cell = LookCell(doc_.get(), item, row, column, nullptr);
    if (!cell) return {};
    if (!cell->written) {
        // As read from a file: the sizes of its text spans.
        std::vector<int> sizes;
        std::function<void(const XmlNode&, int)> walk = [&](const XmlNode& n, int size) {
            if (n.name.empty()) {
                sizes.insert(sizes.end(), SplitUtf8Characters(n.text).size(), size);
                return;
            }
            if (n.name == "text:s") {
                sizes.insert(sizes.end(), static_cast<size_t>(RepeatOf(n, "text:c")), size);
                return;
            }
            if (n.name == "text:span")
                if (const std::string* style = n.Attr("text:style-name"))
                    if (const XmlNode* node = doc_->StyleNode(*style))
                        if (const XmlNode* props = FindChild(*node, "style:text-properties"))
                            if (const std::string* v = props->Attr("fo:font-size")) size = NumberOf(*v);
            for (const XmlNode& child : n.children) walk(child, size);
        };
        bool first = true;
        for (const XmlNode& n : cell->content) {
            if (n.name != "text:p") continue;
            if (!first) sizes.push_back(0);
            first = false;
            walk(n, 0);
        }
        return sizes;
    }
    std::vector<int> sizes = cell->charSizes;
    sizes.resize(SplitUtf8Characters(cell->text).size(), 0);
    return sizes;
}

std::string OdsWorkbook::CellStyleProperty(int item, int row, int column, const std::string& key) const {
    const Sheet* sheet = nullptr;
    const Cell* cell = LookCell(doc_.get(), item, row, column, &sheet);
    if (!cell || !sheet) return {};
    std::string name = doc_->BaseStyleOf(*sheet, *cell, column);
    for (int depth = 0; depth < 8 && !name.empty(); ++depth) {
        const XmlNode* style = doc_->StyleNode(name);
        if (!style) break;
        XmlNode copy = *style;
        ApplyFormat(copy, depth == 0 ? cell->format : CellFormat{});
        for (const XmlNode& props : copy.children)
            if (const std::string* v = props.Attr(key)) return *v;
        const std::string* parent = style->Attr("style:parent-style-name");
        name = parent ? *parent : std::string();
    }
    return {};
}

}  // namespace qv
