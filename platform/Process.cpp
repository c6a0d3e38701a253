#include "platform/Process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <thread>

extern char** environ;

namespace qv {

namespace {

// The descriptors of this process, from /proc/self/fd; with room for `room` of them at most. Uses
// system calls only, so that a forked child of a program with threads may call it.
int ListOpenDescriptors(int* found, int room) {
    const int dir = ::open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return -1;
    int count = 0;
    alignas(8) char buffer[4096];
    for (;;) {
        const long n = ::syscall(SYS_getdents64, dir, buffer, sizeof buffer);
        if (n <= 0) break;
        for (long at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            int fd = 0;
            bool number = entry->d_name[0] != '\0';
            for (const char* c = entry->d_name; *c && number; ++c) {
                number = *c >= '0' && *c <= '9';
                fd = fd * 10 + (*c - '0');
            }
            if (number && fd != dir && count < room) found[count++] = fd;
        }
    }
    ::close(dir);
    return count;
}

// Closes every descriptor from 3 up but those kept (at most four). Async-signal-safe.
void CloseAllFrom3But(const int* keep, int keepCount) {
    int kept[4];
    int n = 0;
    for (int i = 0; i < keepCount && n < 4; ++i)
        if (keep[i] >= 3) kept[n++] = keep[i];
    std::sort(kept, kept + n);
    unsigned first = 3;
    bool ranged = true;
    for (int i = 0; i <= n && ranged; ++i) {
        const unsigned last = i < n ? static_cast<unsigned>(kept[i]) - 1 : ~0U;
        if (first <= last) ranged = ::syscall(SYS_close_range, first, last, 0) == 0;
        if (i < n) first = static_cast<unsigned>(kept[i]) + 1;
    }
    if (ranged) return;
    // A kernel without close_range.
    int open[1024];
    for (int count; (count = ListOpenDescriptors(open, 1024)) > 0;) {
        int closed = 0;
        for (int i = 0; i < count; ++i)
            if (open[i] >= 3 && std::find(kept, kept + n, open[i]) == kept + n) closed += ::close(open[i]) == 0;
        if (closed == 0) break;
    }
}

// Kills every child of this (single-threaded) process: the program's descendants orphaned to us, also
// those that left its group. Their pids stay ours until reaped, so no stranger is hit.
void KillChildren() {
    const int fd = ::open("/proc/thread-self/children", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    char buffer[4096];
    pid_t pid = 0;
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] >= '0' && buffer[i] <= '9') {
                pid = pid * 10 + (buffer[i] - '0');
            } else {
                if (pid > 0) ::kill(pid, SIGKILL);
                pid = 0;
            }
        }
    }
    if (pid > 0) ::kill(pid, SIGKILL);
    ::close(fd);
}

void Pause(long nanoseconds) {
    timespec t{0, nanoseconds};
    ::nanosleep(&t, nullptr);
}

// What the watch tells about the program's end.
struct Report {
    int started;  // 0: the program could not be started, `value` is the errno
    int value;    // the wait status
};

struct Launch {
    const char* program;
    char* const* argv;
    int lifeline;  // read end
    int report;    // write end
    int null;
    int given;
};

volatile sig_atomic_t watchAsked = 0;
void OnWatchSignal(int) { watchAsked = 1; }

