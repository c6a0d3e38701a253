#include "library/DiskFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/BeneathFolder.h"
#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
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
    if (EndRequested()) return;  // the program is ending: no more waiting for a locked file
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

namespace {

constexpr const char* CopyTempPattern = ".qvcopy-XXXXXX";
constexpr std::string_view CopyTempPrefix = ".qvcopy-";
constexpr const char* StagingName = ".qvstaging";

bool SameFileSystem(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// The staging folder, made when missing; its device. A link in its place is not used.
bool MakeStaging(const std::string& staging, dev_t& device) {
    struct stat st {};
    if (::mkdir(staging.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (!StatPath(staging, st) || !S_ISDIR(st.st_mode)) return false;
    device = st.st_dev;
    return true;
}

// What a run of many copies into the library keeps between them (see StagingSession): the staging folder
// it made and its device, the device of the song folder copied into last, the counter that names the
// temporaries.
struct StagingState {
    int sessions = 0;
    std::string staging;  // empty until the session's first copy into the library
    dev_t stagingDevice = 0;
    std::string folder;
    dev_t folderDevice = 0;
    unsigned long counter = 0;
};
StagingState g_staging;

bool InSession() { return g_staging.sessions > 0; }

// Whether the staging folder (made here when missing) is on the file system of folder.
bool StagingServes(const std::string& staging, const std::string& folder) {
    StagingState& s = g_staging;
    if (!InSession()) {
        dev_t device = 0;
        return MakeStaging(staging, device) && SameFileSystem(staging, folder);
    }
    if (s.staging != staging) {
        s.folder.clear();
        if (!MakeStaging(staging, s.stagingDevice)) {
            s.staging.clear();
            return false;
        }
        s.staging = staging;
    }
    if (s.folder != folder) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0) return false;
        s.folder = folder;
        s.folderDevice = st.st_dev;
    }
    return s.stagingDevice == s.folderDevice;
}

// Six characters of the alphabet mkstemp draws from, from a number.
std::string SixCharacters(unsigned long n) {
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr unsigned long Size = sizeof Alphabet - 1;
    std::string text(6, 'A');
    for (auto it = text.rbegin(); it != text.rend() && n > 0; ++it, n /= Size) *it = Alphabet[n % Size];
    return text;
}

bool InLibrary(const std::string& path) {
    if (LibraryRoot.empty()) return false;
    const std::string root = LibraryRoot == "/" ? std::string() : LibraryRoot;
    return path.size() > root.size() + 1 && path.compare(0, root.size(), root) == 0 &&
           path[root.size()] == '/';
}

// Where the temporary of a copy to target is made, on target's file system so that a rename puts it in
// place: the library's staging folder for targets in the library (cleared at every start), else workFolder
// (cleared by the command that names it), else target's own folder.
std::string TempFolderFor(const std::string& target, const std::string& workFolder) {
    const std::string folder = FolderOf(target);
    if (InLibrary(target)) {
        const std::string staging = StagingFolder();
        if (StagingServes(staging, folder)) return staging;
    }
    if (!workFolder.empty() && SameFileSystem(workFolder, folder)) return workFolder;
    return folder;
}

// The temporary file or folder of a copy to target, removed with whatever it holds unless it was put in
// place, also when a run is abandoned in the middle of a copy. The staging folder goes when it is empty
// and no staging session holds it. A folder is made inside a marked folder of ours, so that a left-over is
// known for ours and what is put in place carries no marker.
class TempEntry {
public:
    TempEntry(const std::string& target, const std::string& workFolder, bool folder) : folder_(folder) {
        const std::string where = TempFolderFor(target, workFolder);
        if (where == StagingFolder()) staging_ = where;
        // In a session's staging folder nobody else makes names: the next number is free but for what a
        // killed run left (cleared at start) or a name already taken, and then the search takes over.
        if (!folder && !staging_.empty() && InSession() &&
            MakeNamedFile(where + "/" + std::string(CopyTempPrefix) + SixCharacters(++g_staging.counter)))
            return;
        std::string name = where + "/" + CopyTempPattern;
        if (!folder) {
            if ((fd_ = ::mkostemp(name.data(), O_CLOEXEC)) >= 0) path_ = name;
        } else if (MakeOwnWorkFolder(name)) {
            holder_ = name;
            if (::mkdir((name + "/copy").c_str(), 0755) == 0) path_ = name + "/copy";
        }
    }
    ~TempEntry() {
        if (fd_ >= 0) ::close(fd_);
        if (!holder_.empty())
            RemoveTree(holder_);
        else if (!path_.empty())
            RemoveTree(path_);
        if (!staging_.empty() && !InSession()) ::rmdir(staging_.c_str());
    }
    TempEntry(const TempEntry&) = delete;
    TempEntry& operator=(const TempEntry&) = delete;
    bool Made() const { return !path_.empty(); }
    bool IsFolder() const { return folder_; }
    const std::string& path() const { return path_; }
    int TakeFd() { return std::exchange(fd_, -1); }
    void Placed() { path_.clear(); }

private:
    bool MakeNamedFile(const std::string& name) {
        fd_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) path_ = name;
        return fd_ >= 0;
    }

    bool folder_;
    std::string path_, holder_, staging_;
    int fd_ = -1;
};

// The regular file at path opened for reading (never blocking on anything else), with its status; -1
// when it cannot be opened or is not a regular file.
int OpenRegularFile(const std::string& path, struct stat& st, int flags = 0) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | flags);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
    ::close(fd);
    return -1;
}

