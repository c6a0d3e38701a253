#pragma once
// The choice of the index outputs written on close, kept as the mask IdxFileOutputFormat of
// "setting.ini": 1 ZT index files, 2 VKM index files, 4 and above the QVi05 database.
#include <string>

namespace qv {

struct IndexOutputChoice {
    bool zt = false;
    bool vkm = false;
    bool qvi05 = false;
};

IndexOutputChoice IndexOutputChoiceOfMask(int mask);

// Makes the choice the program's mask and writes it to settingDir's "setting.ini" (that key only);
// the mask, whether or not the file could be written.
int StoreIndexOutputChoice(const std::string& settingDir, const IndexOutputChoice& choice);

}  // namespace qv