// The forked child's whole life: after fork in a program with threads only system calls are safe, so
// nothing here allocates, locks or throws.
[[noreturn]] void Watch(const Launch& run) {
    // Away from the terminal's signals: a Ctrl-C reaches us, and we end the program through the lifeline.
    ::setsid();
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    for (int s = 1; s < NSIG; ++s) ::sigaction(s, &plain, nullptr);
    // Asked to end (a logout ends every process of the session so): the program goes first.
    struct sigaction asked {};
    asked.sa_handler = OnWatchSignal;
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) ::sigaction(s, &asked, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Whatever the program's own children leave behind comes to us, to be killed and reaped.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const int keep[] = {run.lifeline, run.report, run.null, run.given};
    CloseAllFrom3But(keep, 4);
    // Nor does it hold our terminal or the pipe someone reads our output from.
    for (int fd : {0, 1, 2}) ::dup2(run.null, fd);

    int started[2];
    if (::pipe2(started, O_CLOEXEC) != 0) ::_exit(1);
    const pid_t watch = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        const Report failed{0, errno};
        [[maybe_unused]] auto n = ::write(run.report, &failed, sizeof failed);
        ::_exit(0);
    }
    if (child == 0) {
        ::setpgid(0, 0);
        // Were we killed on our own, the program goes too (what it started stays with the given lock).
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != watch) ::_exit(127);  // gone before the request counted
        if (run.given >= 0) ::fcntl(run.given, F_SETFD, 0);
        ::execve(run.program, run.argv, environ);
        const int error = errno;
        [[maybe_unused]] auto n = ::write(started[1], &error, sizeof error);
        ::_exit(127);
    }
    ::setpgid(child, child);
    ::close(started[1]);
    int error = 0;
    ssize_t got;
    while ((got = ::read(started[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(started[0]);

    int status = 0;
    if (got == sizeof error) {
        ::waitpid(child, &status, 0);
        const Report failed{0, error};
        [[maybe_unused]] auto n = ::write(run.report, &failed, sizeof failed);
        ::_exit(0);
    }
    // The program's end or the lifeline's, whichever comes first. Without pidfd the wait looks twenty
    // times a second.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    bool ended = false;
    for (;;) {
        pollfd watched[2] = {{run.lifeline, POLLIN, 0}, {pidfd, POLLIN, 0}};
        const int ready = ::poll(watched, pidfd >= 0 ? 2 : 1, pidfd >= 0 ? -1 : 50);
        if (watchAsked || (ready < 0 && errno != EINTR)) break;
        if (watched[0].revents) break;  // closed (or written to): end it
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == child) {
            ended = true;
            break;
        }
    }
    // The program's pid stays taken until it is reaped, so the group's number cannot be anyone else's yet.
    ::kill(-child, SIGKILL);
    if (!ended) ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    // Its descendants, orphaned to us, inside its group or not; a kernel that lists no children gives one
    // outside the group ten seconds.
    for (int tries = 0; tries < 2000; ++tries) {
        pid_t reaped;
        while ((reaped = ::waitpid(-1, nullptr, WNOHANG)) > 0) {
        }
        if (reaped < 0 && errno == ECHILD) break;
        ::kill(-child, SIGKILL);
        KillChildren();
        Pause(5'000'000);
    }
    const Report done{1, status};
    [[maybe_unused]] auto n = ::write(run.report, &done, sizeof done);
    ::_exit(0);
}

}  // namespace

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& workingFolder) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return false;
    // Reaped in the background: the program does not wait for it, and leaves no zombie behind.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

bool SupervisedRun::Start(const std::string& program, const std::vector<std::string>& arguments,
                          int givenFd) {
    Stop();
    end_ = End::Running;
    exitCode_ = 0;
    // Everything the watch needs is made before the fork: the forked child may not allocate.
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    int lifeline[2] = {-1, -1}, report[2] = {-1, -1};
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const bool made = null >= 0 && ::pipe2(lifeline, O_CLOEXEC) == 0 && ::pipe2(report, O_CLOEXEC) == 0;
    const pid_t watch = made ? ::fork() : -1;
    if (watch == 0) Watch({argv[0].c_str(), pointers.data(), lifeline[0], report[1], null, givenFd});
    for (int fd : {null, lifeline[0], report[1]})
        if (fd >= 0) ::close(fd);
    if (watch < 0) {
        for (int fd : {lifeline[1], report[0]})
            if (fd >= 0) ::close(fd);
        end_ = End::NotStarted;
        return false;
    }
    watch_ = watch;
    lifeline_ = lifeline[1];
    report_ = report[0];
    return true;
}

void SupervisedRun::Collect(int status) {
    Report report{};
    ssize_t got;
    while ((got = ::read(report_, &report, sizeof report)) < 0 && errno == EINTR) {
    }
    ::close(report_);
    if (lifeline_ >= 0) ::close(lifeline_);
    report_ = lifeline_ = -1;
    watch_ = -1;
    if (got != sizeof report) {
        // The watch itself was killed: nothing known of the program's end.
        end_ = End::Crashed;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    } else if (!report.started) {
        end_ = End::NotStarted;
        exitCode_ = report.value;
    } else if (WIFEXITED(report.value)) {
        end_ = End::Exited;
        exitCode_ = WEXITSTATUS(report.value);
    } else {
        end_ = End::Crashed;
        exitCode_ = 0;
    }
}

bool SupervisedRun::Finished(int waitMs) {
    if (watch_ < 0) return true;
    // The watch writes its account just before it ends, or is gone without one.
    pollfd account{report_, POLLIN, 0};
    if (::poll(&account, 1, waitMs) <= 0) return false;
    int status = 0;
    while (::waitpid(watch_, &status, 0) < 0 && errno == EINTR) {
    }
    Collect(status);
    return true;
}

void SupervisedRun::Stop() {
    if (watch_ < 0) return;
    ::close(lifeline_);
    lifeline_ = -1;
    int status = 0;
    while (::waitpid(watch_, &status, 0) < 0 && errno == EINTR) {
    }
    Collect(status);
}

}  // namespace qv
