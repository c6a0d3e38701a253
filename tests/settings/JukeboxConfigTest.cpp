// The jukeboxes' configuration files written from the settings dialog: the VKM general and layout files,
// and the PC jukebox's "qvi05.cfg".
#include <gtest/gtest.h>

#include <filesystem>

#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/TextFile.h"
#include "settings/IniFile.h"
#include "settings/PcJukeboxConfig.h"
#include "settings/VkmConfigFiles.h"

namespace qv {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::vector<std::string> FileLines(const std::string& path) { return SplitTextLines(ReadBytes(path)); }

std::string VkmKey(const TempFolder& folder, const char* key) {
    return IniFile(folder.File("setting.ini")).ReadString("Vkm Setting", key, "(missing)");
}

// A complete layout table as a jukebox maker would supply it: the first lines, every key with a value,
// comment lines between, up to the file's line count.
VkmLayoutTable CompleteTable(int lineCount, const std::string& firstLine) {
    VkmLayoutTable table;
    table.expectedLines = lineCount;
    table.lines = {firstLine, ""};
    const std::vector<std::string>& keys = VkmLayoutKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i == 4) table.lines.insert(table.lines.end(), {";設定字型大小", ";TOP 區= Font4"});
        table.lines.push_back("[" + keys[i] + "]" +
                              (keys[i] == "SystemTxtMsgTop" ? "{top}" : std::to_string(i)));
    }
    while (static_cast<int>(table.lines.size()) < lineCount) table.lines.push_back(";註解");
    return table;
}

TEST(VkmConfigFiles, GeneralFileCarriesTheFiveValuesAndEveryFixedLine) {
    TempFolder folder;
    test::FakeUserInterface ui;
    // Defaults: 3,217 bytes of Big5 with CR LF.
    ASSERT_TRUE(ApplyVkmSettings(folder.Path(), {-1, -1, -1, -1, -1, -1, -1, -1}));
    const std::string bytes = ReadBytes(folder.File("system/setup.ini"));
    EXPECT_EQ(bytes.size(), 3217u);
    std::vector<std::string> lines = SplitTextLines(bytes);
    ASSERT_EQ(lines.size(), 75u);
    EXPECT_EQ(Big5ToUtf8(lines[0]), ";存放系統設置類參數,設置後貫穿於整個運行狀態和各視頻輸出模式");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "[Video]7");
    EXPECT_EQ(lines[11], "[Volume]13");
    EXPECT_EQ(lines[15], "[IsSetPlayModeOnly]1");
    EXPECT_EQ(lines[25], "[IsPauseButtonShowMenu]0");
    EXPECT_EQ(lines[56], "[IsKaraokeAutoPlayEnable]1");
    EXPECT_EQ(lines[58], "[IsKaraokeAutoPlayMode]1");
    EXPECT_EQ(lines[60], "[IsKaraokeAutoPlayTime]0");
    EXPECT_EQ(lines[72], "[OK_MenuAutoCloseTime]15");
    EXPECT_EQ(Big5ToUtf8(lines[73]), ";點歌機功能表自動關閉的時間");
    EXPECT_EQ(lines[74], "");
    for (const char* key : {"IsSetPlayModeOnly", "IsKaraokeAutoPlayEnable", "IsKaraokeAutoPlayMode"})
        EXPECT_EQ(VkmKey(folder, key), "1");
    EXPECT_EQ(VkmKey(folder, "IsKaraokeAutoPlayTime"), "0");
    EXPECT_EQ(VkmKey(folder, "SystemTxtMsgTop_720x480"), "5");
    EXPECT_EQ(VkmKey(folder, "SystemTxtMsgTop_1280x720"), "18");

    // Chosen values go to the keys and the five lines; a value past the box's items counts as no choice.
    ASSERT_TRUE(ApplyVkmSettings(folder.Path(), {2, 5, 0, 30, 1, 12, 60, 99}));
    lines = FileLines(folder.File("system/setup.ini"));
    EXPECT_EQ(lines[15], "[IsSetPlayModeOnly]2");
    EXPECT_EQ(lines[25], "[IsPauseButtonShowMenu]1");
    EXPECT_EQ(lines[56], "[IsKaraokeAutoPlayEnable]5");
    EXPECT_EQ(lines[58], "[IsKaraokeAutoPlayMode]0");
    EXPECT_EQ(lines[60], "[IsKaraokeAutoPlayTime]30");
    EXPECT_EQ(VkmKey(folder, "SystemTxtMsgTop_720x480"), "12");
    EXPECT_EQ(VkmKey(folder, "SystemTxtMsgTop_1024x768"), "60");
    EXPECT_EQ(VkmKey(folder, "SystemTxtMsgTop_1280x720"), "18");
    EXPECT_EQ(setup::SystemTxtMsgTop_1280x720, 18);
    EXPECT_TRUE(ui.Texts("error").empty());
}

