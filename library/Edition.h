#pragma once
// The edition of the program (a build setting) and what it changes at start: the menu commands it keeps
// and the window title.
#include <string>
#include <vector>

namespace qv {

enum class Edition { Standalone, Advanced, Server };

// Set together by SetEdition; both false in the standalone edition.
extern bool ServerEdition;
extern bool AdvancedEdition;
extern bool ZtModelEnabled;  // the ZT and VKM index commands stay in the standalone edition's menu

void SetEdition(Edition edition);
Edition CurrentEdition();

// Object names of the main menu items that start-up removes in the edition.
std::vector<std::string> RemovedMenuItems(Edition edition, bool ztModelEnabled);

// "歌曲管理程式7.2(單機版)" and its siblings; Big5.
std::string MainWindowTitle(Edition edition);

}  // namespace qv
