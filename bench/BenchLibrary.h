#pragma once
// The synthetic full song disk shared by the benchmarks (made by tools/SampleLibrary): 79,920 songs.
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/SongTable.h"
#include "tools/SampleLibrary.h"

namespace qv::bench {

constexpr int kFullDiskSongs = sample::FullDiskSongs;

// The record fields (song-table column order, 21 fields) of every song of the full disk.
std::vector<FieldList> FullLibrarySongs();

// Writes the full disk's "song.qv2" into the folder; returns its path.
std::string WriteFullLibrary(const std::string& folder);

// The song table of the first `count` songs, loaded as the song list loader loads it (nothing written).
void LoadSongTable(const std::vector<FieldList>& songs, size_t count = SIZE_MAX);

// The full disk as a program folder that is also the library root, with an empty media file in place for
// every song, opened by the program's own start-up (settings, reading tables, singer table, song list and
// the output steps the program installs): the tables the outputs read are the ones a user's run reads.
void PrepareFullDiskWithMedia(const std::string& folder);

// Runs the program's start-up in the folder, which becomes the current directory; false when it refused.
bool StartProgramIn(const std::string& folder);

// Copies every file under `from` to the same place under `to` (made fresh): the floor of writing those
// bytes as files.
void CopyTree(const std::string& from, const std::string& to);
// The median over `runs` copies of CopyTree, in milliseconds.
double CopyTreeMillis(const std::string& from, const std::string& to, int runs = 5);

// This benchmark program started again with the arguments (after the program's own path); its standard
// output. status is waitpid's status, -1 when it could not start.
std::string RunSelfAgain(const std::vector<std::string>& args, int& status);
// True when the status is a normal end with exit status 0.
bool ExitedCleanly(int status);

// The shell command's wall time in milliseconds; -1 when it failed.
double CommandMillis(const std::string& command);

// One-minute load average; -1 when unknown.
double LoadAverage();

// Median of the values (the upper one of an even count); 0 when there are none.
double Median(std::vector<double> values);

// A fresh folder under /tmp, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace qv::bench