TEST(VkmConfigFiles, LoadingStopsAtTheFirstTextThatIsNoInteger) {
    TempFolder folder;
    WriteBytes(
        folder.File("setting.ini"),
        "[Vkm Setting]\r\nIsSetPlayModeOnly=2\r\nIsKaraokeAutoPlayEnable=4\r\nIsKaraokeAutoPlayMode=x\r\n"
        "IsKaraokeAutoPlayTime=7\r\n");
    VkmLoadResult loaded = LoadVkmSettings(folder.Path());
    EXPECT_EQ(loaded.comboCount, 2);
    EXPECT_EQ(loaded.comboIndex[0], 2);
    EXPECT_EQ(loaded.comboIndex[1], 4);
    EXPECT_EQ(setup::IsSetPlayModeOnly, 1);  // every value back to its default
    EXPECT_EQ(setup::IsKaraokeAutoPlayEnable, 1);
    EXPECT_EQ(setup::IsKaraokeAutoPlayTime, 0);

    WriteBytes(folder.File("setting.ini"),
               "[Vkm Setting]\r\nIsKaraokeAutoPlayTime=99\r\nSystemTxtMsgTop_1024x768=9\r\n");
    loaded = LoadVkmSettings(folder.Path());
    EXPECT_EQ(loaded.comboCount, 8);
    EXPECT_EQ(loaded.comboIndex[3], 99);  // the box then has no selection
    EXPECT_EQ(loaded.comboIndex[6], 9);
    EXPECT_EQ(loaded.comboIndex[7], 18);
}

TEST(VkmConfigFiles, ShippedTablesHoldTheKnownLinesButMakeNoFile) {
    const std::vector<std::string>& keys = VkmLayoutKeys();
    ASSERT_EQ(keys.size(), 263u);
    EXPECT_EQ(keys[14], "SystemTxtMsgTop");
    EXPECT_EQ(keys.back(), "OK_PlayMenuIndexNum5_Top");
    const struct {
        VkmResolution resolution;
        const char* first;
        int lines;
        const char* fontSize4;
        const char* menuLeft;
    } expected[] = {
        {VkmResolution::Av720x480, ";720x480座標文件", 443, "[FontSize_4]30", "[OK_PicMenuLayer_Left]74"},
        {VkmResolution::Vga1024x768, ";1024x768座標文件", 444, "[FontSize_4]42", "[OK_PicMenuLayer_Left]383"},
        {VkmResolution::Hd1280x720, ";1280x720座標文件", 444, "[FontSize_4]48", "[OK_PicMenuLayer_Left]553"}};
    for (const auto& e : expected) {
        const VkmLayoutTable& table = ShippedVkmLayoutTable(e.resolution);
        EXPECT_EQ(table.expectedLines, e.lines);
        EXPECT_EQ(table.lines[0], e.first);
        EXPECT_EQ(table.lines[2], e.fontSize4);
        std::vector<std::string> tableKeys;
        for (const std::string& line : table.lines)
            if (line.starts_with("[")) tableKeys.push_back(line.substr(1, line.find(']') - 1));
        EXPECT_EQ(tableKeys, keys);
        EXPECT_NE(std::find(table.lines.begin(), table.lines.end(), e.menuLeft), table.lines.end());
        EXPECT_NE(VkmLayoutTableGap(table).find("values not known"), std::string::npos);
    }

    // Apply writes the general file, keeps an existing layout file and says once which were not written.
    TempFolder folder;
    test::FakeUserInterface ui;
    std::filesystem::create_directories(folder.File("system/1024X768"));
    WriteBytes(folder.File("system/1024X768/setup.ini"), "the user's own layout");
    ASSERT_TRUE(ApplyVkmSettings(folder.Path(), {1, 1, 1, 0, 0, 5, 0, 18}));
    EXPECT_TRUE(std::filesystem::exists(folder.File("system/setup.ini")));
    EXPECT_EQ(ReadBytes(folder.File("system/1024X768/setup.ini")), "the user's own layout");
    EXPECT_FALSE(std::filesystem::exists(folder.File("system/720X480/setup.ini")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("system/1280X720")));
    ASSERT_EQ(ui.Texts("warning").size(), 1u);
    for (const char* name :
         {"system/720X480/setup.ini", "system/1024X768/setup.ini", "system/1280X720/setup.ini"})
        EXPECT_NE(ui.Texts("warning")[0].find(name), std::string::npos) << name;
}

