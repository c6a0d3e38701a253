#include "bench/BenchLibrary.h"

#include <stdlib.h>

#include <filesystem>

#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "tools/SampleLibrary.h"
#include <fstream>

#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "library/SongFiles.h"
#include "resources/ShippedData.h"

namespace qv::bench {

std::vector<FieldList> FullLibrarySongs() { return sample::SampleSongs(kFullDiskSongs); }

std::string WriteFullLibrary(const std::string& folder) {
    return sample::WriteSongList(folder, kFullDiskSongs);
}

void PrepareFullDiskWithMedia(const std::string& folder) {
    AppDir = LibraryRoot = folder;
    LibraryDataDirOk = true;
    std::filesystem::create_directory(PathIn(LibraryRoot, "000"));
    ReplaceFileContents(PathIn(AppDir, "singer.bin"), ShippedSingerBin());
    LoadSingerBin();
    WriteFullLibrary(folder);
    LoadAllSong(SongListPath());
    for (int r = 0; r < AllSongCount; ++r) {
        const SongRow& row = AllSong[r];
        const std::string songFolder = SongFolderOf(row[colSongNo]);
        std::filesystem::create_directories(songFolder);
        std::ofstream(
            PathIn(songFolder, MediaItemName(row[colSongNo], row[colVolume], row[colChannel], ".mpg")));
    }
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
