#pragma once
// The cloud song book: the catalogue uploaded by FTP to the song-book service under the installation's
// account, and the favourite marks set there brought back into the catalogue.
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// The installation's account id (line 3 of "boot.bin", descrambled); empty when there is none or it
// could name another file (line breaks, "/" or "\").
std::string CloudAccountId();

// The cloud list: one line per song that is not special-deleted, in song-book order (Big5, no line ends).
std::vector<std::string> CloudListLines();

// Writes "obrel.txt", uploads it as the account id + ".txt" and deletes it; true when the transfer
// succeeded (the permission command after it is not checked).
bool UploadObrelBook();
// Downloads the account's list and merges its favourite marks into the catalogue, "song.qv2" and the view.
// False when nothing was merged; a favourite column that cannot be written is reported and undone.
bool SyncObrelFavourites();

// The menu commands 上傳雲端歌簿 and 從雲端歌簿同步最愛歌曲.
void N34Click();
void N36Click();

// The close-time offer: when the cloud song book is on and the song list is newer than the last upload.
void OfferCloudUploadOnClose(int64_t songListAge);

}  // namespace qv
