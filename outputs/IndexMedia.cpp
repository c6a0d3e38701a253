#include "outputs/IndexMedia.h"

#include <string_view>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "library/SongFiles.h"

namespace qv {

namespace {

constexpr int Numbers = 100000, NumbersPerFolder = 100;

// The number of a prefix of five digits; -1 for any other.
int FiveDigitNumber(std::string_view text) {
    if (text.size() < 5) return -1;
    int number = 0;
    for (const char c : text.substr(0, 5)) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace

const MediaItem& MediaItems::Of(const std::string& songNo) {
    static const MediaItem none;
    if (songNo.size() < 5) return none;
    const int number = FiveDigitNumber(songNo);
    if (number >= 0) {
        if (byNumber_.empty()) {
            byNumber_.assign(Numbers, nullptr);
            numberedRead_.assign(Numbers / NumbersPerFolder, false);
        }
        const int folder = number / NumbersPerFolder;
        if (!numberedRead_[folder]) {
            numberedRead_[folder] = true;
            for (const auto& [prefix, item] : Read(songNo))
                if (const int n = FiveDigitNumber(prefix); n >= 0 && n / NumbersPerFolder == folder)
                    byNumber_[n] = &item;
        }
        return byNumber_[number] ? *byNumber_[number] : none;
    }
    const Folder& items = Read(songNo);
    const auto found = items.find(songNo.substr(0, 5));
    return found == items.end() ? none : found->second;
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
