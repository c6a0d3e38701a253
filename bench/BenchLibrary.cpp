#include "bench/BenchLibrary.h"

#include <stdlib.h>

#include <filesystem>

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

}  // namespace qv::bench
