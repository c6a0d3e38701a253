#include "library/DiskToolsSupport.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "library/DiskFiles.h"

namespace fs = std::filesystem;

namespace qv::disktools {

std::string Shown(const std::string& path) { return Utf8ToBig5(path); }

bool MakeDir(const std::string& path) { return IsFolder(path) || ::mkdir(path.c_str(), 0777) == 0; }

std::vector<std::string> EntryNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (IsFolder(a) && IsFolder(b)) return fs::equivalent(a, b, ec);
    return WithoutTrailingSlash(a) == WithoutTrailingSlash(b);
}

std::string NearestExistingFolder(const std::string& folder) {
    std::string probe = WithoutTrailingSlash(folder);
    while (!IsFolder(probe)) {
        const std::size_t slash = probe.rfind('/');
        if (slash == std::string::npos) return ".";
        probe = slash == 0 ? "/" : probe.substr(0, slash);
    }
    return probe;
}

bool MoveItem(const std::string& source, const std::string& targetFolder, const std::string& target) {
    struct stat from {
    }, to{};
    if (::lstat(source.c_str(), &from) == 0 && ::stat(targetFolder.c_str(), &to) == 0 &&
        from.st_dev != to.st_dev)
        return ShellMoveFiles(source, target);
    return MoveFileRetry(source, target);
}

}  // namespace qv::disktools
