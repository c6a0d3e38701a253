#pragma once
// Whole-file reading and writing of the catalogue's text files, and their line splitting.
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The whole file in one read; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Lines of a text: CR LF, LF or CR end a line; a final line break makes no empty last line.
// The views point into the text.
std::vector<std::string_view> SplitLines(std::string_view text);

// Replaces (or creates) the file with the bytes through a temporary file in the same folder, so
// that a failure (disk full) leaves the old file whole. False on any failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

bool FileExists(const std::string& path);

// Rename that never replaces an existing target; false when the target exists or the rename fails.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Copy that replaces the target when asked; false on any failure.
bool CopyWholeFile(const std::string& from, const std::string& to, bool replace);

}  // namespace qv
