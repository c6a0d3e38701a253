#include "outputs/IndexMedia.h"

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "library/SongFiles.h"

namespace qv {

MediaItem MediaItems::Of(const std::string& songNo) {
    if (songNo.size() < 5) return {};
    const Folder& items = Read(songNo);
    const auto found = items.find(songNo.substr(0, 5));
    return found == items.end() ? MediaItem{} : found->second;
}

const MediaItems::Folder& MediaItems::Read(const std::string& songNo) {
    auto [it, fresh] = folders_.try_emplace(songNo.substr(0, 3));
    if (fresh) it->second = SongItemKindsOfFolder(SongFolderOf(songNo));
    return it->second;
}

std::string MissingMediaText(const std::string& songNo) {
    return B5("找不到") + Utf8ToBig5(SongFolderOf(songNo)) + "/" + songNo + "*.*";
}

}  // namespace qv
