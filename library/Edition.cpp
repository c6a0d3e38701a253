#include "library/Edition.h"

#include "catalogue/Big5Codec.h"

namespace qv {

bool ServerEdition = false;
bool AdvancedEdition = false;
bool ZtModelEnabled = true;

void SetEdition(Edition edition) {
    ServerEdition = edition == Edition::Server;
    AdvancedEdition = edition == Edition::Advanced;
}

Edition CurrentEdition() {
    if (ServerEdition) return Edition::Server;
    if (AdvancedEdition) return Edition::Advanced;
    return Edition::Standalone;
}

std::vector<std::string> RemovedMenuItems(Edition edition, bool ztModelEnabled) {
    // Disk reorganisation, library-disk choice, the 500 folders, the pinyin chart and the updater: no
    // edition.
    std::vector<std::string> removed{"N24", "N23", "N5001", "QV1", "N14"};
    auto add = [&](std::initializer_list<const char*> names) {
        for (const char* name : names) removed.emplace_back(name);
    };
    switch (edition) {
        case Edition::Standalone:
            add({"N2", "N3", "OK1", "N900GX1", "QV21", "QV22", "N31", "N27", "N13", "songlisttxtsong1txt1"});
            if (!ztModelEnabled) add({"ZT1", "ZT2"});
            break;
        case Edition::Advanced:
            add({"N900GX1", "QV21", "N31", "songlisttxtsong1txt1"});
            break;
        case Edition::Server:
            break;
    }
    return removed;
}

std::string MainWindowTitle(Edition edition) {
    const char* kind = edition == Edition::Server     ? "(Server版)"
                       : edition == Edition::Advanced ? "(單機進階版)"
                                                      : "(單機版)";
    return B5("歌曲管理程式") + "7.2" + B5(kind);
}

}  // namespace qv
