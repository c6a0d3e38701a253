#pragma once
// Whole-file reading and writing for the catalogue's text files (Big5 bytes, lines ended by CR LF).
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// False when the file cannot be opened or read (a folder, a missing file). At most `most` bytes from its
// start when given.
bool ReadFileBytes(const std::string& path, std::string& bytes, size_t most = std::string::npos);

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