TEST(VkmConfigFiles, CompleteTablesMakeEachLayoutWithItsOwnMessageTop) {
    TempFolder folder;
    test::FakeUserInterface ui;
    const VkmLayoutTable av = CompleteTable(443, ";720x480座標文件");
    const VkmLayoutTable vga = CompleteTable(444, ";1024x768座標文件");
    const VkmLayoutTable hd = CompleteTable(444, ";1280x720座標文件");
    ASSERT_EQ(VkmLayoutTableGap(av), "");
    ASSERT_TRUE(ApplyVkmSettings(folder.Path(), {1, 1, 1, 0, 0, 12, 3, 40}, {&av, &vga, &hd}));
    EXPECT_TRUE(ui.Texts("warning").empty());
    const struct {
        const char* path;
        size_t lines;
        const char* top;
    } expected[] = {{"system/720X480/setup.ini", 443, "[SystemTxtMsgTop]12"},
                    {"system/1024X768/setup.ini", 444, "[SystemTxtMsgTop]3"},
                    {"system/1280X720/setup.ini", 444, "[SystemTxtMsgTop]40"}};
    for (const auto& e : expected) {
        const std::vector<std::string> lines = FileLines(folder.File(e.path));
        ASSERT_EQ(lines.size(), e.lines) << e.path;
        EXPECT_EQ(lines[1], "");
        EXPECT_EQ(lines[2], "[FontSize_4]0");
        EXPECT_EQ(Big5ToUtf8(lines[7]), ";TOP 區= Font4");
        std::vector<std::string> keyLines;
        for (const std::string& line : lines)
            if (line.starts_with("[")) keyLines.push_back(line);
        ASSERT_EQ(keyLines.size(), 263u);
        EXPECT_EQ(keyLines[14], e.top) << e.path;
        EXPECT_EQ(keyLines[262], "[OK_PlayMenuIndexNum5_Top]262");
    }
    EXPECT_EQ(Big5ToUtf8(FileLines(folder.File("system/1280X720/setup.ini"))[0]), ";1280x720座標文件");

    // A table with its keys out of order is refused.
    VkmLayoutTable swapped = av;
    std::swap(swapped.lines[2], swapped.lines[3]);
    EXPECT_NE(VkmLayoutTableGap(swapped).find("out of order"), std::string::npos);
}

TEST(VkmConfigFiles, AFileThatCannotBeWrittenStopsTheApplyWithAnError) {
    TempFolder folder;
    test::FakeUserInterface ui;
    WriteBytes(folder.File("system"), "a file where the folder belongs");
    EXPECT_FALSE(ApplyVkmSettings(folder.Path(), {1, 1, 1, 0, 0, 5, 0, 18}));
    ASSERT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_NE(ui.Texts("error")[0].find("system/setup.ini"), std::string::npos);
    EXPECT_TRUE(ui.Texts("warning").empty());
}

// UTF-16LE text of the file back to UTF-8 lines, checking the byte-order mark and CR LF.
std::vector<std::string> CfgLines(const std::string& bytes) {
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    std::string utf8;
    for (char16_t c : text) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    EXPECT_TRUE(utf8.ends_with("\r\n"));
    size_t lineFeeds = 0, crLfs = 0;
    for (size_t i = 0; i < utf8.size(); ++i)
        if (utf8[i] == '\n') {
            ++lineFeeds;
            if (i > 0 && utf8[i - 1] == '\r') ++crLfs;
        }
    EXPECT_EQ(lineFeeds, crLfs);
    return SplitTextLines(utf8);
}

