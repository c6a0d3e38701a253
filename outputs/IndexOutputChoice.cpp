#include "outputs/IndexOutputChoice.h"

#include "catalogue/ProgramState.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace qv {

IndexOutputChoice IndexOutputChoiceOfMask(int mask) { return {(mask & 1) != 0, (mask & 2) != 0, mask >= 4}; }

int StoreIndexOutputChoice(const std::string& settingDir, const IndexOutputChoice& choice) {
    const int mask = (choice.zt ? 1 : 0) + (choice.vkm ? 2 : 0) + (choice.qvi05 ? 4 : 0);
    setup::IdxFileOutputFormat = mask;
    const SettingKey& key = setup::keys::IdxFileOutputFormat;
    IniFile(PathIn(settingDir, setup::SettingsFileName)).WriteInteger(key.section, key.name, mask);
    return mask;
}

}  // namespace qv
