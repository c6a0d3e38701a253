#pragma once
// The settings store: "setting.ini" in the program folder and the program-wide values that mirror it.
// The values are filled once at start by LoadSettings and changed afterwards only by the settings dialog;
// the program reads them directly.
#include <string>
#include <string_view>

namespace qv {

// One key of "setting.ini": its section, its name and the text it has when the file lacks it.
struct SettingKey {
    const char* section;
    const char* name;
    const char* defaultText;
};

namespace setup {

inline constexpr char SettingsFileName[] = "setting.ini";

// Flags are stored as these two texts; only the exact text "yes" is true.
inline constexpr char YesText[] = "yes";
inline constexpr char NoText[] = "no";
inline const char* FlagText(bool on) { return on ? YesText : NoText; }

// Play modes of the ZT jukebox's own-choice songs.
inline constexpr char PlayModeList[] = "LIST";
inline constexpr char PlayModeReplay[] = "REPLAY";
inline constexpr char PlayModeRandom[] = "RANDOM";

namespace keys {

inline constexpr char BasicSection[] = "Basic Setting";
inline constexpr char ReportSection[] = "Report Rule";
inline constexpr char ZtSection[] = "Zt Setting";
inline constexpr char VkmSection[] = "Vkm Setting";
inline constexpr char PcJukeboxSection[] = "Vorel_KTV Setting";
inline constexpr char ObrelSection[] = "Obrel Setting";

inline constexpr SettingKey Language{BasicSection, "Language", "0"};
inline constexpr SettingKey PingYing{BasicSection, "PingYing", "0"};
inline constexpr SettingKey SongNameFormat{BasicSection, "SongNameFormat", "0"};
inline constexpr SettingKey DefaultSongVolumn{BasicSection, "DefaultSongVolumn", "-1"};
inline constexpr SettingKey SelfDefine1{BasicSection, "SelfDefine1", "-1"};
inline constexpr SettingKey SelfDefine2{BasicSection, "SelfDefine2", "-1"};
inline constexpr SettingKey SelfDefine3{BasicSection, "SelfDefine3", "-1"};
inline constexpr SettingKey SelfDefine4{BasicSection, "SelfDefine4", "-1"};
inline constexpr SettingKey SelfDefine5{BasicSection, "SelfDefine5", "-1"};
inline constexpr SettingKey SelfDefine6{BasicSection, "SelfDefine6", "-1"};
inline constexpr SettingKey SelfDefine7{BasicSection, "SelfDefine7", "-1"};
inline constexpr SettingKey SelfDefine8{BasicSection, "SelfDefine8", "-1"};
inline constexpr SettingKey IsSameSongNameBeSameSong{BasicSection, "IsSameSongNameBeSameSong", "no"};
inline constexpr SettingKey IsBatchAddIncludeWarningSong{BasicSection, "IsBatchAddIncludeWarningSong", "yes"};
inline constexpr SettingKey IdxFileOutputFormat{BasicSection, "IdxFileOutputFormat", "2"};
inline constexpr SettingKey FirstTime{BasicSection, "FirstTime", "yes"};

inline constexpr SettingKey IsMainLanguageContinue{ReportSection, "IsMainLanguageContinue", "yes"};
inline constexpr SettingKey IsOtherReportContinue{ReportSection, "IsOtherReportContinue", "yes"};
inline constexpr SettingKey IsOutputWithPingYing{ReportSection, "IsOutputWithPingYing", "no"};
inline constexpr SettingKey IsSingerReportContinue{ReportSection, "IsSingerReportContinue", "yes"};
inline constexpr SettingKey IsSingerClassifiedByLanguage{ReportSection, "IsSingerClassifiedByLanguage", "no"};
inline constexpr SettingKey IsOutputSpecialDeleteSong{ReportSection, "IsOutputSpecialDeleteSong", "no"};
inline constexpr SettingKey SingerNameBackground{ReportSection, "SingerNameBackground", "0"};
inline constexpr SettingKey SingerOutputRowStyle{ReportSection, "SingerOutputRowStyle", "0"};
inline constexpr SettingKey SongReportLeadFontSize{ReportSection, "SongReportLeadFontSize", "24"};
inline constexpr SettingKey SongReportNormalFontSize{ReportSection, "SongReportNormalFontSize", "20"};
inline constexpr SettingKey SongReportSongNumPerPage{ReportSection, "SongReportSongNumPerPage", "50"};
inline constexpr SettingKey SingerReportLeadFontSize{ReportSection, "SingerReportLeadFontSize", "18"};
inline constexpr SettingKey SingerReportNormalFontSize{ReportSection, "SingerReportNormalFontSize", "14"};
inline constexpr SettingKey SingerMaleColor{ReportSection, "SingerMaleColor", "0"};
inline constexpr SettingKey SingerFemaleColor{ReportSection, "SingerFemaleColor", "0"};
inline constexpr SettingKey SingerGroupColor{ReportSection, "SingerGroupColor", "0"};
inline constexpr SettingKey SingerForeignColor{ReportSection, "SingerForeignColor", "0"};
inline constexpr SettingKey SingerDoubleColor{ReportSection, "SingerDoubleColor", "0"};
inline constexpr SettingKey SingerOtherColor{ReportSection, "SingerOtherColor", "0"};

inline constexpr SettingKey ZtPinYinIncludeJpn{ZtSection, "ZtPinYinIncludeJpn", "yes"};
inline constexpr SettingKey ZtPinYinIncludeChi{ZtSection, "ZtPinYinIncludeChi", "yes"};
inline constexpr SettingKey ZtPinYinIncludeEng{ZtSection, "ZtPinYinIncludeEng", "no"};
inline constexpr SettingKey ZtSelectedSongPlayMode{ZtSection, "ZtSelectedSongPlayMode", PlayModeReplay};

inline constexpr SettingKey IsSetPlayModeOnly{VkmSection, "IsSetPlayModeOnly", "1"};
inline constexpr SettingKey IsKaraokeAutoPlayEnable{VkmSection, "IsKaraokeAutoPlayEnable", "1"};
inline constexpr SettingKey IsKaraokeAutoPlayMode{VkmSection, "IsKaraokeAutoPlayMode", "1"};
inline constexpr SettingKey IsKaraokeAutoPlayTime{VkmSection, "IsKaraokeAutoPlayTime", "0"};
inline constexpr SettingKey IsPauseButtonShowMenu{VkmSection, "IsPauseButtonShowMenu", "0"};
inline constexpr SettingKey SystemTxtMsgTop_720x480{VkmSection, "SystemTxtMsgTop_720x480", "5"};
inline constexpr SettingKey SystemTxtMsgTop_1024x768{VkmSection, "SystemTxtMsgTop_1024x768", "0"};
inline constexpr SettingKey SystemTxtMsgTop_1280x720{VkmSection, "SystemTxtMsgTop_1280x720", "18"};

inline constexpr SettingKey RandomPlay{PcJukeboxSection, "RandomPlay", "0"};
inline constexpr SettingKey SerialSelectFontSize{PcJukeboxSection, "SerialSelectFontSize", "39"};

inline constexpr SettingKey Enable{ObrelSection, "Enable", "no"};
inline constexpr SettingKey Password{ObrelSection, "Password", ""};
inline constexpr SettingKey LastUpdate{ObrelSection, "LastUpdate", "0"};

}  // namespace keys

// [Basic Setting]
extern int Language;
extern int PingYing;
extern int SongNameFormat;
extern int DefaultSongVolumn;
extern int SelfDefine1, SelfDefine2, SelfDefine3, SelfDefine4;
extern int SelfDefine5, SelfDefine6, SelfDefine7, SelfDefine8;
extern bool IsSameSongNameBeSameSong;
extern bool IsBatchAddIncludeWarningSong;
extern int IdxFileOutputFormat;  // mask: 1 ZT index files, 2 VKM index files, 4 and above QVi05 database

// [Report Rule]
extern bool IsMainLanguageContinue;
extern bool IsOtherReportContinue;
extern bool IsOutputWithPingYing;
extern bool IsSingerReportContinue;
extern bool IsSingerClassifiedByLanguage;
extern bool IsOutputSpecialDeleteSong;
extern int SingerNameBackground;
extern int SingerOutputRowStyle;
extern int SongReportLeadFontSize;
extern int SongReportNormalFontSize;
extern int SongReportSongNumPerPage;
extern int SingerReportLeadFontSize;
extern int SingerReportNormalFontSize;
extern int SingerMaleColor, SingerFemaleColor, SingerGroupColor;  // 0x00BBGGRR
extern int SingerForeignColor, SingerDoubleColor, SingerOtherColor;

// [Zt Setting]
extern bool ZtPinYinIncludeJpn;
extern bool ZtPinYinIncludeChi;
extern bool ZtPinYinIncludeEng;
extern std::string ZtSelectedSongPlayMode;  // "LIST", "REPLAY" or "RANDOM"

// [Vkm Setting]: filled by the settings dialog only, not at start.
extern int IsSetPlayModeOnly;
extern int IsKaraokeAutoPlayEnable;
extern int IsKaraokeAutoPlayMode;
extern int IsKaraokeAutoPlayTime;
extern int IsPauseButtonShowMenu;
extern int SystemTxtMsgTop_720x480;
extern int SystemTxtMsgTop_1024x768;
extern int SystemTxtMsgTop_1280x720;

// [Obrel Setting] Enable: the cloud song book is on.
extern bool ObrelEnabled;

}  // namespace setup

// Fills the values of [Basic Setting], [Report Rule], [Zt Setting] and [Obrel Setting] Enable from
// "setting.ini" in the program folder. Missing or unreadable texts give the defaults; nothing is written.
void LoadSettings();

// "setting.ini" in the program folder.
std::string SettingsFilePath();

// The key's text in "setting.ini" of the program folder, its default text when the file lacks it.
std::string ReadSetting(const SettingKey& key);

// The error box of a configuration file or folder that could not be written (path in UTF-8).
void ReportUnwritableFile(const std::string& path);

// Writes one key of "setting.ini" in the program folder and leaves the rest of the file as it is.
bool WriteSetting(const SettingKey& key, std::string_view value);
bool WriteSetting(const SettingKey& key, int value);

}  // namespace qv