TEST(PcJukeboxConfig, TheFileHoldsTheTwentyThreeSettingsInUtf16) {
    TempFolder folder;
    test::FakeUserInterface ui;
    std::filesystem::create_directories(folder.File("000"));
    ASSERT_TRUE(ApplyPcJukeboxSettings(folder.Path(), 0, "39"));
    std::vector<std::string> lines = CfgLines(ReadBytes(folder.File("000/qvi05.cfg")));
    ASSERT_EQ(lines.size(), 72u);
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-16\"?>");
    EXPECT_EQ(lines[1], "<Configeruation>");
    EXPECT_EQ(lines[2], "  <setting Name=\"AutoScreen\">");
    EXPECT_EQ(lines[3], "    <Value>True</Value>");
    EXPECT_EQ(lines[4], "  </setting>");
    EXPECT_EQ(lines[15], "    <Value>微軟正黑體, 36pt, style=Bold</Value>");
    EXPECT_EQ(lines[18], "    <Value>微軟正黑體, 27.75pt, style=Bold</Value>");
    EXPECT_EQ(lines[32], "  <setting Name=\"NumFont\">");
    EXPECT_EQ(lines[33], "    <Value>Microsoft Sans Serif, 39pt, style=Bold</Value>");
    EXPECT_EQ(lines[39], "    <Value>0</Value>");     // RandomCol
    EXPECT_EQ(lines[42], "    <Value>####</Value>");  // RandomCol2
    EXPECT_EQ(lines[65], "  <setting Name=\"Service\">");
    EXPECT_EQ(lines[66], "    <Value>http://127.0.0.1:8086/</Value>");
    EXPECT_EQ(lines[70], "  </setting>");
    EXPECT_EQ(lines[71], "</Configeruation>");
    IniFile ini(folder.File("setting.ini"));
    EXPECT_EQ(ini.ReadString("Vorel_KTV Setting", "RandomPlay", ""), "0");
    EXPECT_EQ(ini.ReadString("Vorel_KTV Setting", "SerialSelectFontSize", ""), "39");

    const std::pair<const char*, const char*> columns[] = {{"0", "####"}, {"0", "****"}, {"1", "國語"},
                                                           {"1", "台語"}, {"1", "日語"}, {"1", "英語"},
                                                           {"2", "####"}, {"3", "####"}, {"0", "####"}};
    for (int item = 0; item < 9; ++item) {
        ASSERT_TRUE(ApplyPcJukeboxSettings(folder.Path(), item == 8 ? -1 : item, item == 8 ? "" : "72"));
        lines = CfgLines(ReadBytes(folder.File("000/qvi05.cfg")));
        EXPECT_EQ(lines[39], std::string("    <Value>") + columns[item].first + "</Value>") << item;
        EXPECT_EQ(lines[42], std::string("    <Value>") + columns[item].second + "</Value>") << item;
        EXPECT_EQ(lines[33], std::string("    <Value>Microsoft Sans Serif, ") + (item == 8 ? "39" : "72") +
                                 "pt, style=Bold</Value>");
    }
}

TEST(PcJukeboxConfig, LoadingSelectsOnlyItemsThatExist) {
    TempFolder folder;
    WriteBytes(folder.File("setting.ini"),
               "[Vorel_KTV Setting]\r\nRandomPlay=5\r\nSerialSelectFontSize=40\r\n");
    PcJukeboxSettings settings = LoadPcJukeboxSettings(folder.Path());
    EXPECT_EQ(settings.randomPlay, 5);
    EXPECT_EQ(settings.fontSizeItem, -1);
    WriteBytes(folder.File("setting.ini"),
               "[Vorel_KTV Setting]\r\nRandomPlay=five\r\nSerialSelectFontSize=12\r\n");
    settings = LoadPcJukeboxSettings(folder.Path());
    EXPECT_EQ(settings.randomPlay, -1);
    ASSERT_GE(settings.fontSizeItem, 0);
    EXPECT_EQ(PcJukeboxFontSizes()[settings.fontSizeItem], "12");
    std::filesystem::remove(folder.File("setting.ini"));
    settings = LoadPcJukeboxSettings(folder.Path());
    EXPECT_EQ(settings.randomPlay, 0);
    EXPECT_EQ(PcJukeboxFontSizes()[settings.fontSizeItem], "39");
}

TEST(PcJukeboxConfig, TheCopyGoesToThePcJukeboxFolderOnlyWhenItExists) {
    TempFolder folder;
    test::FakeUserInterface ui;
    std::filesystem::create_directories(folder.File("000"));
    const std::string saved = PcJukeboxFolder();
    PcJukeboxFolder() = folder.File("pc jukebox");
    ASSERT_TRUE(ApplyPcJukeboxSettings(folder.Path(), 2, "20"));
    EXPECT_FALSE(std::filesystem::exists(folder.File("pc jukebox")));
    std::filesystem::create_directories(folder.File("pc jukebox"));
    ASSERT_TRUE(ApplyPcJukeboxSettings(folder.Path(), 2, "20"));
    EXPECT_EQ(ReadBytes(folder.File("pc jukebox/VorelKTV.cfg")), ReadBytes(folder.File("000/qvi05.cfg")));
    PcJukeboxFolder() = saved;

    // Without a 000 folder the file cannot be made: an error, and no copy.
    std::filesystem::remove_all(folder.File("000"));
    std::filesystem::remove(folder.File("pc jukebox/VorelKTV.cfg"));
    PcJukeboxFolder() = folder.File("pc jukebox");
    EXPECT_FALSE(ApplyPcJukeboxSettings(folder.Path(), 2, "20"));
    PcJukeboxFolder() = saved;
    EXPECT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(folder.File("pc jukebox/VorelKTV.cfg")));
}

}  // namespace
}  // namespace qv
