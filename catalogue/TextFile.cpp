#include "catalogue/TextFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qv {

bool ReadFileBytes(const std::string& path, std::string& bytes, size_t most) {
    bytes.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // Read straight into the result; the size is a hint only, the loop reads on until the end.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.resize(std::min(static_cast<size_t>(st.st_size), most));
    size_t used = 0;
    bool ok = true;
    while (used < most) {
        // The read that finds the end goes to a small buffer: growing a full result to make room for it
        // would copy the whole file.
        char tail[4096];
        const bool full = used == bytes.size();
        ssize_t n = full ? ::read(fd, tail, std::min(sizeof tail, most - used))
                         : ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (full) bytes.append(tail, static_cast<size_t>(n));
        used += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(ok ? used : 0);
    return ok;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    lines.reserve(text.size() / 142 + 1);
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* stop = lf ? lf : end;
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', stop - p));
        if (cr) {
            lines.emplace_back(p, cr - p);
            p = (cr + 1 == lf) ? lf + 1 : cr + 1;
        } else {
            lines.emplace_back(p, stop - p);
            p = lf ? lf + 1 : end;
        }
    }
    return lines;
}

std::vector<std::string> SplitTextLines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(bytes)) lines.emplace_back(line);
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
    size_t total = 0;
    for (const std::string& line : lines) total += line.size() + 2;
    std::string out;
    out.reserve(total);
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

namespace {
constexpr char TemporaryMark[] = ".qvtmp-";
}

std::string TemporaryPatternFor(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + "." + path.substr(nameStart) + TemporaryMark + "XXXXXX";
}

void RemoveLeftoverTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string mask = std::string(".*") + TemporaryMark + "??????";
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
        if (::fnmatch(mask.c_str(), entry->d_name, 0) == 0) ::unlink((folder + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    std::string temp = TemporaryPatternFor(path);
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    struct stat old {};
    mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

namespace {

// fsync alone: a sync of the whole file system would wait for every other program's writes too.
bool SyncOpened(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | flags);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

}  // namespace

bool SyncFolder(const std::string& folder) { return SyncOpened(folder, O_DIRECTORY); }

bool SyncFile(const std::string& path) { return SyncOpened(path, 0); }

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: check first.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyWholeFile(const std::string& from, const std::string& to, bool replace) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode) || (!replace && FileExists(to))) {
        ::close(in);
        return false;
    }
    // The copy is made under a temporary name and renamed into place once whole: a copy cut short (full
    // disk) never replaces a good one.
    std::string temp = TemporaryPatternFor(to);
    const int out = ::mkstemp(temp.data());
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = ::fchmod(out, st.st_mode & 07777) == 0;
    std::vector<char> buffer(1 << 20);
    while (ok) {
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0)
                ok = false;
            else
                done += w;
        }
    }
    ::close(in);
    ok = ::close(out) == 0 && ok;
    ok = ok && (replace ? std::rename(temp.c_str(), to.c_str()) == 0 : RenameNoReplace(temp, to));
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace qv
