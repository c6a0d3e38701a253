#include "settings/VkmConfigFiles.h"

#include <sys/stat.h>


#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "resources/ShippedData.h"
#include "settings/IniFile.h"

namespace qv {
namespace {

constexpr char TopMark[] = "{top}";
constexpr char MissingMark[] = "?";

std::array<int*, VkmSettingCount> SettingValues() {
    return {&setup::IsSetPlayModeOnly,        &setup::IsKaraokeAutoPlayEnable,
            &setup::IsKaraokeAutoPlayMode,    &setup::IsKaraokeAutoPlayTime,
            &setup::IsPauseButtonShowMenu,    &setup::SystemTxtMsgTop_720x480,
            &setup::SystemTxtMsgTop_1024x768, &setup::SystemTxtMsgTop_1280x720};
}

void SetDefaults() {
    const auto values = SettingValues();
    for (int i = 0; i < VkmSettingCount; ++i) *values[i] = VkmSettingDefaults[i];
}

int MessageTop(VkmResolution resolution) {
    switch (resolution) {
        case VkmResolution::Av720x480:
            return setup::SystemTxtMsgTop_720x480;
        case VkmResolution::Vga1024x768:
            return setup::SystemTxtMsgTop_1024x768;
        case VkmResolution::Hd1280x720:
            return setup::SystemTxtMsgTop_1280x720;
    }
    return 0;
}

int ResolutionIndex(VkmResolution resolution) { return static_cast<int>(resolution); }

std::string SystemFolder(const std::string& appPath) { return appPath + "/system"; }

// One level, as the jukebox's own tools make it; a failure shows when the file is written.
void MakeFolder(const std::string& path) { ::mkdir(path.c_str(), 0777); }

// "[Key]value" -> Key; empty for comment, empty and malformed lines.
std::string_view KeyOf(std::string_view line) {
    if (line.size() < 2 || line.front() != '[') return {};
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return {};
    return line.substr(1, close - 1);
}

std::string_view ValueOf(std::string_view line) { return line.substr(line.find(']') + 1); }

}  // namespace

const std::array<SettingKey, VkmSettingCount>& VkmSettingKeys() {
    using namespace setup::keys;
    static const std::array<SettingKey, VkmSettingCount> keys{
        IsSetPlayModeOnly,     IsKaraokeAutoPlayEnable, IsKaraokeAutoPlayMode,    IsKaraokeAutoPlayTime,
        IsPauseButtonShowMenu, SystemTxtMsgTop_720x480, SystemTxtMsgTop_1024x768, SystemTxtMsgTop_1280x720};
    return keys;
}

VkmLoadResult LoadVkmSettings(const std::string& appPath) {
    const IniFile ini(appPath + "/" + setup::SettingsFileName);
    const auto values = SettingValues();
    VkmLoadResult result;
    for (int i = 0; i < VkmSettingCount; ++i) {
        const SettingKey& key = VkmSettingKeys()[i];
        const std::string text = ini.ReadString(key.section, key.name, key.defaultText);
        if (!IsInteger(text)) {
            SetDefaults();
            return result;
        }
        *values[i] = SafeStrToInt(text);
        result.comboIndex[i] = *values[i];
        result.comboCount = i + 1;
    }
    return result;
}

const char* VkmResolutionFolder(VkmResolution resolution) {
    switch (resolution) {
        case VkmResolution::Av720x480:
            return "720X480";
        case VkmResolution::Vga1024x768:
            return "1024X768";
        case VkmResolution::Hd1280x720:
            return "1280X720";
    }
    return "";
}

const std::vector<std::string>& VkmLayoutKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k{"FontSize_4",
                                   "FontSize_3",
                                   "FontSize_2",
                                   "FontSize_1",
                                   "SystemRTopPicMsgLeft",
                                   "SystemRTopPicMsgTop",
                                   "SystemRTopPicMsgWidth",
                                   "SystemRTopPicMsgHeight",
                                   "SystemRTopPicMsgColor",
                                   "SystemCenterPicMsgLeft",
                                   "SystemCenterPicMsgTop",
                                   "SystemCenterPicMsgWidth",
                                   "SystemCenterPicMsgHeight",
                                   "SystemCenterMsgColor",
                                   "SystemTxtMsgTop",
                                   "SystemTxtMsgBkColor",
                                   "SystemTxtMsgColor",
                                   "PL_DevLayLeft",
                                   "PL_DevLayTop",
                                   "PL_DevLayWidth",
                                   "PL_DevLayHeight",
                                   "PL_DevIconLeft",
                                   "PL_DevIconTop",
                                   "PL_DevSpaceTop",
                                   "PL_DevSpaceHeight",
                                   "PL_DevLabelTop",
                                   "PL_DevLabelHeight",
                                   "PL_DevNumberTop",
                                   "PL_DevNumberHeight",
                                   "PL_DevNumIconWidth",
                                   "PL_SetupMenuLayerLeft",
                                   "PL_SetupMenuLayerTop",
                                   "PL_SetupMenuLayerWidth",
                                   "PL_SetupMenuLayerHeight",
                                   "PL_SetupMLIconLeft",
                                   "PL_SetupMLIconTop",
                                   "PL_SetupMLTitleLeft",
                                   "PL_SetupMLTitleTop",
                                   "PL_SetupMLTitleWidth",
                                   "PL_SetupMLVerInfoLeft",
                                   "PL_SetupMLVerInfoTop",
                                   "PL_SetupMLVerInfoWidth",
                                   "PL_SetupMLItemDrawTop",
                                   "PL_SetupMLItemHeight",
                                   "PL_SetupMLItemNumber",
                                   "PL_SetupMLTitItemLeft",
                                   "PL_SetupMLTitItemWidth",
                                   "PL_SetupMLTItemAlignment",
                                   "PL_SetupMLValItemLeft",
                                   "PL_SetupMLValItemWidth",
                                   "PL_SetupMLVItemAlignment",
                                   "PL_VideoPViewScLeft",
                                   "PL_VideoPViewScTop",
                                   "PL_VideoPViewScWidth",
                                   "PL_VideoPViewScHeight",
                                   "PL_ItemListLayerLeft",
                                   "PL_ItemListLayerTop",
                                   "PL_ItemListLayerWidth",
                                   "PL_IListMenuLArrowLeft",
                                   "PL_IListMenuLArrowTop",
                                   "PL_IListMenuRArrowLeft",
                                   "PL_IListMenuRArrowTop",
                                   "PL_IListMenuAllTypeLeft",
                                   "PL_IListMenuAllTypeTop",
                                   "PL_IListMenuMovieTypeLeft",
                                   "PL_IListMenuMovieTypeTop",
                                   "PL_IListMenuMusicTypeLeft",
                                   "PL_IListMenuMusicTypeTop",
                                   "PL_IListMenuPhotoTypeLeft",
                                   "PL_IListMenuPhotoTypeTop",
                                   "PL_IListMenuNCopyTypeLeft",
                                   "PL_IListMenuNCopyTypeTop",
                                   "PL_IListMenuMCopyTypeLeft",
                                   "PL_IListMenuMCopyTypeTop",
                                   "PL_IListMenuTextLeft",
                                   "PL_IListMenuTextTop",
                                   "PL_IListMenuTextWidth",
                                   "PL_IListMenuTextHeight",
                                   "PL_IListMaxWidth",
                                   "PL_IListTitleHeight",
                                   "PL_IListPathLeft",
                                   "PL_IListPathTop",
                                   "PL_IListPathWidth",
                                   "PL_IListPathHeight",
                                   "PL_ILPageInfoLeft",
                                   "PL_ILPageInfoTop",
                                   "PL_ILPageInfoWidth",
                                   "PL_ILPageInfoHeight",
                                   "PL_IListOnePageNum",
                                   "PL_IListOneItemHeight",
                                   "PL_ILItemIconWidth",
                                   "PL_ILItemIconHeight",
                                   "PL_ILItemLRIndent",
                                   "PL_ILUpdateIconLeft",
                                   "PL_ILUpdateIconTop",
                                   "PL_ILUpdateTitleLeft",
                                   "PL_ILUpdateTitleTop",
                                   "PL_ILUpdateTitleWidth",
                                   "PL_ILUpdateTitleHeight",
                                   "PL_ILUpdateLineLeft",
                                   "PL_ILUpdateLineTop",
                                   "PL_ILUpdateLineLength",
                                   "PL_ILUpdateInfoLeft",
                                   "PL_ILUpdateInfoTop",
                                   "PL_ILUpdateInfoWidth",
                                   "PL_ILUpdateInfoHeight",
                                   "PL_ILUpdateButOneLeft",
                                   "PL_ILUpdateButOneTop",
                                   "PL_ILUpdateButTwoLeft",
                                   "PL_ILUpdateButTwoTop",
                                   "PL_ILUpdateButWidth",
                                   "PL_ILUpdateButHeight",
                                   "OK_PicMenuLayer_Left",
                                   "OK_PicMenuLayer_Top",
                                   "OK_PicMenuLayer_Width",
                                   "OK_PicMenuLayer_Height",
                                   "OK_PicMenuColor_Select",
                                   "OK_PicMenuColor_Default",
                                   "OK_PicMenuIndex_Text_Color",
                                   "OK_PlayMenuIndex_Text_Color",
                                   "OK_PicMenuPicBkItem_Width",
                                   "OK_PicMenuPicBkItem_Height",
                                   "OK_PicMenuPicTopItem_Width",
                                   "OK_PicMenuPicTopItem_Height",
                                   "OK_PicMenuPicTopItem_Left_Inde",
                                   "OK_PicMenuPicTopItem_Top_Inde"};
        const auto leftTop = [&k](const std::string& prefix, int first, int last, const std::string& suffix) {
            for (int i = first; i <= last; ++i) {
                k.push_back(prefix + std::to_string(i) + suffix + "Left");
                k.push_back(prefix + std::to_string(i) + suffix + "Top");
            }
        };
        const auto add = [&k](std::initializer_list<const char*> names) {
            k.insert(k.end(), names.begin(), names.end());
        };
        leftTop("OK_PicMenuPicItem_", 1, 8, "_");
        add({"OK_PicMenuPicItem_X_Width", "OK_PicMenuPicItem_X_Height"});
        leftTop("OK_PicMenuPicItem_Info_", 1, 8, "_");
        add({"OK_PicMenuListItem_X_Width", "OK_PicMenuListItem_X_Height", "OK_PicMenuListItem_Indentation",
             "OK_PicMenuListItem_Title_Left", "OK_PicMenuListItem_Title_Top",
             "OK_PicMenuListItem_Title_Width", "OK_PicMenuListItem_Title_Height",
             "OK_PicMenuListItem_Page_Left", "OK_PicMenuListItem_Page_Top", "OK_PicMenuListItem_Page_Width",
             "OK_PicMenuListItem_Page_Height"});
        leftTop("OK_PicMenuListItem_", 1, 8, "_");
        add({"OK_PicMenuIndex_Title_Left", "OK_PicMenuIndex_Title_Top", "OK_PicMenuIndex_Title_Width",
             "OK_PicMenuIndex_Title_Height", "OK_PicMenuIndex_Info_Left", "OK_PicMenuIndex_Info_Top",
             "OK_PicMenuIndex_Info_Width", "OK_PicMenuIndex_Info_Height"});
        leftTop("OK_PicMenuIndexNum", 1, 5, "_");
        add({"OK_PlayMenuLayer_Left",           "OK_PlayMenuLayer_Top",
             "OK_PlayMenuColor_Title",          "OK_PlayMenuColor_Select",
             "OK_PlayMenuColor_Default",        "OK_PlayMenuColor_PlayList",
             "OK_PlayMenuColor_Playing",        "OK_PlayMenuAllItem_Max_Width",
             "OK_PlayMenuAllItem_Max_Height",   "OK_PlayMenuAllItem_Min_Width",
             "OK_PlayMenuAllItem_Min_Height",   "OK_PlayMenuAllItem_Song_Width",
             "OK_PlayMenuAllItem_Singer_Width", "OK_PlayMenuListItem_Indentation",
             "OK_PlayMenuAllItem_Title_Left",   "OK_PlayMenuAllItem_Title_Top",
             "OK_PlayMenuAllItem_Title_Width",  "OK_PlayMenuAllItem_Title_Height",
             "OK_PlayMenuAllItem_Page_Left",    "OK_PlayMenuAllItem_Page_Top",
             "OK_PlayMenuAllItem_Page_Width",   "OK_PlayMenuAllItem_Page_Height"});
        leftTop("OK_PlayMenuAllItem_", 0, 8, "_");
        add({"OK_PlayMenuIndex_Title_Left", "OK_PlayMenuIndex_Title_Top", "OK_PlayMenuIndex_Title_Width",
             "OK_PlayMenuIndex_Title_Height", "OK_PlayMenuIndex_Info_Left", "OK_PlayMenuIndex_Info_Top",
             "OK_PlayMenuIndex_Info_Width", "OK_PlayMenuIndex_Info_Height"});
        leftTop("OK_PlayMenuIndexNum", 1, 5, "_");
        return k;
    }();
    return keys;
}

