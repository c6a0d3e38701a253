#include "bench/BenchLibrary.h"

#include <stdlib.h>

#include <filesystem>

#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "tools/SampleLibrary.h"

namespace qv::bench {

std::vector<FieldList> FullLibrarySongs() { return sample::SampleSongs(kFullDiskSongs); }

std::string WriteFullLibrary(const std::string& folder) {
    return sample::WriteSongList(folder, kFullDiskSongs);
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
