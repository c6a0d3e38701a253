#pragma once
// The main menu: 檔案, 歌簿, 工具 and 說明 with every command of the program, named as the handlers know
// them (N4, QV21, ...).
#include <functional>
#include <map>
#include <string>
#include <vector>

class QMenuBar;

namespace qv {

struct MenuItemSpec {
    const char* name;
    const char* caption;
};

struct MenuSpec {
    const char* name;
    const char* caption;
    std::vector<MenuItemSpec> items;
};

const std::vector<MenuSpec>& MainMenuLayout();

// Fills the bar; an item without a handler is greyed (its command is not part of this build yet).
void BuildMainMenu(QMenuBar* bar, const std::map<std::string, std::function<void()>>& handlers);

// Takes the named items out of the bar's menus.
void RemoveMenuItems(QMenuBar* bar, const std::vector<std::string>& names);

}  // namespace qv
