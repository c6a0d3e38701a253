#include "catalogue/BeneathFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <utility>
#include <vector>

#include "catalogue/TextFile.h"

namespace qv {

bool UseOpenat2 = true;

namespace {

constexpr char OwnMarker[] = ".qvsong-own";
constexpr int DeepestFolder = 256;
constexpr size_t MadeCharacters = 6;

// Components of a plain name, in order.
std::vector<std::string_view> Components(std::string_view name) {
    std::vector<std::string_view> parts;
    for (size_t from = 0;;) {
        const size_t slash = name.find('/', from);
        parts.push_back(name.substr(from, slash == std::string_view::npos ? slash : slash - from));
        if (slash == std::string_view::npos) return parts;
        from = slash + 1;
    }
}

int Openat2(int dirFd, const std::string& name, int flags, mode_t mode) {
    open_how how{};
    how.flags = static_cast<unsigned long long>(flags);
    how.mode = (flags & O_CREAT) ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, dirFd, name.c_str(), &how, sizeof how));
}

// One component at a time, none of them followed when it is a link.
int OpenByWalk(int dirFd, std::string_view name, int flags, mode_t mode) {
    const std::vector<std::string_view> parts = Components(name);
    UniqueFd folder;
    int at = dirFd;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        folder = UniqueFd(
            ::openat(at, std::string(parts[i]).c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder.ok()) return -1;
        at = folder.get();
    }
    return ::openat(at, std::string(parts.back()).c_str(), flags | O_NOFOLLOW, mode);
}

bool Alphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::vector<std::string> NamesIn(int dirFd) {
    std::vector<std::string> names;
    const int copy = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0) ::close(copy);
        return names;
    }
    // The duplicate shares the reading position: start from the first entry.
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

namespace {

bool RemoveEntryBelow(int dirFd, const std::string& name, int depth) {
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) return ::unlinkat(dirFd, name.c_str(), 0) == 0 || errno == ENOENT;
    if (depth > DeepestFolder) return false;
    const int fd =
        ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // Made a link or a file since it was looked at: that entry alone goes.
        if (errno == ELOOP || errno == ENOTDIR) return ::unlinkat(dirFd, name.c_str(), 0) == 0;
        return errno == ENOENT;
    }
    const UniqueFd folder(fd);
    bool all = true;
    for (const std::string& entry : NamesIn(fd)) all = RemoveEntryBelow(fd, entry, depth + 1) && all;
    return all && (::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT);
}

bool FilesBelow(int dirFd, const std::string& prefix, std::vector<std::string>& names, int depth) {
    bool plain = depth <= DeepestFolder;
    for (const std::string& name : plain ? NamesIn(dirFd) : std::vector<std::string>{}) {
        struct stat st {};
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(st.st_mode)) {
            names.push_back(prefix + name);
        } else if (S_ISDIR(st.st_mode)) {
            const UniqueFd folder(
                ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
            plain = folder.ok() && FilesBelow(folder.get(), prefix + name + "/", names, depth + 1) && plain;
        } else {
            plain = false;
        }
    }
    return plain;
}

}  // namespace

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

UniqueFd::UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool IsPlainRelativeName(std::string_view name) {
    if (name.empty() || name.size() > MaxRelativeNameBytes || name.front() == '/' ||
        name.find('\0') != std::string_view::npos)
        return false;
    return std::ranges::none_of(
        Components(name), [](std::string_view part) { return part.empty() || part == "." || part == ".."; });
}

int OpenBeneath(int dirFd, std::string_view name, int flags, mode_t mode) {
    if (!IsPlainRelativeName(name)) {
        errno = EINVAL;
        return -1;
    }
    flags |= O_CLOEXEC;
    static std::atomic<bool> kernelHasOpenat2 = true;
    if (UseOpenat2 && kernelHasOpenat2) {
        const int fd = Openat2(dirFd, std::string(name), flags, mode);
        // A kernel before 5.6, or a sandbox that forbids the call: the walk does the same.
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return fd;
        kernelHasOpenat2 = false;
    }
    return OpenByWalk(dirFd, name, flags, mode);
}

UniqueFd OpenFolder(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
}

