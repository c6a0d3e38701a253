#include "bench/BenchLibrary.h"

#include <stdlib.h>

#include <algorithm>
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

}  // namespace qv::bench
