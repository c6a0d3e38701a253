#include "settings/PcJukeboxConfig.h"

#include <filesystem>
#include <system_error>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#ifndef QV_PC_JUKEBOX_DIR
#define QV_PC_JUKEBOX_DIR ""
#endif

namespace qv {
namespace {

// UTF-8 to UTF-16LE. The texts are plain Chinese and ASCII, written from Unicode directly.
std::string Utf16Le(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) cp = c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += 1 + extra;
        const auto unit = [&out](char32_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>((u >> 8) & 0xFF);
        };
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

}  // namespace

const std::vector<std::string>& PcJukeboxFontSizes() {
    static const std::vector<std::string> sizes{"8",  "9",  "10", "11", "12", "14", "16", "18", "20",
                                                "22", "24", "26", "28", "36", "39", "48", "72"};
    return sizes;
}

std::string& PcJukeboxFolder() {
    static std::string folder = QV_PC_JUKEBOX_DIR;
    return folder;
}

PcJukeboxSettings LoadPcJukeboxSettings(const std::string& appPath) {
    const IniFile ini(appPath + "/" + setup::SettingsFileName);
    PcJukeboxSettings settings;
    const SettingKey& random = setup::keys::RandomPlay;
    const std::string randomText = ini.ReadString(random.section, random.name, random.defaultText);
    if (IsInteger(randomText)) {
        const int index = SafeStrToInt(randomText);
        if (index >= 0 && index < PcJukeboxRandomPlayItems) settings.randomPlay = index;
    }
    const SettingKey& font = setup::keys::SerialSelectFontSize;
    const std::string fontText = ini.ReadString(font.section, font.name, font.defaultText);
    const std::vector<std::string>& sizes = PcJukeboxFontSizes();
    for (size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i] == fontText) settings.fontSizeItem = static_cast<int>(i);
    return settings;
}

std::pair<std::string, std::string> RandomPlayColumns(int randomPlay) {
    switch (randomPlay) {
        case 1:
            return {"0", "****"};
        case 2:
            return {"1", B5("國語")};
        case 3:
            return {"1", B5("台語")};
        case 4:
            return {"1", B5("日語")};
        case 5:
            return {"1", B5("英語")};
        case 6:
            return {"2", "####"};
        case 7:
            return {"3", "####"};
        default:
            return {"0", "####"};
    }
}

std::string Qvi05ConfigBytes(int randomPlay, const std::string& fontSize) {
    const auto [randomCol, randomCol2] = RandomPlayColumns(randomPlay);
    const std::string boldFont = "微軟正黑體, 36pt, style=Bold";
    const std::vector<std::pair<std::string, std::string>> settings{
        {"AutoScreen", "True"},
        {"ClipCursor", "True"},
        {"Language", "Taiwan"},
        {"MenuColor", "Silver"},
        {"MenuFont", boldFont},
        {"MenuTopFont", "微軟正黑體, 27.75pt, style=Bold"},
        {"MusicShowColor", "Red"},
        {"MicShowFont", boldFont},
        {"MusicShowFont", boldFont},
        {"NumColor", "Red"},
        {"NumFont", "Microsoft Sans Serif, " + fontSize + "pt, style=Bold"},
        {"OrderNums", "5"},
        {"RandomCol", randomCol},
        {"RandomCol2", Big5ToUtf8(randomCol2)},
        {"RunLoop", "1"},
        {"ScreenDpi", "8"},
        {"SingleSCRE", "True"},
        {"SingleSelColor", "255, 128, 64"},
        {"SpecialShowFont", boldFont},
        {"TimeShows", "False"},
        {"IsHost", "True"},
        {"Service", "http://127.0.0.1:8086/"},
        {"WebServer", "True"},
    };
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Configeruation>\r\n";
    for (const auto& [name, value] : settings) {
        text += "  <setting Name=\"" + name + "\">\r\n";
        text += "    <Value>" + value + "</Value>\r\n";
        text += "  </setting>\r\n";
    }
    text += "</Configeruation>\r\n";
    return "\xFF\xFE" + Utf16Le(text);
}

bool ApplyPcJukeboxSettings(const std::string& appPath, int randomPlay, const std::string& fontSize) {
    const std::string size = fontSize.empty() ? PcJukeboxDefaultFontSize : fontSize;
    IniFile ini(appPath + "/" + setup::SettingsFileName);
    const SettingKey& random = setup::keys::RandomPlay;
    const SettingKey& font = setup::keys::SerialSelectFontSize;
    if (!ini.WriteString(random.section, random.name, std::to_string(randomPlay)) ||
        !ini.WriteString(font.section, font.name, size)) {
        ReportUnwritableFile(ini.Path());
        return false;
    }
    const std::string path = appPath + "/000/qvi05.cfg";
    if (!ReplaceFileContents(path, Qvi05ConfigBytes(randomPlay, size))) {
        ReportUnwritableFile(path);
        return false;
    }
    std::error_code ec;
    const std::string& folder = PcJukeboxFolder();
    if (!folder.empty() && std::filesystem::is_directory(folder, ec))
        CopyWholeFile(path, folder + "/VorelKTV.cfg", true);
    return true;
}

}  // namespace qv
