#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Process.h"
#include "support/Processes.h"
#include "support/TempFolder.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

TEST(ProcessTest, StartsTheProgramInItsFolderWithItsArgumentsOrSaysItCannot) {
    fs::path folder = fs::temp_directory_path() / ("qv_process_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::path program = folder / "tool";
    {
        std::ofstream out(program);
        out << "#!/bin/sh\necho \"$# $1 $2\" > started.tmp\npwd >> started.tmp\nmv started.tmp started.txt\n";
    }
    fs::permissions(program, fs::perms::owner_all);
    ASSERT_TRUE(StartProgram(program.string(), {"7.2", "two words"}, folder.string()));
    for (int i = 0; i < 2400 && !fs::exists(folder / "started.txt"); ++i)  // two minutes at most
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(folder / "started.txt");
    std::string arguments, where;
    std::getline(in, arguments);
    std::getline(in, where);
    EXPECT_EQ(arguments, "2 7.2 two words");
    EXPECT_EQ(fs::path(where), fs::canonical(folder));

    EXPECT_FALSE(StartProgram((folder / "absent").string(), {}, folder.string()));
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(StartProgram(program.string(), {}, folder.string()));
    fs::remove_all(folder);
}

// A script that notes its pid in "pid", then becomes `sleep` (the shell's own descriptors go with the exec).
std::string NotingScript(const test::TempFolder& folder, const std::string& before = "") {
    const std::string path = folder.File("tool");
    std::ofstream(path) << "#!/bin/sh\n" << before << "echo $$ > " << folder.File("pid.tmp") << "\nmv "
                        << folder.File("pid.tmp") << " " << folder.File("pid") << "\nexec sleep 600\n";
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

// Waits for the noted process to have become `sleep`.
pid_t SleepingPid(const test::TempFolder& folder) {
    const pid_t pid = test::PidWrittenTo(folder.File("pid"));
    if (pid > 0) test::Eventually([&] { return test::CommandLineOf(pid).starts_with("sleep"); });
    return pid;
}

TEST(ProcessTest, AStartedProgramGetsNoneOfOurDescriptors) {
    test::TempFolder folder;
    std::ofstream(folder.File("ours")) << "x";
    // Descriptors a careless open leaves inheritable, a file and a pipe.
    const int file = ::open(folder.File("ours").c_str(), O_RDONLY);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ASSERT_TRUE(StartProgram(NotingScript(folder), {}, folder.Path()));
    const pid_t pid = SleepingPid(folder);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(test::DescriptorsOf(pid), (std::vector<int>{0, 1, 2}));
    ::kill(pid, SIGKILL);
    for (int fd : {file, pipe[0], pipe[1]}) ::close(fd);
}

TEST(ProcessTest, AWatchedProgramGetsNullStandardFilesAndTheOneDescriptorGivenIt) {
    test::TempFolder folder;
    std::ofstream(folder.File("ours")) << "x";
    const int stray = ::open(folder.File("ours").c_str(), O_RDONLY);
    const int given = ::open(folder.File("lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(given, LOCK_EX), 0);
    SupervisedRun run;
    ASSERT_TRUE(run.Start(NotingScript(folder), {}, given));
    const pid_t pid = SleepingPid(folder);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(test::DescriptorsOf(pid), (std::vector<int>{0, 1, 2, given}));
    for (int fd : {0, 1, 2}) EXPECT_EQ(test::DescriptorTarget(pid, fd), "/dev/null") << fd;
    EXPECT_EQ(test::DescriptorTarget(pid, given), folder.File("lock"));
    EXPECT_FALSE(run.Finished());

    // Stopped: the program is gone and with it the last holder of the lock.
    run.Stop();
    EXPECT_EQ(run.Outcome(), SupervisedRun::End::Crashed);
    EXPECT_FALSE(test::Running(pid));
    ::close(given);
    const int again = ::open(folder.File("lock").c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_EQ(::flock(again, LOCK_EX | LOCK_NB), 0);
    ::close(again);
    ::close(stray);
}

TEST(ProcessTest, AWatchedRunTellsHowItsProgramEnded) {
    test::TempFolder folder;
    const std::string program = folder.File("tool");
    std::ofstream(program) << "#!/bin/sh\nexit $1\n";
    fs::permissions(program, fs::perms::owner_all);
    SupervisedRun run;
    ASSERT_TRUE(run.Start(program, {"7"}));
    EXPECT_TRUE(test::Eventually([&] { return run.Finished(); }));
    EXPECT_EQ(run.Outcome(), SupervisedRun::End::Exited);
    EXPECT_EQ(run.ExitCode(), 7);

    ASSERT_TRUE(run.Start(program, {"0"}));
    EXPECT_TRUE(run.Finished(-1));
    EXPECT_EQ(run.Outcome(), SupervisedRun::End::Exited);
    EXPECT_EQ(run.ExitCode(), 0);

    // Killed by a signal of its own.
    std::ofstream(program) << "#!/bin/sh\nkill -SEGV $$\n";
    ASSERT_TRUE(run.Start(program, {}));
    EXPECT_TRUE(run.Finished(-1));
    EXPECT_EQ(run.Outcome(), SupervisedRun::End::Crashed);

    ASSERT_TRUE(run.Start(folder.File("absent"), {}));
    EXPECT_TRUE(run.Finished(-1));
    EXPECT_EQ(run.Outcome(), SupervisedRun::End::NotStarted);
}

// The program leaves a child behind that outlives it; the watch's end takes both.
TEST(ProcessTest, WhatAWatchedProgramStartedEndsWithItOrWithUs) {
    test::TempFolder folder;
    const std::string program = folder.File("tool");
    std::ofstream(program) << "#!/bin/sh\n( while :; do sleep 1; done ) &\necho $! > " << folder.File("left")
                           << "\nexit 0\n";
    fs::permissions(program, fs::perms::owner_all);
    SupervisedRun run;
    ASSERT_TRUE(run.Start(program, {}));
    EXPECT_TRUE(run.Finished(-1));
    EXPECT_EQ(run.Outcome(), SupervisedRun::End::Exited);
    const pid_t left = test::PidWrittenTo(folder.File("left"));
    ASSERT_GT(left, 0);
    EXPECT_FALSE(test::Running(left));

    // The owner of the run killed outright: the watch ends the program, and then itself.
    const pid_t owner = ::fork();
    if (owner == 0) {
        SupervisedRun orphaned;
        if (!orphaned.Start(NotingScript(folder), {})) ::_exit(1);
        std::ofstream(folder.File("watch")) << orphaned.WatchPid();
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(owner, 0);
    const pid_t pid = SleepingPid(folder);
    const pid_t watch = test::PidWrittenTo(folder.File("watch"));
    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);
    ASSERT_GT(pid, 0);
    ASSERT_GT(watch, 0);
    EXPECT_TRUE(test::Eventually([&] { return !test::Running(pid) && !test::Running(watch); }));
    if (test::Running(pid)) ::kill(pid, SIGKILL);
}

// A descendant in a session of its own is out of the program's group; it still ends with the run, and the
// run is finished only once it is gone.
TEST(ProcessTest, ADescendantThatLeftTheProgramsGroupEndsWithTheRun) {
    test::TempFolder folder;
    const std::string program = folder.File("tool");
    const std::string left = folder.File("left");
    std::ofstream(program) << "#!/bin/sh\nsetsid sh -c 'echo $$ > " << left << ".tmp; mv " << left << ".tmp "
                           << left << "; exec sleep 600' &\nwhile [ ! -e " << left
                           << " ]; do sleep 0.05; done\nexit 3\n";
    fs::permissions(program, fs::perms::owner_all);
    SupervisedRun run;
    ASSERT_TRUE(run.Start(program, {}));
    EXPECT_TRUE(run.Finished(-1));
    EXPECT_EQ(run.Outcome(), SupervisedRun::End::Exited);
    EXPECT_EQ(run.ExitCode(), 3);
    const pid_t pid = test::PidWrittenTo(left);
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(test::Running(pid)) << test::CommandLineOf(pid);
    if (test::Running(pid)) ::kill(pid, SIGKILL);
}

}  // namespace
}  // namespace qv
