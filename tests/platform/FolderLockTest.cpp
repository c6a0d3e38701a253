#include "platform/FolderLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "support/TempFolder.h"

namespace qv {
namespace {

using Result = FolderLock::Result;

// Runs body in a child process and returns once it has got as far as signalling (or has ended).
pid_t InChild(const std::function<void(int signalFd)>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        body(pipeFds[1]);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    char c;
    [[maybe_unused]] auto n = ::read(pipeFds[0], &c, 1);  // the child's signal, or its end
    ::close(pipeFds[0]);
    return pid;
}

TEST(FolderLockTest, OneHolderPerFolderAndTheLockGoesWithItsHolder) {
    test::TempFolder folder, other;
    FolderLock first, second;
    ASSERT_EQ(first.Acquire(folder.Path()), Result::Acquired);
    EXPECT_TRUE(first.Held());
    EXPECT_EQ(first.Folder(), folder.Path());
    EXPECT_TRUE(std::filesystem::exists(folder.File(FolderLock::FileName)));
    EXPECT_EQ(second.Acquire(folder.Path()), Result::Busy);
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(second.Acquire(other.Path()), Result::Acquired);  // another folder is another lock

    first.Release();
    EXPECT_EQ(second.Acquire(folder.Path()), Result::Acquired);  // the old folder is let go first
    EXPECT_EQ(first.Acquire(other.Path()), Result::Acquired);
}

TEST(FolderLockTest, AnotherProcessHoldingTheFolderRefusesItAndAnEndedOneLeavesItFree) {
    test::TempFolder folder;
    // A running copy: it holds the lock until it is killed.
    const pid_t running = InChild([&](int signalFd) {
        FolderLock lock;
        if (lock.Acquire(folder.Path()) != Result::Acquired) ::_exit(1);
        [[maybe_unused]] auto n = ::write(signalFd, "x", 1);
        ::pause();
    });
    ASSERT_GT(running, 0);
    FolderLock mine;
    EXPECT_EQ(mine.Acquire(folder.Path()), Result::Busy);
    ::kill(running, SIGKILL);  // crashes without letting go
    int status = 0;
    ::waitpid(running, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(mine.Acquire(folder.Path()), Result::Acquired);

    // A child that finds the folder taken says so in its exit code.
    const pid_t refused = InChild([&](int) {
        FolderLock lock;
        ::_exit(lock.Acquire(folder.Path()) == Result::Busy ? 3 : 4);
    });
    ::waitpid(refused, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 3);
}

TEST(FolderLockTest, AFolderWithoutRoomForTheLockFileIsNotRefused) {
    FolderLock lock;
    EXPECT_EQ(lock.Acquire("/nonexistent-folder-of-no-one"), Result::Unavailable);
    EXPECT_FALSE(lock.Held());
}

}  // namespace
}  // namespace qv