VkmLayoutTable ParseVkmLayoutTable(std::string_view text) {
    VkmLayoutTable table;
    for (std::string_view line : SplitLines(text)) {
        if (!line.empty() && line.front() == '#') {
            constexpr std::string_view countNote = "# lines ";
            if (line.substr(0, countNote.size()) == countNote) {
                const std::string count(line.substr(countNote.size()));
                if (IsInteger(count)) table.expectedLines = SafeStrToInt(count);
            }
            continue;
        }
        table.lines.emplace_back(line);
    }
    return table;
}

const VkmLayoutTable& ShippedVkmLayoutTable(VkmResolution resolution) {
    static const std::array<VkmLayoutTable, 3> tables{ParseVkmLayoutTable(ShippedVkmLayout720x480()),
                                                      ParseVkmLayoutTable(ShippedVkmLayout1024x768()),
                                                      ParseVkmLayoutTable(ShippedVkmLayout1280x720())};
    return tables[ResolutionIndex(resolution)];
}

VkmLayoutTables ShippedVkmLayoutTables() {
    return {&ShippedVkmLayoutTable(VkmResolution::Av720x480),
            &ShippedVkmLayoutTable(VkmResolution::Vga1024x768),
            &ShippedVkmLayoutTable(VkmResolution::Hd1280x720)};
}

