#pragma once
// The mounted file systems of the process (/proc/self/mountinfo): which mount holds a path, and of what type.
#include <string>
#include <string_view>

namespace qv {

struct MountEntry {
    std::string mountPoint;  // unescaped ("\040" -> blank)
    std::string fileSystemType;
};

// The mount of the text (in mountinfo form) that holds the absolute path: the longest mount point that is
// the path or one of its parent folders; the last such line wins (a later mount hides an earlier one).
// Empty fields when none matches.
MountEntry MountHolding(std::string_view mountInfoText, const std::string& absolutePath);

// The mount that holds the path in this process; the path is made absolute and canonical first.
MountEntry MountOf(const std::string& path);

// The path lies on an optical disc (a mount of type iso9660 or udf).
bool IsOnCdRom(const std::string& path);

}  // namespace qv
