#include "platform/LibreOffice.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "catalogue/Big5Codec.h"
#include "catalogue/UserInterface.h"
#include "support/Processes.h"
#include "support/TempFolder.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

// A stand-in converter program: a shell script given its body.
std::string FakeOffice(const test::TempFolder& folder, const std::string& body) {
    const std::string path = folder.File("soffice");
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

TEST(LibreOfficeTest, ASuccessIsAFileThereAndABookIsACompoundDocument) {
    test::TempFolder folder;
    ::setenv("QV_SOFFICE", folder.File("missing").c_str(), 1);
    EXPECT_EQ(LibreOfficeProgram(), "");
    ::setenv("QV_SOFFICE", FakeOffice(folder, "exit 0").c_str(), 1);
    EXPECT_EQ(LibreOfficeProgram(), folder.File("soffice"));
    ::unsetenv("QV_SOFFICE");

    std::ofstream(folder.File("book.fods")) << "x";
    // Exits 0 and writes nothing: a failure.
    LibreOfficeConverter silent(FakeOffice(folder, "exit 0"), folder.File("profile"));
    EXPECT_FALSE(silent.Convert(folder.File("book.fods"), folder.File("out.xls"), "xls", {}, 1));
    EXPECT_TRUE(fs::is_directory(folder.File("profile")));

    // Writes what the arguments ask for, under the source's name, renamed onto the target.
    const std::string writer = "for a; do d=$o; o=$a; done\nprintf 'not a workbook' > \"$d/book.xls\"";
    LibreOfficeConverter garbage(FakeOffice(folder, "o=; " + writer), folder.File("profile"));
    int lastProgress = -1;
    EXPECT_TRUE(garbage.Convert(
        folder.File("book.fods"), folder.File("out.xls"), "xls", [&](int p) { lastProgress = p; }, 1));
    EXPECT_EQ(lastProgress, 100);
    EXPECT_TRUE(fs::exists(folder.File("out.xls")));

    // The workbook checks the converter's output: not a compound document, not saved, nothing left behind.
    OdsWorkbook book(&garbage);
    ASSERT_TRUE(book.LoadFlatOds(
        R"(<office:document xmlns:office="o"><office:body><office:spreadsheet/></office:body></office:document>)"));
    EXPECT_FALSE(book.SaveAs(folder.File("total.xls"), {}));
    EXPECT_FALSE(fs::exists(folder.File("total.xls")));
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".qv-book")) << entry.path();
}

// Writes "<source's stem>.xls" into the output folder, as the converter names its output.
const char* const kWriteOutput =
    "o=; for a; do d=$o; o=$a; done; printf x > \"$d/$(basename \"$o\" .fods).xls\"";

using test::Eventually;
using test::Running;

TEST(LibreOfficeTest, ConversionsAtTheSameTimeTakeProfilesOfTheirOwnAndAFailureNamesTheConverter) {
    test::TempFolder folder;
    std::ofstream(folder.File("a.fods")) << "x";
    std::ofstream(folder.File("b.fods")) << "x";
    // Each run notes its profile, then waits until the other one has started too.
    const std::string meet = "echo \"${1#-env:UserInstallation=}\" >> " + folder.File("profiles") +
                             "\ni=0; while [ $(wc -l < " + folder.File("profiles") +
                             ") -lt 2 ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i+1)); done\n" + kWriteOutput;
    LibreOfficeConverter converter(FakeOffice(folder, meet), folder.File("cache"));
    LibreOfficeConverter other(folder.File("soffice"), folder.File("cache"));
    bool first = false, second = false;
    std::thread beside(
        [&] { second = other.Convert(folder.File("b.fods"), folder.File("b.xls"), "xls", {}, 1); });
    first = converter.Convert(folder.File("a.fods"), folder.File("a.xls"), "xls", {}, 1);
    beside.join();
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
    std::ifstream in(folder.File("profiles"));
    std::string one, two;
    std::getline(in, one);
    std::getline(in, two);
    EXPECT_NE(one, two);
    EXPECT_EQ(std::min(one, two), "file://" + folder.File("cache/office-profile"));
    EXPECT_EQ(std::max(one, two), "file://" + folder.File("cache/office-profile-2"));

    // Once they are done, the next conversion takes the first profile again.
    std::filesystem::remove(folder.File("profiles"));
    std::ofstream(folder.File("profiles")) << "one before\n";
    EXPECT_TRUE(converter.Convert(folder.File("a.fods"), folder.File("a.xls"), "xls", {}, 1));
    in = std::ifstream(folder.File("profiles"));
    std::getline(in, one);
    std::getline(in, one);
    EXPECT_EQ(one, "file://" + folder.File("cache/office-profile"));

    // A run that writes nothing fails with the converter's name and its exit code, at the workbook too.
    LibreOfficeConverter failing(FakeOffice(folder, "exit 3"), folder.File("cache"));
    EXPECT_FALSE(failing.Convert(folder.File("a.fods"), folder.File("a.xls"), "xls", {}, 1));
    const std::string failure = Big5ToUtf8(failing.Failure());
    EXPECT_NE(failure.find("LibreOffice Calc"), std::string::npos) << failure;
    EXPECT_NE(failure.find("soffice"), std::string::npos) << failure;
    EXPECT_NE(failure.find("結束碼 3"), std::string::npos) << failure;

    // A cache folder that cannot be made: the failure names it at once, no wait for a free profile.
    std::ofstream(folder.File("plain")) << "x";
    LibreOfficeConverter homeless(folder.File("soffice"), folder.File("plain/cache"));
    EXPECT_FALSE(homeless.Convert(folder.File("a.fods"), folder.File("a.xls"), "xls", {}, 1));
    const std::string noFolder = Big5ToUtf8(homeless.Failure());
    EXPECT_NE(noFolder.find(folder.File("plain/cache")), std::string::npos) << noFolder;
    EXPECT_EQ(noFolder.find("使用中"), std::string::npos) << noFolder;

    std::ofstream(folder.File("template.xls")) << "x";
    OdsWorkbook book(&failing);
    EXPECT_FALSE(book.Open(folder.File("template.xls")));
    EXPECT_EQ(book.LastFailure(), failing.Failure());
}

