#include "outputs/IndexMedia.h"

#include <dirent.h>
#include <sys/stat.h>

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
    if (!fresh) return it->second;
    // The smallest name of each number prefix, as FindFileByPrefix takes it.
    const std::string folder = SongFolderOf(songNo);
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() < 5 || name == "." || name == "..") continue;
            auto [item, added] = it->second.try_emplace(name.substr(0, 5), MediaItem{name, false});
            if (!added && name < item->second.name) item->second.name = name;
        }
        ::closedir(dir);
    }
    for (auto& [prefix, item] : it->second) {
        struct stat st {};
        item.isFolder = ::stat(PathIn(folder, item.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return it->second;
}

std::string MissingMediaText(const std::string& songNo) {
    return B5("找不到") + Utf8ToBig5(SongFolderOf(songNo)) + "/" + songNo + "*.*";
}

}  // namespace qv
