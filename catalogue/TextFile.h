#pragma once
// Whole-file reading and writing for the catalogue's text files (Big5 bytes, lines ended by CR LF).
#include <string>
#include <vector>

namespace qv {

// False when the file cannot be opened or read (a folder, a missing file).
bool ReadFileBytes(const std::string& path, std::string& bytes);

// CR LF, LF or CR end a line; a final line break makes no empty last line.
std::vector<std::string> SplitTextLines(const std::string& bytes);

std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// Writes a temporary file beside path and renames it over path: a write that fails (disk full, no
// permission) leaves path as it was and gives false.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

}  // namespace qv
