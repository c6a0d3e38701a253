#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace qv {

FolderLock::~FolderLock() { Release(); }

FolderLock::Result FolderLock::Acquire(const std::string& folder) {
    Release();
    const std::string path = (folder.empty() ? std::string(".") : folder) + "/" + FileName;
    // Close-on-exec: the updater or a player started by the program must not keep the folder locked.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);  // a read-only folder with the file in it
    if (fd < 0) return Result::Unavailable;
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Result::Busy : Result::Unavailable;
    }
    fd_ = fd;
    folder_ = folder;
    return Result::Acquired;
}

void FolderLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
    folder_.clear();
}

}  // namespace qv
