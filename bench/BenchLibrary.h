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

// The full disk as a program folder that is also the library root: "song.qv2" loaded into the song table,
// the shipped singer table loaded, folder 000 made and an empty media file in place for every song.
void PrepareFullDiskWithMedia(const std::string& folder);

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
