#include "bench/BenchLibrary.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/TextFile.h"
#include "library/SongFiles.h"
#include "library/Startup.h"
#include "outputs/OutputSteps.h"
#include "platform/ServerHosts.h"
#include "tools/SampleLibrary.h"

namespace qv::bench {

std::vector<FieldList> FullLibrarySongs() { return sample::SampleSongs(kFullDiskSongs); }

std::string WriteFullLibrary(const std::string& folder) {
    return sample::WriteSongList(folder, kFullDiskSongs);
}

bool StartProgramIn(const std::string& folder) {
    std::filesystem::current_path(folder);
    SetMakerServers({"127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1"});  // refused at once: no wait
    InstallOutputSteps();
    NoStartupWindow window;
    return RunStartup(window);
}

void PrepareFullDiskWithMedia(const std::string& folder) {
    if (!sample::WriteSampleLibrary(folder, kFullDiskSongs, sample::SampleMedia::Empty) ||
        !StartProgramIn(folder))
        std::abort();
}

void CopyTree(const std::string& from, const std::string& to) {
    namespace fs = std::filesystem;
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

double CopyTreeMillis(const std::string& from, const std::string& to, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        CopyTree(from, to);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::filesystem::remove_all(to);
    return times[times.size() / 2];
}

TempFolder::TempFolder() {
    char pattern[] = "/tmp/qv-bench-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

void LoadSongTable(const std::vector<FieldList>& songs, size_t count) {
    LoadingSongs = true;
    AllSong.clear();
    AllSongCount = 0;
    ShownRows.clear();
    SingerDisplayList.clear();
    SingerDisplayLanguages.clear();
    SingerDisplayBatch batch;  // as the song list loader does
    for (size_t i = 0; i < count && i < songs.size(); ++i) AddSongRow(songs[i]);
    LoadingSongs = false;
}

std::string RunSelfAgain(const std::vector<std::string>& args, int& status) {
    status = -1;
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    int pipeFds[2];
    if (self.empty() || ::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> argv{const_cast<char*>(self.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const bool spawned = ::posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; spawned && (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    if (spawned)
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    return out;
}

bool ExitedCleanly(int status) { return status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0; }

double CommandMillis(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double LoadAverage() {
    double load[1] = {0};
    return ::getloadavg(load, 1) == 1 ? load[0] : -1;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace qv::bench