std::string_view LeafOf(std::string_view name) {
    const size_t slash = name.rfind('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

UniqueFd OpenOwnFolder(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

UniqueFd ParentBeneath(int dirFd, std::string_view name, bool make) {
    if (!IsPlainRelativeName(name)) {
        errno = EINVAL;
        return {};
    }
    const size_t slash = name.rfind('/');
    if (slash == std::string_view::npos) return UniqueFd(::fcntl(dirFd, F_DUPFD_CLOEXEC, 0));
    if (!make) return UniqueFd(OpenBeneath(dirFd, name.substr(0, slash), O_PATH | O_DIRECTORY));
    const std::vector<std::string_view> parts = Components(name.substr(0, slash));
    UniqueFd folder(::fcntl(dirFd, F_DUPFD_CLOEXEC, 0));
    for (std::string_view part : parts) {
        const std::string component(part);
        if (::mkdirat(folder.get(), component.c_str(), 0777) != 0 && errno != EEXIST) return {};
        folder = UniqueFd(
            ::openat(folder.get(), component.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder.ok()) return {};
    }
    return folder;
}

EntryKind EntryKindBeneath(int dirFd, std::string_view name) {
    const UniqueFd parent = ParentBeneath(dirFd, name, false);
    if (!parent.ok()) return errno == ENOENT ? EntryKind::Missing : EntryKind::Refused;
    struct stat st {};
    if (::fstatat(parent.get(), std::string(LeafOf(name)).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? EntryKind::Missing : EntryKind::Refused;
    if (S_ISLNK(st.st_mode)) return EntryKind::Link;
    if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

bool RenameNoReplaceAt(int fromDir, const char* from, int toDir, const char* to) {
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    struct stat st {};
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(fromDir, from, toDir, to) == 0;
}

bool MoveBeneath(int fromDir, std::string_view from, int toDir, std::string_view to) {
    const UniqueFd source = ParentBeneath(fromDir, from, false);
    if (!source.ok()) return false;
    const UniqueFd target = ParentBeneath(toDir, to, true);
    return target.ok() && RenameNoReplaceAt(source.get(), std::string(LeafOf(from)).c_str(), target.get(),
                                            std::string(LeafOf(to)).c_str());
}

ReadBeneath ReadRegularFileBeneath(int dirFd, std::string_view name, std::string& bytes, size_t most) {
    bytes.clear();
    const UniqueFd file(OpenBeneath(dirFd, name, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    if (!file.ok()) return errno == ENOENT ? ReadBeneath::Missing : ReadBeneath::Refused;
    return ReadOpenRegularFile(file.get(), bytes, most) ? ReadBeneath::Read : ReadBeneath::Refused;
}

bool RegularFilesBeneath(int dirFd, std::vector<std::string>& names) {
    return FilesBelow(dirFd, "", names, 0);
}

bool RemoveEntryAt(int dirFd, std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) return false;
    return RemoveEntryBelow(dirFd, std::string(name), 0);
}

bool RemoveTree(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const UniqueFd parent(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return parent.ok() && RemoveEntryAt(parent.get(), std::string_view(path).substr(slash + 1));
}

bool IsMadeTemporaryName(std::string_view name, std::string_view prefix) {
    return name.size() == prefix.size() + MadeCharacters && name.starts_with(prefix) &&
           std::ranges::all_of(name.substr(prefix.size()), Alphanumeric);
}

bool MakeOwnWorkFolder(std::string& pattern) {
    if (!::mkdtemp(pattern.data())) return false;
    const UniqueFd folder(::open(pattern.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const UniqueFd marker(folder.ok() ? ::openat(folder.get(), OwnMarker,
                                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644)
                                      : -1);
    if (marker.ok()) return true;
    ::rmdir(pattern.c_str());
    return false;
}

bool IsOwnLeftover(int dirFd, const std::string& name, std::string_view prefix) {
    if (!IsMadeTemporaryName(name, prefix)) return false;
    switch (EntryKindBeneath(dirFd, name)) {
        case EntryKind::File:
            return true;
        case EntryKind::Folder:
            return EntryKindBeneath(dirFd, name + "/" + OwnMarker) == EntryKind::File;
        default:
            return false;
    }
}

void RemoveOwnLeftovers(int dirFd, std::string_view prefix) {
    for (const std::string& name : NamesIn(dirFd))
        if (name.starts_with(prefix) && IsOwnLeftover(dirFd, name, prefix)) RemoveEntryAt(dirFd, name);
}

}  // namespace qv