TEST(LibreOfficeTest, AnEndAskedForKillsTheConverterAndLeavesTheTargetAsItWas) {
    test::TempFolder folder;
    std::ofstream(folder.File("book.xls")) << "old";
    // The converter starts a child of its own, then the end is asked for as a signal would.
    const std::string body = "sleep 600 & echo $! > " + folder.File("pids") + "\necho $$ >> " +
                             folder.File("pids") + "\nkill -TERM $(cat " + folder.File("owner") + ")\nwait";
    const std::string program = FakeOffice(folder, body);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(
            SIGTERM, +[](int) { RequestEnd(); });
        std::ofstream(folder.File("owner")) << ::getpid();
        LibreOfficeConverter converter(program, folder.File("cache"));
        OdsWorkbook book(&converter);
        if (!book.LoadFlatOds(
                R"(<office:document xmlns:office="o"><office:body><office:spreadsheet/></office:body></office:document>)"))
            ::_exit(2);
        try {
            book.SaveAs(folder.File("book.xls"), {});
        } catch (const RunAbandoned&) {
            ::_exit(0);
        }
        ::_exit(1);
    }
    ASSERT_GT(child, 0);
    int status = -1;
    const bool ended = Eventually([&] { return ::waitpid(child, &status, WNOHANG) == child; });
    if (!ended) ::kill(child, SIGKILL), ::waitpid(child, &status, 0);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::ifstream pids(folder.File("pids"));
    for (pid_t pid; pids >> pid;) EXPECT_TRUE(Eventually([&] { return !Running(pid); })) << pid;
    std::ifstream in(folder.File("book.xls"));
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "old");
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".qv-book")) << entry.path();
}

// A converter that leaves a child of its own running (a shell loop that carries the converter's command
// line, profile and all), notes the pids, and then waits for ever.
std::string LingeringOffice(const test::TempFolder& folder) {
    return FakeOffice(folder, "( while :; do sleep 1; done ) &\necho $! > " + folder.File("left") + "\necho $PPID > " +
                                  folder.File("watch") + "\necho $$ > " + folder.File("office.tmp") + "\nmv " +
                                  folder.File("office.tmp") + " " + folder.File("office") + "\nwhile :; do sleep 1; done");
}

// A program that runs one conversion with the lingering converter and never returns from it by itself,
// and the pids the converter noted.
struct Lingering {
    pid_t program = 0, office = 0, left = 0, watch = 0;
    bool Started() const { return program > 0 && office > 0 && left > 0 && watch > 0; }
};
Lingering ConvertingProgram(const test::TempFolder& folder) {
    const std::string office = LingeringOffice(folder);
    std::ofstream(folder.File("book.fods")) << "x";
    Lingering run;
    run.program = ::fork();
    if (run.program == 0) {
        LibreOfficeConverter converter(office, folder.File("cache"));
        converter.Convert(folder.File("book.fods"), folder.File("book.xls"), "xls", {}, 1);
        ::_exit(0);
    }
    if (run.program < 0) return run;
    run.office = test::PidWrittenTo(folder.File("office"));
    run.left = test::PidWrittenTo(folder.File("left"));
    run.watch = test::PidWrittenTo(folder.File("watch"));
    return run;
}

bool SlotFree(const test::TempFolder& folder) {
    const int fd = ::open(folder.File("cache/office-profile.lock").c_str(), O_RDWR | O_CLOEXEC);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) ::close(fd);
    return free;
}

