#include "settings/SetupPages.h"

#include <algorithm>
#include <climits>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/UserInterface.h"
#include "settings/IniFile.h"

namespace qv::setup {
namespace {

constexpr int kFormatOfItem[FileNameItemCount] = {0, 8, 1, 2, 3, 4, 5, 6, 7};

const SettingKey* const kSelfDefineKeys[8] = {&keys::SelfDefine1, &keys::SelfDefine2, &keys::SelfDefine3,
                                              &keys::SelfDefine4, &keys::SelfDefine5, &keys::SelfDefine6,
                                              &keys::SelfDefine7, &keys::SelfDefine8};
int* const kSelfDefineValues[8] = {&SelfDefine1, &SelfDefine2, &SelfDefine3, &SelfDefine4,
                                   &SelfDefine5, &SelfDefine6, &SelfDefine7, &SelfDefine8};

const SettingKey* const kColourKeys[6] = {&keys::SingerMaleColor,   &keys::SingerFemaleColor,
                                          &keys::SingerGroupColor,  &keys::SingerForeignColor,
                                          &keys::SingerDoubleColor, &keys::SingerOtherColor};
int* const kColourValues[6] = {&SingerMaleColor,    &SingerFemaleColor, &SingerGroupColor,
                               &SingerForeignColor, &SingerDoubleColor, &SingerOtherColor};

int ItemCount(const std::vector<const char*>& items) { return static_cast<int>(items.size()); }

bool Listed(const std::vector<const char*>& items, const std::string& text) {
    return std::any_of(items.begin(), items.end(), [&](const char* item) { return text == item; });
}

// The list item equal to the text, else the key's default text.
std::string ListedOrDefault(const std::vector<const char*>& items, const std::string& text,
                            const SettingKey& key) {
    return Listed(items, text) ? text : std::string(key.defaultText);
}

bool FlagOf(const SettingKey& key) { return ReadSetupKey(key) == YesText; }

// A real field of a custom form: neither unset (-1) nor "(無)" (0).
bool RealField(int index) { return index > 0; }

bool SameRealField(int a, int b) { return RealField(a) && a == b; }

bool IsPositiveNumber(const std::string& text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return IsInteger(text) && SafeStrToInt(text) > 0;
}

}  // namespace

std::string ReadSetupKey(const SettingKey& key) {
    return IniFile(SetupFile(SettingsFileName)).ReadString(key.section, key.name, key.defaultText);
}

int ReadSetupInt(const SettingKey& key, int lowest, int highest) {
    const std::string text = ReadSetupKey(key);
    const int fallback = SafeStrToInt(key.defaultText);
    if (!IsInteger(text)) return fallback;
    const int value = SafeStrToInt(text);
    return value >= lowest && value <= highest ? value : fallback;
}

SetupWriter::SetupWriter() : path_(SetupFile(SettingsFileName)) {}

SetupWriter& SetupWriter::Put(const SettingKey& key, const std::string& value) {
    if (!ok_) return *this;
    if (!IniFile(path_).WriteString(key.section, key.name, value)) {
        ok_ = false;
        ReportUnwritableFile(path_);
    }
    return *this;
}

int SongNameFormatOfItem(int item) { return item >= 0 && item < FileNameItemCount ? kFormatOfItem[item] : 0; }

int FileNameItemOfFormat(int format) {
    for (int item = 0; item < FileNameItemCount; ++item)
        if (kFormatOfItem[item] == format) return item;
    return 0;
}

const std::vector<const char*>& FileNameItemTexts() {
    static const std::vector<const char*> items{"原始設定1 (去除括弧內文字, 括弧內文字不計字數, 不產生拼音)",
                                                "原始設定2 (保留括弧內文字, 括弧內文字不計字數, 不產生拼音)",
                                                "歌名_歌手名稱&&歌手名稱_性別_語言.xxx",
                                                "資料夾形式: 語言/性別/歌名_歌手名稱&&歌手名稱.xxx (選檔案)",
                                                "資料夾形式: 性別/語言/歌名_歌手名稱&&歌手名稱.xxx (選檔案)",
                                                "資料夾形式: 語言/性別/歌手名稱/歌名.xxx (選檔案)",
                                                "資料夾形式: 語言/性別/歌手名稱/歌名.xxx (選語言資料夾)",
                                                "自訂資料夾形式:",
                                                "自訂檔案形式:"};
    return items;
}

const std::vector<const char*>& FolderLevelItems() {
    static const std::vector<const char*> items{"(無)", "語言", "歌手種類", "歌手名稱"};
    return items;
}

const std::vector<const char*>& FolderFileItems() {
    static const std::vector<const char*> items{"歌名.xxx", "歌手_歌名.xxx", "歌手-歌名.xxx", "歌名_歌手.xxx",
                                                "歌名-歌手.xxx"};
    return items;
}

const std::vector<const char*>& FileFieldItems() {
    static const std::vector<const char*> items{"(無)", "語言", "性別", "歌手名稱", "歌名"};
    return items;
}

int VolumeItemCount() { return 16; }

BasicPage LoadBasicSettings() {
    BasicPage page;
    page.language = ReadSetupInt(keys::Language, 0, 1);
    page.pingYing = ReadSetupInt(keys::PingYing, 0, 2);
    page.fileNameItem = FileNameItemOfFormat(ReadSetupInt(keys::SongNameFormat, 0, 8));
    for (int i = 0; i < 8; ++i) {
        const int items = ItemCount(i < 3    ? FolderLevelItems()
                                    : i == 3 ? FolderFileItems()
                                             : FileFieldItems());
        page.selfDefine[i] = ReadSetupInt(*kSelfDefineKeys[i], -1, items - 1);
    }
    page.defaultSongVolumn = ReadSetupInt(keys::DefaultSongVolumn, -1, VolumeItemCount() - 1);
    page.sameSongNameBeSameSong = FlagOf(keys::IsSameSongNameBeSameSong);
    page.excludeWarningSongs = !FlagOf(keys::IsBatchAddIncludeWarningSong);
    return page;
}

BasicPage DefaultBasicSettings() { return BasicPage{}; }

std::string CheckBasicSettings(const BasicPage& page) {
    const auto& d = page.selfDefine;
    if (page.fileNameItem == CustomFolderItem) {
        if (d[3] < 0 || SameRealField(d[0], d[1]) || SameRealField(d[0], d[2]) || SameRealField(d[1], d[2]))
            return B5("自訂資料夾形式有誤, 請檢查!");
    }
    if (page.fileNameItem == CustomFileItem) {
        bool anyField = false, twice = false;
        for (int i = 4; i < 8; ++i) {
            anyField = anyField || RealField(d[i]);
            for (int j = i + 1; j < 8; ++j) twice = twice || SameRealField(d[i], d[j]);
        }
        if (!anyField || twice) return B5("自訂檔案形式有誤, 請檢查!");
    }
    return {};
}

bool ApplyBasicSettings(const BasicPage& page) {
    const std::string wrong = CheckBasicSettings(page);
    if (!wrong.empty()) {
        UI().ShowErrorBox(wrong);
        return false;
    }
    const int format = SongNameFormatOfItem(page.fileNameItem);
    SetupWriter out;
    out.Put(keys::Language, page.language)
        .Put(keys::PingYing, page.pingYing)
        .Put(keys::SongNameFormat, format)
        .Put(keys::DefaultSongVolumn, page.defaultSongVolumn);
    for (int i = 0; i < 8; ++i) out.Put(*kSelfDefineKeys[i], page.selfDefine[i]);
    out.Put(keys::IsSameSongNameBeSameSong, page.sameSongNameBeSameSong)
        .Put(keys::IsBatchAddIncludeWarningSong, !page.excludeWarningSongs);
    if (!out.Ok()) return false;

    Language = page.language;
    PingYing = page.pingYing;
    SongNameFormat = format;
    DefaultSongVolumn = page.defaultSongVolumn;
    for (int i = 0; i < 8; ++i) *kSelfDefineValues[i] = page.selfDefine[i];
    IsSameSongNameBeSameSong = page.sameSongNameBeSameSong;
    IsBatchAddIncludeWarningSong = !page.excludeWarningSongs;
    return true;
}

const std::vector<const char*>& FontSizeItems() {
    static const std::vector<const char*> items{"14", "16", "18", "20", "22", "24", "26", "28"};
    return items;
}

const std::vector<const char*>& SongsPerPageItems() {
    static const std::vector<const char*> items{"50", "52", "56", "60", "70"};
    return items;
}

ReportRulePage LoadReportRule() {
    ReportRulePage page;
    page.mainLanguageContinue = FlagOf(keys::IsMainLanguageContinue);
    page.otherReportContinue = FlagOf(keys::IsOtherReportContinue);
    page.outputWithPingYing = FlagOf(keys::IsOutputWithPingYing);
    page.singerReportContinue = FlagOf(keys::IsSingerReportContinue);
    page.singerClassifiedByLanguage = FlagOf(keys::IsSingerClassifiedByLanguage);
    page.excludeSpecialDeleteSongs = !FlagOf(keys::IsOutputSpecialDeleteSong);
    page.singerNameBackground = ReadSetupInt(keys::SingerNameBackground, 0, 1);
    page.singerOutputRowStyle = ReadSetupInt(keys::SingerOutputRowStyle, 0, 1);
    auto font = [](const SettingKey& key) {
        return ListedOrDefault(FontSizeItems(), ReadSetupKey(key), key);
    };
    page.songLeadFontSize = font(keys::SongReportLeadFontSize);
    page.songNormalFontSize = font(keys::SongReportNormalFontSize);
    page.singerLeadFontSize = font(keys::SingerReportLeadFontSize);
    page.singerNormalFontSize = font(keys::SingerReportNormalFontSize);
    page.songsPerPage = ListedOrDefault(SongsPerPageItems(), ReadSetupKey(keys::SongReportSongNumPerPage),
                                        keys::SongReportSongNumPerPage);
    for (int i = 0; i < 6; ++i) page.colours[i] = ReadSetupInt(*kColourKeys[i], INT_MIN, INT_MAX);
    return page;
}

ReportRulePage DefaultReportRule() { return ReportRulePage{}; }

bool ApplyReportRule(ReportRulePage& page) {
    if (!IsPositiveNumber(page.songsPerPage)) {
        UI().ShowErrorBox(B5("每頁歌曲數必須是正整數, 請檢查!"));
        return false;
    }
    SetupWriter out;
    out.Put(keys::IsMainLanguageContinue, page.mainLanguageContinue)
        .Put(keys::IsOtherReportContinue, page.otherReportContinue)
        .Put(keys::IsOutputWithPingYing, page.outputWithPingYing)
        .Put(keys::IsSingerReportContinue, page.singerReportContinue)
        .Put(keys::IsSingerClassifiedByLanguage, page.singerClassifiedByLanguage)
        .Put(keys::IsOutputSpecialDeleteSong, !page.excludeSpecialDeleteSongs)
        .Put(keys::SingerNameBackground, page.singerNameBackground)
        .Put(keys::SingerOutputRowStyle, page.singerOutputRowStyle)
        .Put(keys::SongReportSongNumPerPage, page.songsPerPage)
        .Put(keys::SongReportLeadFontSize, page.songLeadFontSize)
        .Put(keys::SongReportNormalFontSize, page.songNormalFontSize)
        .Put(keys::SingerReportLeadFontSize, page.singerLeadFontSize)
        .Put(keys::SingerReportNormalFontSize, page.singerNormalFontSize);
    for (int i = 0; i < 6; ++i) out.Put(*kColourKeys[i], page.colours[i]);
    if (!out.Ok()) return false;

    IsMainLanguageContinue = page.mainLanguageContinue;
    IsOtherReportContinue = page.otherReportContinue;
    IsOutputWithPingYing = page.outputWithPingYing;
    IsSingerReportContinue = page.singerReportContinue;
    IsSingerClassifiedByLanguage = page.singerClassifiedByLanguage;
    IsOutputSpecialDeleteSong = !page.excludeSpecialDeleteSongs;
    SingerNameBackground = page.singerNameBackground;
    SingerOutputRowStyle = page.singerOutputRowStyle;
    // A typed size outside the list stays in the file as typed; in use, and shown, is the default.
    auto font = [&](std::string& text, int& value, const SettingKey& key) {
        text = ListedOrDefault(FontSizeItems(), text, key);
        value = SafeStrToInt(text);
    };
    font(page.songLeadFontSize, SongReportLeadFontSize, keys::SongReportLeadFontSize);
    font(page.songNormalFontSize, SongReportNormalFontSize, keys::SongReportNormalFontSize);
    font(page.singerLeadFontSize, SingerReportLeadFontSize, keys::SingerReportLeadFontSize);
    font(page.singerNormalFontSize, SingerReportNormalFontSize, keys::SingerReportNormalFontSize);
    SongReportSongNumPerPage = SafeStrToInt(page.songsPerPage);
    for (int i = 0; i < 6; ++i) *kColourValues[i] = page.colours[i];
    return true;
}

ObrelPage LoadObrelSettings() {
    ObrelPage page;
    ObrelEnabled = false;
    page.enabled = FlagOf(keys::Enable);
    ObrelEnabled = page.enabled;
    const std::string hex = ReadSetupKey(keys::Password);
    // A hand-broken value (odd length, no hex pairs) shows no password rather than garbage.
    if (hex.size() % 2 == 0) page.password = UnscrambleHex(hex, HexScrambleStartKey);
    const bool printable = std::all_of(page.password.begin(), page.password.end(),
                                       [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
    if (!printable || page.password.size() > 2 * PasswordMaxLength) page.password.clear();
    return page;
}

bool ApplyObrelSettings(const ObrelPage& page) {
    SetupWriter out;
    out.Put(keys::Enable, page.enabled)
        .Put(keys::Password, ScrambleToHex(page.password, HexScrambleStartKey));
    if (!out.Ok()) return false;
    ObrelEnabled = page.enabled;
    return true;
}

}  // namespace qv::setup