// Copies the open regular file source of total bytes into the new file outFd (taken over);
// Copied, Failed or Cancelled.
CopyResult CopyFileTo(int in, std::int64_t total, const std::string& source, int outFd,
                      const std::string& shownTarget, std::int64_t progressFrom) {
    Fd out(outFd);
    if (out.get() < 0) return CopyResult::Failed;
    ::fchmod(out.get(), 0644);

    // The window goes also when an abandoned run unwinds from one of its steps. Its end may be a step of
    // the run itself, so it is taken here, where it may throw, and in the destructor only while unwinding.
    struct ProgressShown {
        bool shown;
        void End() {
            if (std::exchange(shown, false)) CopyProgress().End();
        }
        ~ProgressShown() {
            try {
                End();
            } catch (...) {  // already unwinding: the first exception is the one that counts
            }
        }
    } progress{total >= progressFrom};
    if (progress.shown) CopyProgress().Begin(source, shownTarget, total);
    CopyResult result = CopyBytes(in, out.get(), total, progress.shown);
    progress.End();
    if (!out.Close() && result == CopyResult::Copied) result = CopyResult::Failed;
    return result;
}

// Puts the finished temporary in place of target. With replace an existing target goes (a folder as a
// whole: the two are exchanged and the old one removed), without it an existing target fails.
bool PlaceTemp(TempEntry& temp, const std::string& target, bool replace) {
    bool placed = false;
    if (replace && !temp.IsFolder()) {
        placed = ::rename(temp.path().c_str(), target.c_str()) == 0;  // whether or not one is there
    } else if (!replace || !PathExists(target)) {
        placed = RenameNoReplace(temp.path(), target);
    } else if (::renameat2(AT_FDCWD, temp.path().c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        return true;  // the old target now lies under the temporary name, which goes with it
    } else if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
        // A file system without the exchange: the old target steps aside under a name of ours first,
        // beside it and not in the staging folder that start-up clears. A kill between the two renames, or
        // a put-back that fails, leaves the old folder there under that name, never removed.
        std::string aside = FolderOf(target) + "/" + CopyTempPattern;
        if (!::mkdtemp(aside.data()) || ::rmdir(aside.c_str()) != 0 || ::rename(target.c_str(), aside.c_str()) != 0)
            return false;
        placed = RenameNoReplace(temp.path(), target);
        std::error_code ec;
        if (placed)
            fs::remove_all(aside, ec);
        else
            ::rename(aside.c_str(), target.c_str());
    }
    if (placed) temp.Placed();
    return placed;
}

}  // namespace

