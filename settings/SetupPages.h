#pragma once
// What the settings dialog's basic, song-book rules and cloud tabs show, read from and written to
// "setting.ini" below AppPath, without widgets. A loader never fails: a text that is not an integer, or an
// index the control does not have, shows the key's default. An apply reports through UI() and is true
// when the tab's keys were all written and the settings values updated.
#include <array>
#include <string>
#include <vector>

#include "settings/Settings.h"

namespace qv::setup {

// Reads one key of "setting.ini" below AppPath.
std::string ReadSetupKey(const SettingKey& key);
// The key's integer; its default when the text is not an integer or lies outside [lowest, highest].
int ReadSetupInt(const SettingKey& key, int lowest, int highest);

// Writes keys in order and stops at the first that fails, with an error message naming the file.
class SetupWriter {
public:
    SetupWriter();
    SetupWriter& Put(const SettingKey& key, const std::string& value);
    SetupWriter& Put(const SettingKey& key, int value) { return Put(key, std::to_string(value)); }
    SetupWriter& Put(const SettingKey& key, bool flag) { return Put(key, std::string(FlagText(flag))); }
    bool Ok() const { return ok_; }

private:
    std::string path_;
    bool ok_ = true;
};

// Basic tab. Combo indexes are -1 for no choice.
struct BasicPage {
    int language = 0;      // LanguageRadioGroup
    int pingYing = 0;      // PingYingRadioGroup
    int fileNameItem = 0;  // FileNameRadioGroup item (not the stored value)
    std::array<int, 8> selfDefine{-1, -1, -1, -1, -1, -1, -1, -1};  // ComboBox6 .. ComboBox13
    int defaultSongVolumn = -1;                                     // ComboBox14
    bool sameSongNameBeSameSong = false;                            // CheckBox6
    bool excludeWarningSongs = false;  // CheckBox10: the opposite of IsBatchAddIncludeWarningSong
};

inline constexpr int FileNameItemCount = 9;
inline constexpr int CustomFolderItem = 7;
inline constexpr int CustomFileItem = 8;
// SongNameFormat value shown by each FileNameRadioGroup item, and back (an unknown value shows item 0).
int SongNameFormatOfItem(int item);
int FileNameItemOfFormat(int format);

// Item texts of the basic tab's lists (UTF-8 literals of the sources).
const std::vector<const char*>& FileNameItemTexts();
const std::vector<const char*>& FolderLevelItems();  // ComboBox6 .. ComboBox8
const std::vector<const char*>& FolderFileItems();   // ComboBox9
const std::vector<const char*>& FileFieldItems();    // ComboBox10 .. ComboBox13
int VolumeItemCount();                               // ComboBox14: blank, then 1 .. 15

BasicPage LoadBasicSettings();
BasicPage DefaultBasicSettings();
// The error message of a wrong custom folder or file form, empty when the page may be written.
std::string CheckBasicSettings(const BasicPage& page);
bool ApplyBasicSettings(const BasicPage& page);

// Song-book rules tab. The combo texts are Big5 as shown (typed text included).
struct ReportRulePage {
    bool mainLanguageContinue = true;         // CheckBox1
    bool otherReportContinue = true;          // CheckBox2
    bool outputWithPingYing = false;          // CheckBox3
    bool singerReportContinue = true;         // CheckBox4
    bool singerClassifiedByLanguage = false;  // CheckBox5
    bool excludeSpecialDeleteSongs = true;    // CheckBox7: the opposite of IsOutputSpecialDeleteSong
    int singerNameBackground = 0;             // RadioGroup1
    int singerOutputRowStyle = 0;             // RadioGroup2
    std::string songLeadFontSize = "24";      // ComboBox1
    std::string songNormalFontSize = "20";    // ComboBox2
    std::string singerLeadFontSize = "18";    // ComboBox3
    std::string singerNormalFontSize = "14";  // ComboBox4
    std::string songsPerPage = "50";          // ComboBox15
    // MalePanel, FemalePanel, GroupPanel, ForeignPanel, DoublePanel, OtherPanel; 0x00BBGGRR
    std::array<int, 6> colours{0, 0, 0, 0, 0, 0};
};

const std::vector<const char*>& FontSizeItems();      // "14" .. "28"
const std::vector<const char*>& SongsPerPageItems();  // "50" .. "70"

ReportRulePage LoadReportRule();
ReportRulePage DefaultReportRule();
// Refuses a songs-a-page text that is not a positive number before anything is written. Writes the
// texts as shown; afterwards a font size outside the list is the key's default in the page and in use.
bool ApplyReportRule(ReportRulePage& page);

// Cloud tab. The password is Big5 text of at most PasswordMaxLength characters.
struct ObrelPage {
    bool enabled = false;  // CheckBox14
    std::string password;  // PasswordEdit
};
inline constexpr int PasswordMaxLength = 10;

// Also sets ObrelEnabled from the file. A stored password that is no scrambled text shows empty.
ObrelPage LoadObrelSettings();
bool ApplyObrelSettings(const ObrelPage& page);

}  // namespace qv::setup
