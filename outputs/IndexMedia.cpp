#include "outputs/IndexMedia.h"

#include <string_view>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "library/SongFiles.h"
#include "outputs/IndexCommon.h"

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

void MediaItems::ReadFoldersOf(const std::vector<std::string_view>& songNos) {
    // The folders' places are made first: the threads only fill them, each its own.
    std::vector<std::pair<int, Folder*>> toRead;
    for (const std::string_view songNo : songNos) {
        const int number = FiveDigitNumber(songNo);
        if (number < 0) continue;
        const int folder = NumberedFolder(number);
        if (numberedRead_[folder]) continue;
        numberedRead_[folder] = 1;
        toRead.emplace_back(folder, &folders_[std::string(songNo.substr(0, 3))]);
    }
    AllAtOnce(toRead.size(), [&](size_t i) {
        const auto [folder, items] = toRead[i];
        *items = SongItemKindsOfFolder(SongFolderOf(std::to_string(folder + 1000).substr(1)));
        Number(folder, *items);
        return true;
    });
}

int MediaItems::NumberedFolder(int number) {
    if (byNumber_.empty()) {
        byNumber_.assign(Numbers, nullptr);
        numberedRead_.assign(Numbers / NumbersPerFolder, 0);
    }
    return number / NumbersPerFolder;
}

void MediaItems::Number(int folder, const Folder& items) {
    for (const auto& [prefix, item] : items)
        if (const int n = FiveDigitNumber(prefix); n >= 0 && n / NumbersPerFolder == folder)
            byNumber_[n] = &item;
}

const MediaItem* MediaItems::Known(const std::string& songNo) const {
    static const MediaItem none;
    if (songNo.size() < 5) return &none;
    if (const int number = FiveDigitNumber(songNo); number >= 0) {
        if (byNumber_.empty() || !numberedRead_[number / NumbersPerFolder]) return nullptr;
        return byNumber_[number] ? byNumber_[number] : &none;
    }
    const auto folder = folders_.find(songNo.substr(0, 3));
    if (folder == folders_.end()) return nullptr;
    const auto found = folder->second.find(songNo.substr(0, 5));
    return found == folder->second.end() ? &none : &found->second;
}

const MediaItem& MediaItems::Of(const std::string& songNo) {
    if (const MediaItem* known = Known(songNo)) return *known;
    const int number = FiveDigitNumber(songNo);
    if (number < 0) {
        Read(songNo);
    } else {
        const int folder = NumberedFolder(number);
        numberedRead_[folder] = 1;
        Number(folder, Read(songNo));
    }
    return *Known(songNo);
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