TEST(LibreOfficeTest, TheConverterDoesNotOutliveAProgramKilledOutright) {
    test::TempFolder folder;
    const Lingering run = ConvertingProgram(folder);
    ASSERT_TRUE(run.Started());
    const pid_t office = run.office;
    const std::string profile = folder.File("cache/office-profile");
    // The converter and its child name the profile (and, for a moment, each child they fork).
    const std::vector<pid_t> naming = test::ProcessesNaming(profile);
    for (pid_t pid : {office, run.left}) EXPECT_NE(std::find(naming.begin(), naming.end(), pid), naming.end()) << pid;
    // The converter has the standard files and the profile's lock, nothing else of ours (the shell that
    // runs the stand-in holds its script).
    int locks = 0;
    for (int fd : test::DescriptorsOf(office)) {
        const std::string target = test::DescriptorTarget(office, fd);
        if (fd <= 2)
            EXPECT_EQ(target, "/dev/null") << fd;
        else if (target == profile + ".lock")
            ++locks;
        else
            EXPECT_EQ(target, folder.File("soffice")) << fd;
    }
    EXPECT_EQ(locks, 1);
    // Nor does its watch hold anything of the program's but the two pipes to it (and a handle on the
    // converter of its own).
    int pipes = 0;
    for (int fd : test::DescriptorsOf(run.watch)) {
        const std::string target = test::DescriptorTarget(run.watch, fd);
        pipes += target.starts_with("pipe:");
        EXPECT_TRUE(target == "/dev/null" || target == profile + ".lock" || target.starts_with("pipe:") ||
                    target == "anon_inode:[pidfd]")
            << fd << " " << target;
    }
    EXPECT_EQ(pipes, 2);
    EXPECT_FALSE(SlotFree(folder));

    const auto killed = std::chrono::steady_clock::now();
    ::kill(run.program, SIGKILL);
    ::waitpid(run.program, nullptr, 0);
    const bool gone = Eventually([&] { return test::ProcessesNaming(profile).empty(); });
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - killed);
    EXPECT_TRUE(gone);
    EXPECT_TRUE(Eventually([&] { return SlotFree(folder); }));
    std::cout << "converter gone " << took.count() << " ms after the program was killed\n";
    for (pid_t pid : test::ProcessesNaming(profile)) ::kill(pid, SIGKILL);
}

TEST(LibreOfficeTest, TheProfileStaysTakenWhileAnythingTheConverterStartedRuns) {
    test::TempFolder folder;
    const Lingering run = ConvertingProgram(folder);
    ASSERT_TRUE(run.Started());
    // The worst case: the program and its watch both killed outright; the converter goes with its watch,
    // but what it started is left running, an orphan.
    ::kill(run.program, SIGKILL);
    ::kill(run.watch, SIGKILL);
    ::waitpid(run.program, nullptr, 0);
    EXPECT_TRUE(Running(run.left));
    EXPECT_FALSE(SlotFree(folder));
    // A conversion meanwhile takes the next profile, not the orphan's.
    std::ofstream(folder.File("next.fods")) << "x";
    const std::string noting = "echo \"${1#-env:UserInstallation=}\" > " + folder.File("profile") + "\n" + kWriteOutput;
    test::TempFolder other;
    LibreOfficeConverter next(FakeOffice(other, noting), folder.File("cache"));
    EXPECT_TRUE(next.Convert(folder.File("next.fods"), folder.File("next.xls"), "xls", {}, 1));
    std::ifstream in(folder.File("profile"));
    std::string used;
    std::getline(in, used);
    EXPECT_EQ(used, "file://" + folder.File("cache/office-profile-2"));

    ::kill(run.left, SIGKILL);
    EXPECT_TRUE(Eventually([&] { return SlotFree(folder); }));
}

TEST(LibreOfficeTest, TheRealConverterDoesNotOutliveAProgramKilledOutright) {
    const std::string office = LibreOfficeProgram();
    if (office.empty()) GTEST_SKIP() << "no converter installed";
    test::TempFolder folder;
    std::ofstream(folder.File("book.fods"))
        << R"(<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" office:version="1.2"><office:body><office:spreadsheet/></office:body></office:document>)";
    // Converts until killed, so that the kill comes during a conversion.
    const pid_t program = ::fork();
    if (program == 0) {
        LibreOfficeConverter converter(office, folder.File("cache"));
        for (;;) converter.Convert(folder.File("book.fods"), folder.File("book.xls"), "xls", {}, 1);
    }
    ASSERT_GT(program, 0);
    const std::string profile = folder.File("cache/office-profile");
    // The office's own process, which the starter program (when there is one) forks.
    const bool converting = Eventually([&] {
        for (pid_t pid : test::ProcessesNaming(profile))
            if (test::CommandLineOf(pid).find("soffice.bin") != std::string::npos) return true;
        return false;
    });
    const auto killed = std::chrono::steady_clock::now();
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    EXPECT_TRUE(converting);
    EXPECT_TRUE(Eventually([&] { return test::ProcessesNaming(profile).empty(); }));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - killed);
    std::cout << "the office gone " << took.count() << " ms after the program was killed\n";
    for (pid_t pid : test::ProcessesNaming(profile)) ::kill(pid, SIGKILL);
}

}  // namespace
}  // namespace qv