std::string VkmLayoutTableGap(const VkmLayoutTable& table) {
    int missingValues = 0;
    bool topMarked = false;
    size_t key = 0;
    const std::vector<std::string>& keys = VkmLayoutKeys();
    for (const std::string& line : table.lines) {
        if (!Utf8FitsBig5(line)) return "a line that Big5 cannot hold: " + line;
        const std::string_view name = KeyOf(line);
        if (name.empty()) continue;
        if (key >= keys.size() || name != keys[key])
            return "keys out of order at [" + std::string(name) + "]";
        const std::string_view value = ValueOf(line);
        if (value == MissingMark) ++missingValues;
        if (name == "SystemTxtMsgTop") topMarked = value == TopMark;
        ++key;
    }
    std::string gap;
    if (key != keys.size()) gap += std::to_string(keys.size() - key) + " keys missing; ";
    if (!topMarked) gap += "the message-top line is not marked; ";
    if (missingValues > 0) gap += std::to_string(missingValues) + " values not known; ";
    if (static_cast<int>(table.lines.size()) != table.expectedLines)
        gap += std::to_string(table.lines.size()) + " of " + std::to_string(table.expectedLines) + " lines; ";
    if (!gap.empty()) gap.resize(gap.size() - 2);
    return gap;
}

std::string VkmSetupIniText() {
    static const std::vector<std::string> lines{
        ";存放系統設置類參數,設置後貫穿於整個運行狀態和各視頻輸出模式",
        "",
        "[Video]7",
        ";視頻輸出設定(暫時沒有使用)",
        "",
        "[FontSize_4]38",
        "[FontSize_3]26",
        "[FontSize_2]20",
        "[FontSize_1]12",
        ";設定整體字體大小",
        "",
        "[Volume]13",
        ";系統預設音量,0,1-16",
        "[IsNowPlayMode]0",
        ";是否為立即播放模式,為1那麼點播後立即進入播放,反之則直接加入預點列表",
        "[IsSetPlayModeOnly]%d",
        ";設置開機後的模式,為0時顯示選擇功能表,為1時,開機後直接進入點歌機模式,為2時進入播放器模式",
        "[IsPicSingerNameAlign]1",
        ";設置圖形功能表下的歌星名的對齊方式,0.居中對齊,1.左對齊,2.右對齊",
        "[IsSetTopModeOnly]0",
        ";設置進入排行收藏時的模式(0.選擇畫面,1.直接排行榜,2.直接收藏)",
        "[IsIndexShowNumPicOnly]1",
        ";設置編號點播狀態下,是否只使用數位圖片進行點播,0.待機時圖片,播放時字串,1.待機和播放均使用圖片,2."
        "使用舊版點歌機樣式(單專案條)",
        "[IsNumButtonSelectOnly]0",
        ";設置功能表顯示狀態下,按下數位鍵是否只進行焦點選定,0,直接進入或確定對應的項目,1,只進行焦點選定,"
        "需要按確定鍵進入",
        "[IsPauseButtonShowMenu]%d",
        ";設置暫停狀態是否顯示主功能表,1,暫停時返回到主菜單,0.暫停時使用簡單的暫停",
        "[IsShowFilesOfTheExpansion]0",
        ";設置是否需要顯示檔的副檔名,1,為顯示,0,為不顯示",
        "[IsFirstEnterFileTypeMode]1",
        ";設置在播放模式下首次進入檔列表時是否優先進入檔類型選擇狀態,1.類型選擇,0.文件列表",
        "[IsDefaultPy2ZyMode]1",
        ";設置預設的拼音和注音模式狀態,1.預設為拼音模式,0.預設為注音模式",
        "[IsShowLoadingWaitMsg]0",
        ";設置是否在播放視頻時顯示載入中請稍候的提示資訊,1.為開啟,0為關閉",
        "[IsNextPlayDefaultAudioKey]1",
        ";設置是否在播放下一曲時恢復音調Key為預設值,1.下一曲自動恢復為合調,0.不進行恢復",
        "",
        "[IsCoinScanEnable]0",
        ";設置是否進行投幣信號掃描,0.關閉,1.計幣模式,2.計時模式(計時結束後必須由管理設定時間)",
        "[IsOneCoinAddMinuteNum]5",
        ";設置在計時模式下,投入1個硬幣所增加的時間數(以分鐘為單位),如設置為5,即投1幣增加5分鐘使用時間",
        "[IsTimeUpDirectlyPause]0",
        ";設置是否在計時結束後立即暫停視頻(暫停後將限制使用,只能通過增加時間以解除限制),0.關閉,1.開啟",
        ";-= 注意,以下投幣設定只針對計幣模式下的有效 "
        "=-------------------------------------------------------------",
        "[IsPlayPreviewSecond]10",
        ";設置歌曲預覽播放的秒數,0~255,設置後歌曲播放X秒後進行扣幣,無幣時將在X秒時停止",
        "[IsOneSongCoinNumber]1",
        ";設置播放一首歌曲所需要的硬幣數量,即一次扣幣數量,1~255",
        "[IsZeroCoinPlayEnable]0",
        ";設置當可用幣為0時是否允許進行播放,0.不播放,1.可以播放,注意,如果此值為0,將會直接禁止自動播放功能",
        "[IsZeroCoinAddSong]2",
        ";設置當可用幣為0時是否允許添加歌曲,0.不允許,1.可以添加,2.限制點歌數量(即投1幣允許添加1首)",
        "[IsZeroCoinPlayMute]0",
        ";暫不可用,設置當可用幣為0時播放是否強制靜音,0.不靜音,1.靜音",
        "",
        "[IsKaraokeAutoPlayEnable]%d",
        ";點歌機自動播放功能開啟控制,0為關閉自動播放,1為播放Index,2為播放排行榜,3為播放收藏夾,"
        "4為播放用戶列表,5為播放個性列表",
        "[IsKaraokeAutoPlayMode]%d",
        ";點歌機自動播放運行模式,0為順序播放(依照Index順序,但不是依照編號),1為隨機播放,2遞增播放("
        "專用於自動播放Index時,以最後一次播放的節目的編號進行遞增播放)",
        "[IsKaraokeAutoPlayTime]%d",
        ";點歌機自動播放設定時間,0為停止後立即播放,1~255為間隔時間,以秒為計時單位",
        "[IsKaraokeAutoPlayStopResume]1",
        ";點歌機自動播放模式下歌曲停止後,是否允許再次按Stop鍵進行自動播放恢復,0為禁止,1為允許",
        "",
        "[OK_PlayingItemColor]10",
        ";設置列表專案中正在播放的節目字體顏色",
        "[OK_PlayListItemColor]7",
        ";設置列表專案中預點節目的字體顏色",
        "",
        "[OK_ShowNextSongCountdown]20",
        ";下一曲提示資訊顯示的秒數",
        "[OK_MenuAutoCloseTime]15",
        ";點歌機功能表自動關閉的時間",
        "",
    };
    std::vector<int> variable{setup::IsSetPlayModeOnly, setup::IsPauseButtonShowMenu,
                              setup::IsKaraokeAutoPlayEnable, setup::IsKaraokeAutoPlayMode,
                              setup::IsKaraokeAutoPlayTime};
    std::vector<std::string> big5;
    size_t next = 0;
    for (const std::string& line : lines) {
        const size_t mark = line.find("%d");
        big5.push_back(mark == std::string::npos ? Utf8ToBig5(line)
                                                 : line.substr(0, mark) + std::to_string(variable[next++]));
    }
    return JoinLinesCrLf(big5);
}

