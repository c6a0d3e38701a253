#pragma once
// Starting separate programs.
#include <sys/types.h>

#include <string>
#include <vector>

namespace qv {

// Starts the program with the arguments in the working folder and does not wait for it. False when it
// could not be started (missing, not executable, ...). It gets none of our descriptors but 0, 1 and 2.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& workingFolder);

// A program run under a watch of its own, a small process between us and the program: the program and
// everything it starts end as soon as this process is gone, however it ends (killed, its display gone),
// or when Stop() is called. The program gets /dev/null as 0, 1 and 2, the one descriptor it is given,
// and nothing else of ours. The watch ends once every process the program started is gone, so the given
// descriptor (a lock, say) stays open exactly as long as any of them runs.
class SupervisedRun {
public:
    SupervisedRun() = default;
    SupervisedRun(const SupervisedRun&) = delete;
    SupervisedRun& operator=(const SupervisedRun&) = delete;
    ~SupervisedRun() { Stop(); }

    // False when not even the watch could be made; a program that cannot be started is told by Outcome().
    bool Start(const std::string& program, const std::vector<std::string>& arguments, int givenFd = -1);
    // True once the program and all it started are gone; waits for that up to waitMs.
    bool Finished(int waitMs = 0);
    // Kills the program with everything it started and waits until they are gone.
    void Stop();

    enum class End { Running, NotStarted, Exited, Crashed };
    End Outcome() const { return end_; }
    int ExitCode() const { return exitCode_; }
    // The watch's process id (the program is its child).
    pid_t WatchPid() const { return watch_; }

private:
    void Collect(int status);

    pid_t watch_ = -1;
    int lifeline_ = -1;  // write end; the watch ends the program when it closes
    int report_ = -1;    // read end of the watch's account of the program's end
    End end_ = End::Running;
    int exitCode_ = 0;
};

}  // namespace qv
