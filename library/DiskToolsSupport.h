#pragma once
// Small file-system and message helpers shared by the disk tools' sources (not for other callers).
#include <string>
#include <vector>

namespace qv::disktools {

// A path as it appears in a Big5 message.
std::string Shown(const std::string& path);

bool IsDir(const std::string& path);
// True for anything at path, a dangling symbolic link included.
bool Exists(const std::string& path);
// Creates the folder unless a folder is already there.
bool MakeDir(const std::string& path);

// Names of the entries of a folder in name order, "." and ".." left out; empty when it cannot be read.
std::vector<std::string> EntryNames(const std::string& folder);

// LibraryRoot + "/" + the first three characters of the song number.
std::string SongFolderOf(const std::string& songNo);

// A chosen folder without its trailing "/" (the root "/" stays).
std::string WithoutTrailingSlash(std::string path);
// True when both name the same existing folder, or the same text when either is missing.
bool SameFolder(const std::string& a, const std::string& b);

// Copies a file or a whole folder to target, replacing what is there; a failed copy leaves no partial
// target behind.
bool CopyItemReplacing(const std::string& source, const std::string& target);

}  // namespace qv::disktools
