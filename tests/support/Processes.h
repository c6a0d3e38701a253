#pragma once
// Looking at other processes from a test: whether they run, what they hold, waiting for them.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/TextFile.h"

namespace qv::test {

// Waits for something outside the test to happen, up to a deadline no loaded machine reaches.
inline bool Eventually(const std::function<bool()>& happened) {
    for (int i = 0; i < 2400; ++i) {
        if (happened()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return happened();
}

// A file of /proc read whole; empty when the process has gone (a stream would throw for the error).
inline std::string ProcFile(const std::string& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

// Alive and not a zombie.
inline bool Running(pid_t pid) {
    const std::string line = ProcFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t state = line.rfind(')');
    return state != std::string::npos && state + 2 < line.size() && line[state + 2] != 'Z';
}

inline std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

// The descriptors the process holds, in order.
inline std::vector<int> DescriptorsOf(pid_t pid) {
    std::vector<int> fds;
    for (const std::string& name : Entries("/proc/" + std::to_string(pid) + "/fd")) fds.push_back(std::stoi(name));
    std::sort(fds.begin(), fds.end());
    return fds;
}

// Where the process's descriptor points ("/dev/null", a file's path, "pipe:[..]").
inline std::string DescriptorTarget(pid_t pid, int fd) {
    char target[4096];
    const ssize_t n =
        ::readlink(("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

inline std::string CommandLineOf(pid_t pid) {
    std::string line = ProcFile("/proc/" + std::to_string(pid) + "/cmdline");
    std::replace(line.begin(), line.end(), '\0', ' ');
    return line;
}

// Live processes whose command line holds the text.
inline std::vector<pid_t> ProcessesNaming(const std::string& text) {
    std::vector<pid_t> found;
    for (const std::string& name : Entries("/proc")) {
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = std::stoi(name);
        if (pid != ::getpid() && Running(pid) && CommandLineOf(pid).find(text) != std::string::npos)
            found.push_back(pid);
    }
    return found;
}

// The first number in the file, once something has written it; 0 when nothing does.
inline pid_t PidWrittenTo(const std::string& path) {
    pid_t pid = 0;
    Eventually([&] {
        std::ifstream in(path);
        return static_cast<bool>(in >> pid) && pid > 0;
    });
    return pid;
}

}  // namespace qv::test
