#include "settings/IniFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalogue/CharTw.h"

namespace qv {
namespace {

enum class ReadResult { Ok, Missing, Failed };

// A missing file (or folder) is no error: it reads as an empty file. Anything that is not a regular file
// is refused, so a FIFO or a device never blocks or floods the program.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::Failed;
    }
    if (st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            bytes.clear();
            return ReadResult::Failed;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes a temporary file beside the target and renames it over the target, so the target is either the
// old file or the complete new one. A symbolic link is kept: the file it points to is replaced.
bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    struct stat old {};
    bool hadFile = ::stat(target.c_str(), &old) == 0;

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "/." + base + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = WriteAll(fd, bytes);
    if (ok && hadFile) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    if (ok) ok = ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
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
        if (!SameName(TrimView(std::string_view(text).substr(line.begin, equals - line.begin)), foldedKey)) continue;
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
    if (ReadWholeFile(path_, text) != ReadResult::Ok) return std::string(defaultValue);
    KeyPlace place = FindKey(text, section, key);
    if (!place.keyFound) return std::string(defaultValue);
    std::string_view value = TrimView(std::string_view(text).substr(place.valueBegin, place.valueEnd - place.valueBegin));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
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
    if (ReadWholeFile(path_, text) == ReadResult::Failed) return false;
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
    return ReplaceFileContents(path_, text);
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

}  // namespace qv
