#pragma once
// File helpers of the song disk: retried moves and folder removals, copies that never leave half a file,
// deletes, and file and folder sizes. Paths are POSIX, UTF-8. No move or rename here replaces an existing
// target unless it says so.
#include <cstdint>
#include <functional>
#include <string>

namespace qv {

constexpr int MoveRetryCount = 51;     // tries of MoveFileRetry and RemoveDirRetry
constexpr int DeleteRetryCount = 100;  // tries at deleting a song's media item
constexpr int RetryPauseMs = 200;

// The pause between tries; tests replace it (an empty function restores the real sleep).
void RetryPause(int milliseconds);
void SetRetryPause(std::function<void(int)> pause);

bool PathExists(const std::string& path);  // file, folder or anything else
bool IsFolder(const std::string& path);

// Makes a file writable by its owner (the read-only attribute); false when it cannot.
bool ClearReadOnly(const std::string& path);

// Move of a file or folder that never replaces the target; up to 51 tries, 200 ms apart.
bool MoveFileRetry(const std::string& source, const std::string& target);
// Removal of an empty folder; up to 51 tries, 200 ms apart.
bool RemoveDirRetry(const std::string& folder);

// Deletes a song's media item (a file, or a folder with its contents): up to 100 tries, each failure
// followed by 200 ms. True when afterwards nothing of that path exists.
bool DeleteMediaItem(const std::string& path);

// Sizes in bytes (64-bit). FolderSize: the files of the folder, with recursive also those of subfolders
// whose names do not begin with "."; FileOrFolderSize: a file's size or FolderSize without recursion.
std::int64_t FolderSize(const std::string& folder, bool recursive);
std::int64_t FileOrFolderSize(const std::string& path);

// Every copy onto the song disk leaves at least this many bytes free on its drive.
constexpr std::int64_t ReservedFreeSpace = 10'000'000;
// Free bytes found by the last reserve check.
extern std::int64_t LastFreeBytes;
// True when the drive of path (an existing file or folder) keeps ReservedFreeSpace free after bytesIn
// more and bytesOut fewer bytes.
bool KeepsReserve(const std::string& path, std::int64_t bytesIn, std::int64_t bytesOut = 0);

enum class CopyResult { Copied, Failed, Cancelled };

// Files from this size on show the copy progress window (which may cancel).
constexpr std::int64_t LargeCopyBytes = 8 * 1024 * 1024;

// Copies are made under a temporary name (".qvcopy-" and six characters) on the target's file system and
// renamed into place once whole; a folder's copy is made inside such a folder, marked as ours. For a target
// in the library the temporary lies in the library's staging folder, which ClearStagingFolder clears at
// start; elsewhere in the command's work folder when it names one on the same file system, else beside the
// target; a command that copies out of the library removes the left-overs of a killed run from that folder
// first (RemoveLeftoverCopies).
std::string StagingFolder();
// Removes the left-overs of copies from the staging folder, and the folder when nothing else is left.
void ClearStagingFolder();
// While one lives, copies into the library keep the staging folder from one to the next (it goes when
// the last session ends, if empty) and name their temporaries without a search: for runs of many copies.
class StagingSession {
public:
    StagingSession();
    ~StagingSession();
    StagingSession(const StagingSession&) = delete;
    StagingSession& operator=(const StagingSession&) = delete;
};
// Removes the temporaries of interrupted copies from folder: files of exactly that name, and folders of
// that name that hold our marker. Anything else, links included, stays.
void RemoveLeftoverCopies(const std::string& folder);

// Copies a regular file to target: target appears whole or not at all, and a failed or cancelled copy
// leaves an existing target as it was. replace allows replacing an existing target; without it an
// existing target fails the copy. A source that shrinks or cannot be read while being copied fails it.
CopyResult CopyFileWithProgress(const std::string& source, const std::string& target, bool replace,
                                std::int64_t progressFrom = LargeCopyBytes,
                                const std::string& workFolder = {});
// The regular files of sourceFolder (a picture folder) as the folder target, whole or not at all; with
// replace an existing target goes as a whole.
CopyResult CopyFolderWithProgress(const std::string& sourceFolder, const std::string& target, bool replace,
                                  const std::string& workFolder = {});

// Move of a file or folder that never replaces the target (a copy and delete across file systems).
bool ShellMoveFiles(const std::string& source, const std::string& target);
// The move across file systems: a copy, then the source is removed. Whole or nothing: when the source
// cannot be removed the copy goes and the source stays as it was.
bool MoveByCopy(const std::string& source, const std::string& target);
// Deletes a file, or a folder with everything in it.
bool ShellDeleteFolder(const std::string& path);

}  // namespace qv
