#include "library/DiskFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "catalogue/TextFile.h"
#include "platform/CopyProgress.h"
#include "platform/DiskSpace.h"

namespace qv {
namespace fs = std::filesystem;

namespace {

std::function<void(int)> g_pause;

bool StatPath(const std::string& path, struct stat& st) { return ::lstat(path.c_str(), &st) == 0; }

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Names of the entries of a folder, "." and ".." left out; empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Copies the open source into the open target; Copied, Failed or Cancelled.
CopyResult CopyBytes(int in, int out, std::int64_t total, bool showProgress) {
    constexpr size_t Chunk = 1 << 20;
    std::vector<char> buffer(Chunk);
    std::int64_t done = 0;
    while (done < total) {
        const ssize_t n = ::read(in, buffer.data(), Chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return CopyResult::Failed;  // unreadable, or shorter than it was
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) return CopyResult::Failed;
        done += n;
        if (showProgress && !CopyProgress().Step(done)) return CopyResult::Cancelled;
    }
    return CopyResult::Copied;
}

}  // namespace

std::int64_t LastFreeBytes = 0;

bool KeepsReserve(const std::string& path, std::int64_t bytesIn, std::int64_t bytesOut) {
    LastFreeBytes = FreeDiskBytes(path);
    if (LastFreeBytes < 0) return false;
    return LastFreeBytes - bytesIn + bytesOut >= ReservedFreeSpace;
}

void RetryPause(int milliseconds) {
    if (g_pause) {
        g_pause(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetRetryPause(std::function<void(int)> pause) { g_pause = std::move(pause); }

bool PathExists(const std::string& path) {
    struct stat st {};
    return StatPath(path, st);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

bool ClearReadOnly(const std::string& path) {
    struct stat st {};
    if (!StatPath(path, st)) return false;
    if (st.st_mode & S_IWUSR) return true;
    return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool MoveFileRetry(const std::string& source, const std::string& target) {
    for (int attempt = 1;; ++attempt) {
        if (RenameNoReplace(source, target)) return true;
        if (attempt == MoveRetryCount) return false;
        RetryPause(RetryPauseMs);
    }
}

bool RemoveDirRetry(const std::string& folder) {
    for (int attempt = 1;; ++attempt) {
        if (::rmdir(folder.c_str()) == 0) return true;
        if (attempt == MoveRetryCount) return false;
        RetryPause(RetryPauseMs);
    }
}

bool DeleteMediaItem(const std::string& path) {
    for (int attempt = 0; attempt < DeleteRetryCount; ++attempt) {
        const bool deleted = IsFolder(path) ? ShellDeleteFolder(path) : ::unlink(path.c_str()) == 0;
        if (deleted) break;
        RetryPause(RetryPauseMs);
    }
    return !PathExists(path);
}

std::int64_t FolderSize(const std::string& folder, bool recursive) {
    std::int64_t total = 0;
    for (const std::string& name : FolderEntries(folder)) {
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (recursive && name[0] != '.') total += FolderSize(path, true);
        } else {
            total += st.st_size;
        }
    }
    return total;
}

std::int64_t FileOrFolderSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return S_ISDIR(st.st_mode) ? FolderSize(path, false) : static_cast<std::int64_t>(st.st_size);
}

CopyResult CopyFileWithProgress(const std::string& source, const std::string& target, bool replace,
                                std::int64_t progressFrom) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return CopyResult::Failed;
    if (!replace && PathExists(target)) return CopyResult::Failed;

    // The temporary name begins with "." so that no song number prefix ever matches it.
    std::string temp = FolderOf(target) + "/.qvcopy-XXXXXX";
    Fd out(::mkstemp(temp.data()));
    if (out.get() < 0) return CopyResult::Failed;
    ::fchmod(out.get(), 0644);

    const std::int64_t total = st.st_size;
    const bool showProgress = total >= progressFrom;
    if (showProgress) CopyProgress().Begin(source, target, total);
    CopyResult result = CopyBytes(in.get(), out.get(), total, showProgress);
    if (showProgress) CopyProgress().End();

    if (!out.Close() && result == CopyResult::Copied) result = CopyResult::Failed;
    if (result == CopyResult::Copied) {
        const bool placed =
            replace ? ::rename(temp.c_str(), target.c_str()) == 0 : RenameNoReplace(temp, target);
        if (!placed) result = CopyResult::Failed;
    }
    if (result != CopyResult::Copied) ::unlink(temp.c_str());
    return result;
}

bool ShellCopyFiles(const std::string& sourceFolder, const std::string& targetFolder) {
    if (!IsFolder(sourceFolder) || !IsFolder(targetFolder)) return false;
    for (const std::string& name : FolderEntries(sourceFolder)) {
        const std::string from = sourceFolder + "/" + name;
        struct stat st {};
        if (::stat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (CopyFileWithProgress(from, targetFolder + "/" + name, true) != CopyResult::Copied) return false;
    }
    return true;
}

bool MoveByCopy(const std::string& source, const std::string& target) {
    if (!PathExists(source) || PathExists(target)) return false;
    std::error_code ec;
    fs::copy(source, target, fs::copy_options::recursive, ec);
    if (!ec && ShellDeleteFolder(source)) return true;
    // Whatever of a folder's source went already comes back from the copy before the copy goes.
    if (PathExists(target) && PathExists(source) && IsFolder(target))
        fs::copy(target, source, fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
    fs::remove_all(target, ec);
    return false;
}

bool ShellMoveFiles(const std::string& source, const std::string& target) {
    if (RenameNoReplace(source, target)) return true;
    if (errno != EXDEV) return false;
    return MoveByCopy(source, target);
}

bool ShellDeleteFolder(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    return !ec && !PathExists(path);
}

bool DeleteFolderFiles(const std::string& folder, const std::string& mask) {
    if (!IsFolder(folder)) return false;
    for (const std::string& name : FolderEntries(folder)) {
        if (::fnmatch(mask.c_str(), name.c_str(), 0) != 0) continue;
        const std::string path = folder + "/" + name;
        if (!IsFolder(path)) ::unlink(path.c_str());
    }
    return true;
}

}  // namespace qv