std::string StagingFolder() { return PathIn(LibraryRoot, StagingName); }

StagingSession::StagingSession() { ++g_staging.sessions; }

StagingSession::~StagingSession() {
    if (--g_staging.sessions > 0) return;
    if (!g_staging.staging.empty()) ::rmdir(g_staging.staging.c_str());
    const unsigned long counter = g_staging.counter;
    g_staging = {};
    g_staging.counter = counter;
}

void ClearStagingFolder() {
    // Only what copies left there goes; the folder with it when nothing else is in it, never a link.
    const UniqueFd staging = OpenOwnFolder(StagingFolder());
    if (!staging.ok()) return;
    RemoveOwnLeftovers(staging.get(), CopyTempPrefix);
    ::rmdir(StagingFolder().c_str());
}

void RemoveLeftoverCopies(const std::string& folder) {
    const UniqueFd fd = OpenFolder(folder);
    if (fd.ok()) RemoveOwnLeftovers(fd.get(), CopyTempPrefix);
}

CopyResult CopyFileWithProgress(const std::string& source, const std::string& target, bool replace,
                                std::int64_t progressFrom, const std::string& workFolder) {
    struct stat st {};
    const Fd in(OpenRegularFile(source, st));
    if (in.get() < 0 || (!replace && PathExists(target))) return CopyResult::Failed;

    // The temporary name begins with "." so that no song number prefix ever matches it.
    TempEntry temp(target, workFolder, false);
    if (!temp.Made()) return CopyResult::Failed;
    const CopyResult result =
        CopyFileTo(in.get(), st.st_size, source, temp.TakeFd(), target, progressFrom);
    if (result != CopyResult::Copied) return result;
    return PlaceTemp(temp, target, replace) ? CopyResult::Copied : CopyResult::Failed;
}

CopyResult CopyFolderWithProgress(const std::string& sourceFolder, const std::string& target, bool replace,
                                  const std::string& workFolder) {
    if (!IsFolder(sourceFolder) || (!replace && PathExists(target))) return CopyResult::Failed;
    TempEntry temp(target, workFolder, true);
    if (!temp.Made()) return CopyResult::Failed;
    for (const std::string& file : FolderEntries(sourceFolder)) {
        const std::string from = sourceFolder + "/" + file;
        // Only the folder's own files are pictures: a link (which may lead off the disk) or a device is not.
        struct stat st {};
        if (::lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const Fd in(OpenRegularFile(from, st, O_NOFOLLOW));
        if (in.get() < 0) return CopyResult::Failed;
        const std::string to = temp.path() + "/" + file;
        const CopyResult result =
            CopyFileTo(in.get(), st.st_size, from,
                       ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644),
                       target + "/" + file, LargeCopyBytes);
        if (result != CopyResult::Copied) return result;
    }
    ::chmod(temp.path().c_str(), 0755);
    return PlaceTemp(temp, target, replace) ? CopyResult::Copied : CopyResult::Failed;
}

bool MoveByCopy(const std::string& source, const std::string& target) {
    if (!PathExists(source) || PathExists(target)) return false;
    // The copy is made under a temporary name and renamed into place once whole.
    TempEntry temp(target, {}, true);
    if (!temp.Made()) return false;
    std::error_code ec;
    fs::remove(temp.path(), ec);  // the name is ours; the copy makes the file or folder
    // A link goes as the link itself, as a rename on one file system moves it, never as what it names.
    constexpr auto options = fs::copy_options::recursive | fs::copy_options::copy_symlinks;
    fs::copy(source, temp.path(), options, ec);
    if (ec || !PlaceTemp(temp, target, false)) return false;
    if (ShellDeleteFolder(source)) return true;
    // Nothing of the source is left: the copy is the song now.
    if (!PathExists(source)) return true;
    // Whatever of a folder's source went already comes back from the copy before the copy goes; when it
    // cannot, both stay.
    std::error_code back;
    if (IsFolder(target))
        fs::copy(target, source, options | fs::copy_options::skip_existing, back);
    if (!back) fs::remove_all(target, ec);
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

}  // namespace qv
