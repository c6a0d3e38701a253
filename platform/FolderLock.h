#pragma once
// One running copy per program folder: an exclusive advisory lock (flock) on a file in the folder, held
// while the object lives. The system drops the lock when the process ends, however it ends, so a crashed
// copy never leaves the folder locked.
#include <string>

namespace qv {

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    enum class Result {
        Acquired,
        Busy,         // another holder has it
        Unavailable,  // the lock file cannot be opened (a read-only folder): nobody can write there either
    };
    // Takes the lock of the folder without waiting; an earlier one of this object is let go first.
    Result Acquire(const std::string& folder);
    void Release();

    bool Held() const { return fd_ >= 0; }
    // The folder whose lock is held; empty when none.
    const std::string& Folder() const { return folder_; }

    static constexpr const char* FileName = "qvsong.lock";

private:
    int fd_ = -1;
    std::string folder_;
};

}  // namespace qv
