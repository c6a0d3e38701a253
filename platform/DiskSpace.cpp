#include "platform/DiskSpace.h"

#include <sys/statvfs.h>

namespace qv {
namespace {
std::function<std::int64_t(const std::string&)> g_source;
}

std::int64_t FreeDiskBytes(const std::string& path) {
    if (g_source) return g_source(path);
    struct statvfs fs {};
    if (::statvfs(path.c_str(), &fs) != 0) return -1;
    return static_cast<std::int64_t>(fs.f_bavail) * static_cast<std::int64_t>(fs.f_frsize);
}

void SetFreeDiskBytesSource(std::function<std::int64_t(const std::string&)> source) {
    g_source = std::move(source);
}

}  // namespace qv
