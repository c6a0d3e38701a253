#include "settings/Settings.h"

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/UserInterface.h"
#include "settings/IniFile.h"

namespace qv {
namespace setup {

int Language = 0;
int PingYing = 0;
int SongNameFormat = 0;
int DefaultSongVolumn = -1;
int SelfDefine1 = -1, SelfDefine2 = -1, SelfDefine3 = -1, SelfDefine4 = -1;
int SelfDefine5 = -1, SelfDefine6 = -1, SelfDefine7 = -1, SelfDefine8 = -1;
bool IsSameSongNameBeSameSong = false;
bool IsBatchAddIncludeWarningSong = true;
int IdxFileOutputFormat = 2;

bool IsMainLanguageContinue = true;
bool IsOtherReportContinue = true;
bool IsOutputWithPingYing = false;
bool IsSingerReportContinue = true;
bool IsSingerClassifiedByLanguage = false;
bool IsOutputSpecialDeleteSong = false;
int SingerNameBackground = 0;
int SingerOutputRowStyle = 0;
int SongReportLeadFontSize = 24;
int SongReportNormalFontSize = 20;
int SongReportSongNumPerPage = 50;
int SingerReportLeadFontSize = 18;
int SingerReportNormalFontSize = 14;
int SingerMaleColor = 0, SingerFemaleColor = 0, SingerGroupColor = 0;
int SingerForeignColor = 0, SingerDoubleColor = 0, SingerOtherColor = 0;

bool ZtPinYinIncludeJpn = true;
bool ZtPinYinIncludeChi = true;
bool ZtPinYinIncludeEng = false;
std::string ZtSelectedSongPlayMode = PlayModeReplay;

int IsSetPlayModeOnly = 1;
int IsKaraokeAutoPlayEnable = 1;
int IsKaraokeAutoPlayMode = 1;
int IsKaraokeAutoPlayTime = 0;
int IsPauseButtonShowMenu = 0;
int SystemTxtMsgTop_720x480 = 5;
int SystemTxtMsgTop_1024x768 = 0;
int SystemTxtMsgTop_1280x720 = 18;

bool ObrelEnabled = false;

}  // namespace setup

namespace {

std::string Text(const IniFile& ini, const SettingKey& key) {
    return ini.ReadString(key.section, key.name, key.defaultText);
}

// A text that is no integer counts 0, even where the default is -1.
int Number(const IniFile& ini, const SettingKey& key) { return SafeStrToInt(Text(ini, key)); }

// Only the listed sizes are kept; anything else, a missing key too, gives the key's default.
int FontSize(const IniFile& ini, const SettingKey& key) {
    return SafeStrToInt(ValidFontSize(Text(ini, key), key.defaultText));
}

bool Flag(const IniFile& ini, const SettingKey& key) { return Text(ini, key) == setup::YesText; }

}  // namespace

void LoadSettings() {
    using namespace setup;
    const IniFile ini(SettingsFilePath());

    Language = Number(ini, keys::Language);
    PingYing = Number(ini, keys::PingYing);
    SongNameFormat = Number(ini, keys::SongNameFormat);
    DefaultSongVolumn = Number(ini, keys::DefaultSongVolumn);
    SelfDefine1 = Number(ini, keys::SelfDefine1);
    SelfDefine2 = Number(ini, keys::SelfDefine2);
    SelfDefine3 = Number(ini, keys::SelfDefine3);
    SelfDefine4 = Number(ini, keys::SelfDefine4);
    SelfDefine5 = Number(ini, keys::SelfDefine5);
    SelfDefine6 = Number(ini, keys::SelfDefine6);
    SelfDefine7 = Number(ini, keys::SelfDefine7);
    SelfDefine8 = Number(ini, keys::SelfDefine8);

    IsMainLanguageContinue = Flag(ini, keys::IsMainLanguageContinue);
    IsOtherReportContinue = Flag(ini, keys::IsOtherReportContinue);
    IsOutputWithPingYing = Flag(ini, keys::IsOutputWithPingYing);
    IsSingerReportContinue = Flag(ini, keys::IsSingerReportContinue);
    IsSingerClassifiedByLanguage = Flag(ini, keys::IsSingerClassifiedByLanguage);
    IsOutputSpecialDeleteSong = Flag(ini, keys::IsOutputSpecialDeleteSong);
    IsSameSongNameBeSameSong = Flag(ini, keys::IsSameSongNameBeSameSong);
    IsBatchAddIncludeWarningSong = Flag(ini, keys::IsBatchAddIncludeWarningSong);

    SingerNameBackground = Number(ini, keys::SingerNameBackground);
    SingerOutputRowStyle = Number(ini, keys::SingerOutputRowStyle);
    SongReportLeadFontSize = FontSize(ini, keys::SongReportLeadFontSize);
    SongReportNormalFontSize = FontSize(ini, keys::SongReportNormalFontSize);
    SongReportSongNumPerPage = Number(ini, keys::SongReportSongNumPerPage);
    SingerReportLeadFontSize = FontSize(ini, keys::SingerReportLeadFontSize);
    SingerReportNormalFontSize = FontSize(ini, keys::SingerReportNormalFontSize);
    SingerMaleColor = Number(ini, keys::SingerMaleColor);
    SingerFemaleColor = Number(ini, keys::SingerFemaleColor);
    SingerGroupColor = Number(ini, keys::SingerGroupColor);
    SingerForeignColor = Number(ini, keys::SingerForeignColor);
    SingerDoubleColor = Number(ini, keys::SingerDoubleColor);
    SingerOtherColor = Number(ini, keys::SingerOtherColor);

    ZtPinYinIncludeJpn = Flag(ini, keys::ZtPinYinIncludeJpn);
    ZtPinYinIncludeChi = Flag(ini, keys::ZtPinYinIncludeChi);
    ZtPinYinIncludeEng = Flag(ini, keys::ZtPinYinIncludeEng);
    std::string playMode = Text(ini, keys::ZtSelectedSongPlayMode);
    ZtSelectedSongPlayMode =
        (playMode == PlayModeList || playMode == PlayModeRandom) ? playMode : PlayModeReplay;

    ObrelEnabled = Flag(ini, keys::Enable);
    IdxFileOutputFormat =
        ini.ReadInteger(keys::IdxFileOutputFormat.section, keys::IdxFileOutputFormat.name, 2);
}

void ReportUnwritableFile(const std::string& path) {
    UI().ShowErrorBox(B5("無法寫入檔案:") + Utf8ToBig5(path));
}

std::string SettingsFilePath() { return PathIn(AppDir, setup::SettingsFileName); }

std::string ReadSetting(const SettingKey& key) { return Text(IniFile(SettingsFilePath()), key); }

bool WriteSetting(const SettingKey& key, std::string_view value) {
    IniFile ini(SettingsFilePath());
    return ini.WriteString(key.section, key.name, value);
}

bool WriteSetting(const SettingKey& key, int value) { return WriteSetting(key, std::to_string(value)); }

}  // namespace qv
