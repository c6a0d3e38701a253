#include "library/DiskToolsSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"

namespace fs = std::filesystem;

namespace qv::disktools {

std::string Shown(const std::string& path) { return Utf8ToBig5(path); }

bool IsDir(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool MakeDir(const std::string& path) {
    if (IsDir(path)) return true;
    return ::mkdir(path.c_str(), 0777) == 0;
}

std::vector<std::string> EntryNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string SongFolderOf(const std::string& songNo) { return PathIn(LibraryRoot, songNo.substr(0, 3)); }

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (IsDir(a) && IsDir(b)) return fs::equivalent(a, b, ec);
    return WithoutTrailingSlash(a) == WithoutTrailingSlash(b);
}

namespace {

// A fresh name beside target for the copy in progress.
std::string TemporaryBeside(const std::string& target) {
    for (int i = 0;; ++i) {
        std::string candidate = target + ".qvcopy" + std::to_string(::getpid()) + "_" + std::to_string(i);
        if (!Exists(candidate)) return candidate;
    }
}

}  // namespace

bool CopyItemReplacing(const std::string& source, const std::string& target) {
    std::error_code ec;
    const bool folder = IsDir(source);
    if (!folder && !fs::is_regular_file(source, ec)) return false;
    // The copy is made under another name and put in place only when complete.
    const std::string temp = TemporaryBeside(target);
    bool ok = folder ? (fs::copy(source, temp, fs::copy_options::recursive, ec), !ec)
                     : fs::copy_file(source, temp, ec) && !ec;
    if (ok && Exists(target) && IsDir(target) != folder) ok = false;  // a file never replaces a folder
    if (ok && folder && IsDir(target)) ok = fs::remove_all(target, ec) != static_cast<std::uintmax_t>(-1) && !ec;
    if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) fs::remove_all(temp, ec);
    return ok;
}

}  // namespace qv::disktools
