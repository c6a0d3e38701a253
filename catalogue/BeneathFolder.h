#pragma once
// Folders whose contents are not to be trusted (a song disk travels between shops): names are resolved
// beneath a folder one has opened, never through a link, and removals never reach past a link. Every
// descriptor here is opened close-on-exec.
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// An open descriptor, closed when it goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept;
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Longest name (in bytes) taken from a file of the disk.
constexpr size_t MaxRelativeNameBytes = 1024;

// A plain relative path: not empty, not absolute, no empty, "." or ".." component, no NUL, at most
// MaxRelativeNameBytes.
bool IsPlainRelativeName(std::string_view name);

// Opens name beneath the folder dirFd without following any link on the way or at its end (-1 and
// errno: ELOOP or ENOTDIR for a link, EINVAL for a name that is not plain). openat2's
// RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS where the kernel has it, else one component at a time.
int OpenBeneath(int dirFd, std::string_view name, int flags, mode_t mode = 0);
// Tests: false takes the component walk also where openat2 exists.
extern bool UseOpenat2;

// A folder one names on purpose (the program folder, a library folder): its own path may hold links.
UniqueFd OpenFolder(const std::string& path);
// A folder whose name is ours to give, in a folder one means: never a link in its place.
UniqueFd OpenOwnFolder(const std::string& path);
// The names in the folder dirFd, "." and ".." left out.
std::vector<std::string> NamesIn(int dirFd);
// The folder that holds name's last component, beneath dirFd; with make, missing folders on the way are
// made. Not ok when the way passes a link or something that is not a folder (errno as OpenBeneath).
UniqueFd ParentBeneath(int dirFd, std::string_view name, bool make);
// The last component of a plain relative name.
std::string_view LeafOf(std::string_view name);

enum class EntryKind { Missing, File, Folder, Link, Other, Refused };
// What name beneath dirFd is, looked at without following it. Refused: the name is not plain, or the way
// to it passes a link or a file.
EntryKind EntryKindBeneath(int dirFd, std::string_view name);

// Rename that never replaces an existing target (renameat2 RENAME_NOREPLACE, or a check first where the
// file system lacks it).
bool RenameNoReplaceAt(int fromDir, const char* from, int toDir, const char* to);
// Moves the entry from (beneath fromDir) itself, never what it may point at, to to (beneath toDir), making
// the folders on the way there; never replaces. False when either way passes a link.
bool MoveBeneath(int fromDir, std::string_view from, int toDir, std::string_view to);

// The regular files below the folder dirFd, as names relative to it, found without entering a link;
// false when anything else (a link, a device) was met, which is left out.
bool RegularFilesBeneath(int dirFd, std::vector<std::string>& names);

enum class ReadBeneath { Read, Missing, Refused };
// The bytes of the regular file name beneath dirFd, opened without blocking; Refused for a link, anything
// but a regular file, or a file longer than most bytes.
ReadBeneath ReadRegularFileBeneath(int dirFd, std::string_view name, std::string& bytes, size_t most);

// Removes the entry name (one component) of dirFd: a file or a link (the link itself), or a folder with
// everything in it, never going through a link. True when nothing of that name is left.
bool RemoveEntryAt(int dirFd, std::string_view name);
// The same for a path: its folder is the one meant, its last component is never followed.
bool RemoveTree(const std::string& path);

// Leftovers of a killed run are ours only when their name is the prefix followed by the six characters
// mkstemp or mkdtemp made, and a folder among them holds the marker put there when it was made.
bool IsMadeTemporaryName(std::string_view name, std::string_view prefix);
// mkdtemp of pattern ("…XXXXXX", filled in), then the marker inside; false (and nothing made) otherwise.
bool MakeOwnWorkFolder(std::string& pattern);
// A regular file or a folder with the marker, under a name made from prefix; links and everything else
// are never ours.
bool IsOwnLeftover(int dirFd, const std::string& name, std::string_view prefix);
// Removes every own leftover with that prefix from the folder dirFd.
void RemoveOwnLeftovers(int dirFd, std::string_view prefix);

}  // namespace qv
