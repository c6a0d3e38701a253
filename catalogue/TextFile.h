#pragma once
// Whole-file reading and writing for the catalogue's text files (Big5 bytes, lines ended by CR LF).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Whether a link as the last component of a path is followed. Names the program chooses itself are
// opened with Refuse: a disk's link there points wherever the disk's maker wanted.
enum class FinalLink { Follow, Refuse };

// What a reader takes when it names no bound of its own.
constexpr size_t DefaultReadLimit = size_t{64} << 20;

// The whole of a regular file. False when it cannot be opened or read, is no regular file (a folder, a
// FIFO, a device), or holds more than `limit` bytes. The open never blocks and nothing is thrown.
bool ReadFileBytes(const std::string& path, std::string& bytes, size_t limit = DefaultReadLimit,
                   FinalLink link = FinalLink::Follow);
// The same for a file already open (a descriptor resolved beneath an untrusted folder).
bool ReadOpenRegularFile(int fd, std::string& bytes, size_t limit);
// The first `count` bytes of a regular file (all of a shorter one).
bool ReadFileHead(const std::string& path, std::string& bytes, size_t count,
                  FinalLink link = FinalLink::Follow);
// As ReadFileBytes, for a file another program may cut or rewrite in place meanwhile: the bytes count
// only when the path still names the same file, of the same size and times, after the read; else it is
// read again, a few times, and then given up (false).
bool ReadSettledFile(const std::string& path, std::string& bytes, size_t limit, FinalLink link);
// Called by ReadSettledFile between reading the file and checking it again: a test changes the file
// there. Empty by default.
void SetSettledReadHook(std::function<void(const std::string& path)> hook);

// CR LF, LF or CR end a line; a final line break makes no empty last line.
std::vector<std::string> SplitTextLines(const std::string& bytes);
// The same lines as views into the text, for readers that need no copies.
std::vector<std::string_view> SplitLines(std::string_view text);

std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// Writes a temporary file beside path and renames it over path: a write that fails (disk full, no
// permission) leaves path as it was and gives false.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

bool FileExists(const std::string& path);

// The folder's names on the disk.
bool SyncFolder(const std::string& folder);
// The file's bytes on the disk (not a link's target).
bool SyncFile(const std::string& path);

// Whole-file writes go through a temporary beside the file: "." + name + ".qvtmp-" + six characters, a
// pattern for mkstemp. A killed run's temporaries are known by that name and removed at the next start.
std::string TemporaryPatternFor(const std::string& path);
void RemoveLeftoverTemporaries(const std::string& folder);

// Rename that never replaces an existing target; false when the target exists or the rename fails.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Copy that replaces the target only when asked; false on any failure. The target is either the old one
// or the whole copy, never part of it.
bool CopyWholeFile(const std::string& from, const std::string& to, bool replace);

}  // namespace qv
