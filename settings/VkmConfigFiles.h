#pragma once
// The VKM jukebox's configuration files in the program folder's "system" folder: the general
// "setup.ini" and one screen-layout "setup.ini" per television resolution, and the eight settings of
// [Vkm Setting] that the settings dialog's VKM tab keeps.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"

namespace qv {

// The eight settings in the tab's order; each is the item index of its combo box.
inline constexpr int VkmSettingCount = 8;
const std::array<SettingKey, VkmSettingCount>& VkmSettingKeys();
inline constexpr std::array<int, VkmSettingCount> VkmSettingDefaults{1, 1, 1, 0, 0, 5, 0, 18};
// How many items each combo box offers.
inline constexpr std::array<int, VkmSettingCount> VkmSettingItemCounts{3, 6, 3, 51, 2, 61, 61, 61};

// Reads the eight keys in order into the setup values. A text that is not an integer stops the reading:
// all eight values take their defaults, and only the combo boxes before that key get a value.
struct VkmLoadResult {
    std::array<int, VkmSettingCount> comboIndex{};
    int comboCount = 0;  // combo boxes 0 .. comboCount-1 take comboIndex; the others keep their state
};
VkmLoadResult LoadVkmSettings(const std::string& appPath);

enum class VkmResolution { Av720x480, Vga1024x768, Hd1280x720 };
inline constexpr std::array<VkmResolution, 3> VkmResolutions{
    VkmResolution::Av720x480, VkmResolution::Vga1024x768, VkmResolution::Hd1280x720};
// "720X480" and so on: the layout file's folder under "system".
const char* VkmResolutionFolder(VkmResolution resolution);

// The 263 keys of a layout file, in file order.
const std::vector<std::string>& VkmLayoutKeys();

// A layout file as data: its lines in order (UTF-8), "[Key]?" for a value not known and
// "[SystemTxtMsgTop]{top}" for the line that takes the setting; the finished file's line count.
struct VkmLayoutTable {
    std::vector<std::string> lines;
    int expectedLines = 0;
};
VkmLayoutTable ParseVkmLayoutTable(std::string_view text);
// The table shipped with the program for the resolution.
const VkmLayoutTable& ShippedVkmLayoutTable(VkmResolution resolution);
// What keeps the table from making a file (UTF-8, for the user); empty when it is complete.
std::string VkmLayoutTableGap(const VkmLayoutTable& table);

// The files' bytes: Big5, CR LF. The layout text assumes a complete table.
std::string VkmSetupIniText();
std::string VkmLayoutText(const VkmLayoutTable& table, int messageTop);

// Writers of the four files from the current setup values; false when a folder or file cannot be written.
bool WriteVkmSetupIni(const std::string& appPath);
bool WriteVkmLayout(const std::string& appPath, VkmResolution resolution, const VkmLayoutTable& table);

// The tab's apply: the setup values start from their defaults; each selection (-1: none) becomes its value
// and is stored (a box without selection stores the default text); then the general file and each layout
// file whose table is complete. A layout whose table is not complete is not written (an existing file
// stays) and one warning names them all. False, after an error box, when a key or file could not be
// written: the dialog stays open then.
using VkmLayoutTables = std::array<const VkmLayoutTable*, 3>;
VkmLayoutTables ShippedVkmLayoutTables();
bool ApplyVkmSettings(const std::string& appPath, const std::array<int, VkmSettingCount>& selections,
                      const VkmLayoutTables& tables = ShippedVkmLayoutTables());

}  // namespace qv
