#include "platform/MountInfo.h"

#include <filesystem>
#include <vector>

#include "catalogue/TextFile.h"

namespace qv {
namespace {

// Mount points in mountinfo escape blank, tab, newline and backslash as three octal digits.
std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view d = field.substr(i + 1, 3);
            if (d[0] >= '0' && d[0] <= '3' && d[1] >= '0' && d[1] <= '7' && d[2] >= '0' && d[2] <= '7') {
                out += static_cast<char>((d[0] - '0') * 64 + (d[1] - '0') * 8 + (d[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ') ++j;
        if (j > i) out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

bool Holds(const std::string& mountPoint, const std::string& path) {
    if (mountPoint == "/") return !path.empty() && path[0] == '/';
    return path == mountPoint ||
           (path.size() > mountPoint.size() && path.compare(0, mountPoint.size(), mountPoint) == 0 &&
            path[mountPoint.size()] == '/');
}

}  // namespace

MountEntry MountHolding(std::string_view text, const std::string& absolutePath) {
    MountEntry best;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::vector<std::string_view> f = Fields(text.substr(start, end - start));
        start = end + 1;
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        if (f.size() < 7) continue;
        size_t dash = 6;
        while (dash < f.size() && f[dash] != "-") ++dash;
        if (dash + 1 >= f.size()) continue;
        std::string point = Unescape(f[4]);
        if (!Holds(point, absolutePath)) continue;
        if (best.mountPoint.empty() || point.size() >= best.mountPoint.size()) {
            best.mountPoint = std::move(point);
            best.fileSystemType = std::string(f[dash + 1]);
        }
    }
    return best;
}

MountEntry MountOf(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    if (ec) return {};
    std::string text;
    if (!ReadFileBytes("/proc/self/mountinfo", text)) return {};
    return MountHolding(text, p.string());
}

bool IsOnCdRom(const std::string& path) {
    const std::string type = MountOf(path).fileSystemType;
    return type == "iso9660" || type == "udf";
}

}  // namespace qv
