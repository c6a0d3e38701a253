#pragma once
// Small file-system and message helpers shared by the disk tools' sources (not for other callers).
#include <string>
#include <vector>

namespace qv::disktools {

// A path as it appears in a Big5 message.
std::string Shown(const std::string& path);

// Creates the folder unless a folder is already there.
bool MakeDir(const std::string& path);

// Names of the entries of a folder in name order, "." and ".." left out; empty when it cannot be read.
std::vector<std::string> EntryNames(const std::string& folder);

// A chosen folder without its trailing "/" (the root "/" stays).
std::string WithoutTrailingSlash(std::string path);
// True when both name the same existing folder, or the same text when either is missing.
bool SameFolder(const std::string& a, const std::string& b);
// The folder itself when it exists, else its nearest existing parent ("." for a relative path).
std::string NearestExistingFolder(const std::string& folder);

// Moves a file or folder into targetFolder as target, never replacing anything: within one file system
// with the retried move, across file systems as a copy followed by the removal of the source.
bool MoveItem(const std::string& source, const std::string& targetFolder, const std::string& target);

}  // namespace qv::disktools