std::string VkmLayoutText(const VkmLayoutTable& table, int messageTop) {
    std::vector<std::string> big5;
    big5.reserve(table.lines.size());
    for (const std::string& line : table.lines) {
        if (KeyOf(line) == "SystemTxtMsgTop")
            big5.push_back("[SystemTxtMsgTop]" + std::to_string(messageTop));
        else
            big5.push_back(Utf8ToBig5(line));
    }
    return JoinLinesCrLf(big5);
}

bool WriteVkmSetupIni(const std::string& appPath) {
    MakeFolder(SystemFolder(appPath));
    return ReplaceFileContents(SystemFolder(appPath) + "/setup.ini", VkmSetupIniText());
}

bool WriteVkmLayout(const std::string& appPath, VkmResolution resolution, const VkmLayoutTable& table) {
    const std::string folder = SystemFolder(appPath) + "/" + VkmResolutionFolder(resolution);
    MakeFolder(folder);
    return ReplaceFileContents(folder + "/setup.ini", VkmLayoutText(table, MessageTop(resolution)));
}

bool ApplyVkmSettings(const std::string& appPath, const std::array<int, VkmSettingCount>& selections,
                      const VkmLayoutTables& tables) {
    SetDefaults();
    IniFile ini(appPath + "/" + setup::SettingsFileName);
    const auto values = SettingValues();
    for (int i = 0; i < VkmSettingCount; ++i) {
        const SettingKey& key = VkmSettingKeys()[i];
        const bool chosen = selections[i] >= 0 && selections[i] < VkmSettingItemCounts[i];
        if (chosen) *values[i] = selections[i];
        const std::string text = chosen ? std::to_string(selections[i]) : std::string(key.defaultText);
        if (!ini.WriteString(key.section, key.name, text)) {
            ReportUnwritableFile(ini.Path());
            return false;
        }
    }
    if (!WriteVkmSetupIni(appPath)) {
        ReportUnwritableFile(SystemFolder(appPath) + "/setup.ini");
        return false;
    }
    std::string notWritten;
    for (VkmResolution resolution : VkmResolutions) {
        const VkmLayoutTable& table = *tables[ResolutionIndex(resolution)];
        const std::string name = std::string("system/") + VkmResolutionFolder(resolution) + "/setup.ini";
        if (!VkmLayoutTableGap(table).empty()) {
            notWritten += "\n" + name;
            continue;
        }
        if (!WriteVkmLayout(appPath, resolution, table)) {
            ReportUnwritableFile(appPath + "/" + name);
            return false;
        }
    }
    if (!notWritten.empty())
        UI().ShowWarningBox(B5("本程式未附VKM點歌機各解析度的畫面座標資料, 下列座標檔未寫入(原有檔案保留):") +
                            notWritten);
    return true;
}

}  // namespace qv
