#include "catalogue/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "catalogue/BeneathFolder.h"

namespace qv {

namespace {

int OpenForReading(const std::string& path, FinalLink link) {
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (link == FinalLink::Refuse ? O_NOFOLLOW : 0);
    return ::open(path.c_str(), flags);
}

// Reads the open regular file described by st into bytes: all of it (false when it holds more than
// most), or with head only its first most bytes.
bool ReadOpenFile(int fd, const struct stat& st, std::string& bytes, size_t most, bool head) {
    bytes.clear();
    if (!S_ISREG(st.st_mode)) return false;
    const size_t size = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    if (!head && size > most) return false;
    try {
        // Read straight into the result; the size is a hint only (a file of /proc says 0), the loop reads
        // on until the end or one byte past the bound.
        bytes.resize(std::min(size, most));
        const size_t stop = head || most == std::string::npos ? most : most + 1;
        size_t used = 0;
        while (used < stop) {
            // The read that finds the end goes to a small buffer: growing a full result to make room for
            // it would copy the whole file.
            char tail[4096];
            const bool full = used == bytes.size();
            const ssize_t n = full ? ::read(fd, tail, std::min(sizeof tail, stop - used))
                                   : ::read(fd, bytes.data() + used, bytes.size() - used);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                bytes.clear();
                return false;
            }
            if (n == 0) break;
            if (full) bytes.append(tail, static_cast<size_t>(n));
            used += static_cast<size_t>(n);
        }
        bytes.resize(used);
        if (!head && used > most) {
            bytes.clear();
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        std::string().swap(bytes);
        return false;
    } catch (const std::length_error&) {
        std::string().swap(bytes);
        return false;
    }
}

bool ReadPath(const std::string& path, std::string& bytes, size_t most, bool head, FinalLink link) {
    bytes.clear();
    const int fd = OpenForReading(path, link);
    if (fd < 0) return false;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && ReadOpenFile(fd, st, bytes, most, head);
    ::close(fd);
    return ok;
}

std::function<void(const std::string&)>& SettledReadHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool SameState(const struct stat& a, const struct stat& b) {
    return SameFile(a, b) && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

}  // namespace

bool ReadOpenRegularFile(int fd, std::string& bytes, size_t limit) {
    struct stat st {};
    if (::fstat(fd, &st) == 0) return ReadOpenFile(fd, st, bytes, limit, false);
    bytes.clear();
    return false;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, size_t limit, FinalLink link) {
    return ReadPath(path, bytes, limit, false, link);
}

bool ReadFileHead(const std::string& path, std::string& bytes, size_t count, FinalLink link) {
    return ReadPath(path, bytes, count, true, link);
}

void SetSettledReadHook(std::function<void(const std::string& path)> hook) {
    SettledReadHook() = std::move(hook);
}

bool ReadSettledFile(const std::string& path, std::string& bytes, size_t limit, FinalLink link) {
    constexpr int Tries = 4;
    for (int attempt = 0; attempt < Tries; ++attempt) {
        const int fd = OpenForReading(path, link);
        if (fd < 0) break;
        struct stat before {};
        struct stat after {};
        struct stat named {};
        bool settled = false;
        const bool read = ::fstat(fd, &before) == 0 && ReadOpenFile(fd, before, bytes, limit, false);
        if (read) {
            if (SettledReadHook()) SettledReadHook()(path);
            const int namedFound =
                link == FinalLink::Refuse ? ::lstat(path.c_str(), &named) : ::stat(path.c_str(), &named);
            settled = ::fstat(fd, &after) == 0 && namedFound == 0 && SameState(before, after) &&
                      SameFile(before, named) && bytes.size() == static_cast<size_t>(after.st_size);
        }
        ::close(fd);
        if (settled) return true;
        if (!read) break;  // no regular file, over the bound, a read error: trying again changes nothing
    }
    std::string().swap(bytes);
    return false;
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
    const UniqueFd fd = OpenFolder(folder);
    if (!fd.ok()) return;
    constexpr size_t MarkedTail = sizeof TemporaryMark - 1 + 6;
    for (const std::string& name : NamesIn(fd.get())) {
        // "." + the file's own name + the mark and what mkstemp made of "XXXXXX"
        if (name.size() > MarkedTail + 1 && name.front() == '.' &&
            IsMadeTemporaryName(std::string_view(name).substr(name.size() - MarkedTail), TemporaryMark) &&
            EntryKindBeneath(fd.get(), name) == EntryKind::File)
            ::unlinkat(fd.get(), name.c_str(), 0);
    }
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    std::string temp = TemporaryPatternFor(path);
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
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
    return RenameNoReplaceAt(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str());
}

bool CopyWholeFile(const std::string& from, const std::string& to, bool replace) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode) || (!replace && FileExists(to))) {
        ::close(in);
        return false;
    }
    // The copy is made under a temporary name and renamed into place once whole: a copy cut short (full
    // disk) never replaces a good one.
    std::string temp = TemporaryPatternFor(to);
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
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
