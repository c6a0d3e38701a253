#pragma once
// Everything below a folder, links included as links (never followed): to show that a run left a folder
// outside the disk byte for byte as it was.
#include <filesystem>
#include <map>
#include <string>

#include "support/TempFolder.h"

namespace qv::test {

// Relative path -> bytes for a file, "/" ending the name of a folder, "-> target" for a link.
using FolderSnapshot = std::map<std::string, std::string>;

inline FolderSnapshot SnapshotOf(const std::string& folder) {
    namespace fs = std::filesystem;
    FolderSnapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name =
            entry.path().lexically_relative(folder).generic_string();  // links unresolved
        const fs::file_status status = entry.symlink_status();
        if (fs::is_symlink(status))
            snapshot[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (fs::is_directory(status))
            snapshot[name + "/"] = "";
        else
            snapshot[name] = ReadBytes(entry.path());
    }
    return snapshot;
}

}  // namespace qv::test
