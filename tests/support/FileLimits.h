#pragma once
// Ways to make writes fail while the test runs as root: a file-size limit that cuts writes short (as a
// full disk does) and the immutable flag (as a read-only folder or a file held by another program does).
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <string>

namespace qv::test {

// While it lives, no file of this process grows beyond bytes; the write that crosses the limit is cut
// there and the next one fails (EFBIG) instead of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

// Sets the immutable flag on a file or folder while it lives. ok() is false where the file system or
// the user cannot set it (the test then skips).
class Immutable {
public:
    explicit Immutable(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        int flags = 0;
        ok_ = fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0;
        flags |= FS_IMMUTABLE_FL;
        ok_ = ok_ && ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ~Immutable() {
        if (fd_ < 0) return;
        int flags = 0;
        if (::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd_, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd_);
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool ok() const { return ok_; }

private:
    int fd_;
    bool ok_ = false;
};

}  // namespace qv::test
