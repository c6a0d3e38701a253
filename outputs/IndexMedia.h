#pragma once
// The media items of the song folders for an index run: each folder is read once, however often the run's
// order comes back to it (the singer order visits the folders at random). Paths are UTF-8.
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/SongFiles.h"

namespace qv {

// The media item of a song: file, or folder of a picture-folder song; the name as FindFileByPrefix gives it
// (empty when the song has none).
using MediaItem = SongItem;

class MediaItems {
public:
    // Valid while the object lives.
    const MediaItem& Of(const std::string& songNo);
    // The same without reading: nullptr when the song's folder was not read yet. Safe on several threads
    // while nothing reads.
    const MediaItem* Known(const std::string& songNo) const;
    // The folders of those songs (of five-digit numbers) read now, several at once.
    void ReadFoldersOf(const std::vector<std::string_view>& songNos);

private:
    using Folder = std::map<std::string, MediaItem>;  // by number prefix, as the folder's reading gives it
    int NumberedFolder(int number);                   // makes the tables by number at the first call
    void Number(int folder, const Folder& items);
    const Folder& Read(const std::string& songNo);
    std::unordered_map<std::string, Folder> folders_;
    // The items of five-digit numbers in their own folder ("001" for 00123), by number, once the folder
    // was read: the run asks for every song's, in an order that jumps between the folders.
    std::vector<const MediaItem*> byNumber_;
    std::vector<char> numberedRead_;
};

// The error box text of a song without media: "找不到" + song folder + "/" + number + "*.*". Big5.
std::string MissingMediaText(const std::string& songNo);

}  // namespace qv
