#include "settings/IniFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "catalogue/CharTw.h"
#include "catalogue/TextFile.h"

namespace qv {
namespace {

// Settings files are a few kilobytes; anything near this is no settings file and is not read.
constexpr size_t IniFileLimit = size_t{4} << 20;

// The file's bytes, or none when there is no file; false when a file is there but cannot be read.
bool ReadFileOrNothing(const std::string& path, std::string& bytes) {
    if (ReadFileBytes(path, bytes, IniFileLimit)) return true;
    bytes.clear();
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// A symbolic link stays a link: the file it points to is the one replaced.
bool ReplaceFileKeepingLinks(const std::string& path, const std::string& bytes) {
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    return ReplaceFileContents(target, bytes);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimView(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, const std::string& foldedB) {
    return a.size() == foldedB.size() && LowerCaseBig5(std::string(a)) == foldedB;
}

// One line of the file: its text [begin, end) and the start of the next line. CR LF, LF and a lone CR all
// end a line.
struct Line {
    size_t begin = 0;
    size_t end = 0;
    size_t next = 0;
    bool HasBreak() const { return next > end; }
};

Line LineAt(const std::string& text, size_t pos) {
    Line line;
    line.begin = pos;
    size_t i = pos;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    line.end = i;
    if (i < text.size()) {
        i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    }
    line.next = i;
    return line;
}

// The name of a section header "[name]" (blanks inside the brackets ignored); false for other lines.
// The closing bracket is looked for character by character, so a trail byte 0x5D is not taken for it.
bool SectionName(std::string_view trimmedLine, std::string_view& name) {
    if (trimmedLine.empty() || trimmedLine.front() != '[') return false;
    size_t i = 1;
    while (i < trimmedLine.size() && trimmedLine[i] != ']') {
        i += IsBig5LeadByte(static_cast<unsigned char>(trimmedLine[i])) ? 2 : 1;
    }
    name = TrimView(trimmedLine.substr(1, std::min(i, trimmedLine.size()) - 1));
    return true;
}

// Where a key stands, or would go, in the text of the file.
struct KeyPlace {
    bool sectionFound = false;
    Line lastLine;  // the section's last key line, or its header when it has no key
    bool keyFound = false;
    size_t valueBegin = 0;  // after "=" and the blanks that follow it
    size_t valueEnd = 0;    // end of the line's text
};

// The first section of that name counts, and in it the first line of the key.
KeyPlace FindKey(const std::string& text, std::string_view section, std::string_view key) {
    const std::string foldedSection = LowerCaseBig5(std::string(section));
    const std::string foldedKey = LowerCaseBig5(std::string(key));
    KeyPlace place;
    for (size_t pos = 0; pos < text.size();) {
        Line line = LineAt(text, pos);
        pos = line.next;
        std::string_view trimmed = TrimView(std::string_view(text).substr(line.begin, line.end - line.begin));
        std::string_view name;
        if (SectionName(trimmed, name)) {
            if (place.sectionFound) break;
            if (SameName(name, foldedSection)) {
                place.sectionFound = true;
                place.lastLine = line;
            }
            continue;
        }
        if (!place.sectionFound || trimmed.empty() || trimmed.front() == ';') continue;
        size_t equals = std::string_view(text).substr(line.begin, line.end - line.begin).find('=');
        if (equals == std::string_view::npos) continue;
        equals += line.begin;
        place.lastLine = line;
        if (!SameName(TrimView(std::string_view(text).substr(line.begin, equals - line.begin)), foldedKey))
            continue;
        place.keyFound = true;
        place.valueBegin = equals + 1;
        while (place.valueBegin < line.end && IsBlank(text[place.valueBegin])) ++place.valueBegin;
        place.valueEnd = line.end;
        break;
    }
    return place;
}

std::string LineBreakOf(const std::string& text) {
    size_t i = text.find_first_of("\r\n");
    if (i == std::string::npos) return "\r\n";
    if (text[i] == '\n') return "\n";
    return (i + 1 < text.size() && text[i + 1] == '\n') ? "\r\n" : "\r";
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// Names that would read back as another name, or break the file's structure, are not written.
bool IsStorableName(std::string_view name) {
    return !name.empty() && TrimView(name).size() == name.size() && !HasLineBreak(name);
}

}  // namespace

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    std::string text;
    if (!ReadFileBytes(path_, text, IniFileLimit)) return std::string(defaultValue);
    KeyPlace place = FindKey(text, section, key);
    if (!place.keyFound) return std::string(defaultValue);
    std::string_view value =
        TrimView(std::string_view(text).substr(place.valueBegin, place.valueEnd - place.valueBegin));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    std::string text = ReadString(section, key, "");
    return IsInteger(text) ? SafeStrToInt(text) : defaultValue;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsStorableName(section) || !IsStorableName(key) || HasLineBreak(value)) return false;
    std::string header = "[" + std::string(section) + "]";
    std::string_view headerName;
    if (!SectionName(header, headerName) || headerName != section) return false;
    if (key.find('=') != std::string_view::npos) return false;
    if (key.front() == '[' || key.front() == ';') return false;

    std::string text;
    if (!ReadFileOrNothing(path_, text)) return false;
    const std::string original = text;
    const std::string lineBreak = LineBreakOf(text);
    KeyPlace place = FindKey(text, section, key);
    std::string keyLine = std::string(key) + "=" + std::string(value);
    if (place.keyFound) {
        text.replace(place.valueBegin, place.valueEnd - place.valueBegin, value);
    } else if (place.sectionFound) {
        if (place.lastLine.HasBreak()) {
            text.insert(place.lastLine.next, keyLine + lineBreak);
        } else {
            text.insert(place.lastLine.next, lineBreak + keyLine);
        }
    } else {
        if (!text.empty() && text.back() != '\r' && text.back() != '\n') text += lineBreak;
        text += header + lineBreak + keyLine + lineBreak;
    }
    if (text == original) return true;
    return ReplaceFileKeepingLinks(path_, text);
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

}  // namespace qv
