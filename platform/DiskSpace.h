#pragma once
// Free bytes of the file system that holds a path (statvfs), behind a seam so tests can fake a full disk.
#include <cstdint>
#include <functional>
#include <string>

namespace qv {

// Bytes free to an ordinary user on the drive of path (an existing file or folder); -1 when unknown.
std::int64_t FreeDiskBytes(const std::string& path);

// Replaces the statvfs query; an empty function restores it.
void SetFreeDiskBytesSource(std::function<std::int64_t(const std::string&)> source);

}  // namespace qv
