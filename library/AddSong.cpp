#include "library/AddSong.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "library/FileNameParser.h"
#include "library/SongFiles.h"
#include "platform/Sound.h"
#include "catalogue/UserInterface.h"
#include "settings/Settings.h"

namespace qv {

bool DiskFull = false;

namespace {

constexpr int SexButtons = 8;
constexpr int LanguageButtons = 9;
constexpr int JapaneseClassIndex = 5;
constexpr int JapaneseLanguage = 6;
constexpr int MaxWordCount = 11;
constexpr int ReportNameWidth = 30;
constexpr size_t StatusNameLimit = 21;
constexpr size_t StatusNameCut = 18;

AddSongHooks g_hooks;

const std::array<const char*, 16> MediaExtensions{".mpg", ".mpeg", ".dat",  ".avi", ".asf", ".vod",
                                                  ".vd1", ".vd2",  ".rmvb", ".vob", ".ts",  ".tp",
                                                  ".mkv", ".mp4",  ".flv",  ".mov"};

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string LastComponent(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string ReadingCode(const std::string& name, bool japanese) {
    return japanese ? MakeJapanesePinyin(name, setup::PingYing) : MakePinyin(name, setup::PingYing);
}

int WordCountOf(const std::string& name) { return std::min(CountSongWords(name), MaxWordCount); }

}  // namespace

NameParseSettings CurrentNameParseSettings() {
    NameParseSettings s;
    s.songNameFormat = setup::SongNameFormat;
    s.selfDefine = {setup::SelfDefine1, setup::SelfDefine2, setup::SelfDefine3, setup::SelfDefine4,
                    setup::SelfDefine5, setup::SelfDefine6, setup::SelfDefine7, setup::SelfDefine8};
    return s;
}

bool HasMediaExtension(const std::string& path) {
    const std::string ext = LowerAscii(PathExtension(path));
    return std::find(MediaExtensions.begin(), MediaExtensions.end(), ext) != MediaExtensions.end();
}

namespace {

// The 26 fields of a new song; the number is left to AddSongFile.
FieldList NewSongFields(const std::string& name, const std::string& pinyin, int wordCount,
                        const std::string& singer, int singerClass, int language,
                        const std::string& strokes) {
    FieldList f(AllSongColCount);
    f[colSongName] = name;
    f[colPinyin] = pinyin;
    f[colWordCount] = std::to_string(wordCount);
    f[colSinger] = NormalizeWideSpacing(singer);
    f[colSingerClass] = std::to_string(singerClass);
    f[colLanguage] = std::to_string(language);
    f[colStrokes] = strokes;
    f[colNewMark] = "*";
    f[colDateAdded] = TodayText();
    return f;
}

// Takes back a song whose record could not be appended: its row, any part of its record and its media.
void UndoAddedSong(int rowsBefore, const std::string& target) {
    if (AllSongCount > rowsBefore) {
        AllSong.resize(static_cast<size_t>(rowsBefore));
        AllSongCount = rowsBefore;
        std::erase_if(ShownRows, [rowsBefore](int r) { return r >= rowsBefore; });
    }
    DeleteMediaItem(target);  // a failed append took its own cut record away
}

void BeginAdding() {
    AddingSongs = true;
    if (g_hooks.resetFilters) g_hooks.resetFilters();
}

void EndAdding() {
    AddingSongs = false;
    if (g_hooks.refreshGridToEnd) g_hooks.refreshGridToEnd();
}

// Warning box; always false, so a failed check reads "return Refuse(...)".
bool Refuse(const char* text) {
    UI().ShowWarningBox(B5(text));
    return false;
}

// Trimmed and cut to its record field on a character boundary: the table keeps what "song.qv2" keeps.
std::string FitField(int column, const std::string& text) {
    return TrimAndCutName(text, SongFieldWidths[static_cast<size_t>(column)]);
}

std::string FailureLine(const std::string& shortName, const char* reason) {
    return FixTruncatedDbcsTail(PadField(shortName, ReportNameWidth, false)) + B5(reason);
}

}  // namespace

AddSongHooks& TheAddSongHooks() { return g_hooks; }

int RadioIndex(int n, int count) { return n + 1 >= 1 && n + 1 <= count ? n : -1; }

int SingerSuffixClass(const std::string& entry) {
    const auto& names = SingerClassNames();
    for (int k = 0; k < static_cast<int>(names.size()); ++k) {
        const std::string suffix = "(" + names[k] + ")";
        if (entry.size() >= suffix.size() &&
            entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) == 0)
            return k + 1;
    }
    return 5;
}

NameCodes CodesForName(const std::string& songName, int classIndex) {
    NameCodes codes;
    if (songName.empty()) return codes;
    codes.strokes = std::to_string(Big5StrokeCountOfFirstChar(songName));
    const int words = CountSongWords(songName);
    codes.wordIndex = words > 10 ? 10 : words - 1;
    codes.pinyin = ReadingCode(songName, classIndex == JapaneseClassIndex);
    return codes;
}

void FillPanelFromFile(AddPanel& panel, const std::string& path) {
    ParsedSongName parsed;
    ParseSongFileName(path, CurrentNameParseSettings(), parsed);
    panel.songName = parsed.name;
    panel.singer = parsed.singer;
    panel.sexIndex = RadioIndex(parsed.singerClass - 1, SexButtons);
    panel.classIndex = RadioIndex(parsed.language - 1, LanguageButtons);
}

std::vector<std::string> SingerChoicesFor(const std::string& singerText) {
    if (singerText.empty()) return SingerDisplayList;
    const std::string wanted = LowerCaseBig5(singerText);
    std::vector<std::string> found;
    for (const std::string& entry : SingerDisplayList)
        if (FindAligned(LowerCaseBig5(entry), wanted) != std::string::npos) found.push_back(entry);
    return found.empty() ? SingerDisplayList : found;
}

SingerChoice ChooseSingerEntry(const std::string& entry) {
    SingerChoice choice;
    const int k = SingerSuffixClass(entry);
    // Byte lengths of a bracketed class name of three, two and four characters.
    const size_t cut = (k == 1 || k == 2) ? 8 : k == 5 ? 6 : 10;
    choice.singer = entry.size() > cut ? entry.substr(0, entry.size() - cut) : std::string();
    choice.sexIndex = RadioIndex(k - 1, SexButtons);
    const auto it = std::find(SingerDisplayList.begin(), SingerDisplayList.end(), entry);
    const size_t at = static_cast<size_t>(it - SingerDisplayList.begin());
    if (at < SingerDisplayLanguages.size())
        choice.classIndex = RadioIndex(SafeStrToInt(SingerDisplayLanguages[at]) - 1, LanguageButtons);
    return choice;
}

bool IsTmpgEncMpeg(const std::string& path) {
    const std::string ext = LowerAscii(PathExtension(path));
    if (ext != ".mpg" && ext != ".dat") return false;
    // The encoder's mark lies in bytes 2000 to 2499.
    std::string head;
    if (!ReadFileHead(path, head, 2500) || head.size() <= 2000) return false;
    return head.find("TMPGEnc", 2000) != std::string::npos;
}

FieldList BuildNewSongFields(const AddPanel& panel) {
    return NewSongFields(panel.songName, panel.pinyin, panel.wordIndex + 1, panel.singer, panel.sexIndex + 1,
                         panel.classIndex + 1, panel.strokes);
}

bool AddSongFile(FieldList& fields, const std::string& source, bool picture) {
    fields.resize(std::max<size_t>(fields.size(), AllSongColCount));
    for (int f = 0; f < SongFieldCount; ++f)
        if (fields[f].size() > static_cast<size_t>(SongFieldWidths[f])) fields[f] = FitField(f, fields[f]);
    const int volume = setup::DefaultSongVolumn;
    fields[colVolume] =
        volume >= 1 && volume <= 15 ? VolumeCodes[static_cast<size_t>(volume)] : std::string();

    const std::string songNo = NextSongNumber(AllSongCount > 0 ? AllSong[AllSongCount - 1][colSongNo] : "");
    if (songNo.empty()) return false;
    fields[colSongNo] = songNo;
    const std::string folder = SongFolderOf(songNo);
    // Named with its volume and channel characters at once, as a rename afterwards would name it.
    const std::string name = MediaItemName(songNo, fields[colVolume], fields[colChannel],
                                           picture ? std::string() : PathExtension(source));
    const std::string target = PathIn(folder, name);
    if (!ReadySongFolderFor(folder, songNo, name, picture)) return false;
    if (!KeepsReserve(folder, FileOrFolderSize(source))) {
        DiskFull = true;
        return false;
    }
    const CopyResult copied = picture ? CopyFolderWithProgress(source, target, true)
                                      : CopyFileWithProgress(source, target, true);
    if (copied != CopyResult::Copied) return false;
    const int rowsBefore = AllSongCount;
    if (!AddSongRow(fields)) {
        UndoAddedSong(rowsBefore, target);
        return false;
    }
    return true;
}

bool AddSelectedSong(AddPanel& panel) {
    PlaySystemSound("start.wav");
    if (panel.selectedFiles.size() >= 2) return Refuse("選擇超過一首歌曲請用批量加歌!");
    const bool picture = panel.selectedFiles.empty();
    std::string source;
    if (picture) {
        const std::string folderName = Utf8ToBig5(LastComponent(panel.folder));
        const bool yes =
            g_hooks.askPictureFolder
                ? g_hooks.askPictureFolder(folderName)
                : UI().AskYesNo(B5("將加入[") + folderName + B5("]資料夾為照片點播. 確定要新增?"));
        if (!yes) return false;
        // As if typed into the name box: its strokes, word count and reading code follow.
        const NameCodes codes = CodesForName(folderName, panel.classIndex);
        panel.songName = folderName;
        panel.strokes = codes.strokes;
        panel.wordIndex = codes.wordIndex;
        panel.pinyin = codes.pinyin;
        panel.singer = B5("佚名");
        panel.sexIndex = 4;
        panel.classIndex = 4;
        source = panel.folder;
    } else {
        source = panel.selectedFiles.front();
    }

    // Trimmed first, so a name of blanks counts as empty.
    panel.songName = FitField(colSongName, panel.songName);
    panel.singer = FitField(colSinger, panel.singer);
    if (panel.songName.empty()) return Refuse("請輸入歌曲名稱!");
    if (panel.singer.empty()) return Refuse("請輸入歌手名稱!");
    if (TrimBlanks(panel.strokes).empty()) return Refuse("請輸入歌曲第一個字的筆劃!");
    if (RadioIndex(panel.wordIndex, MaxWordCount) < 0) return Refuse("請選取字部!");
    if (RadioIndex(panel.sexIndex, SexButtons) < 0) return Refuse("請選取歌手類別!");
    if (RadioIndex(panel.classIndex, LanguageButtons) < 0) return Refuse("請選取歌曲種類!");
    if (!picture) {
        if (source.empty()) return Refuse("請選取歌曲影音檔!");
        if (IsTmpgEncMpeg(source) &&
            !UI().AskYesNo(
                B5("此檔案編碼特殊, QV02系列點歌機可能會播放不順, 建議重新轉檔後再加入. 確定要新增?")))
            return false;
    }
    if (!IsValidSongText(panel.songName))
        return Refuse("歌名中有不合法的字元, 強行加入可能會造成點歌機當機.");
    if (!IsValidSongText(panel.singer))
        return Refuse("歌手名稱中有不合法的字元, 強行加入可能會造成點歌機當機.");

    FieldList fields = BuildNewSongFields(panel);
    if (picture) fields[colDomesticPhoto] = "*";
    BeginAdding();
    bool added = false;
    const std::string language = std::to_string(panel.classIndex + 1);
    if (FindDuplicateSong(panel.songName, panel.singer, "", language) >= 0) {
        UI().ShowWarningBox(B5("歌手[") + panel.singer + B5("]已有相同語言的同名歌曲存在!"));
    } else if (panel.fuzzy && FuzzyFindSimilar(panel.songName) &&
               !UI().AskYesNo(B5("模糊比對結果顯示有類似歌曲存在. 要加入這首歌?"))) {
        // declined
    } else {
        UI().ShowWaitMessage(B5("檔案新增中, 請稍候 ..."));
        std::string name = panel.songName;
        added = AddSongFile(fields, source, picture);
        if (added) {
            panel.songName.clear();
            panel.singer.clear();
            panel.strokes.clear();
            panel.pinyin.clear();
        }
        UI().HideWaitMessage();
        if (name.size() > StatusNameLimit) name = FixTruncatedDbcsTail(name.substr(0, StatusNameCut)) + "...";
        PlaySystemSound("Windows XP 列印完成.wav");
        UI().SetLineMessage("[" + name + (added ? B5("] 新增完成") : B5("] 新增失敗")));
    }
    EndAdding();
    return added;
}

BatchAddResult AddSongsInBatch(const AddPanel& panel) {
    BatchAddResult result;
    PlaySystemSound("start.wav");
    const bool wholeTree = setup::SongNameFormat == 5 || setup::SongNameFormat == 6;
    if (!wholeTree && panel.selectedFiles.empty()) {
        UI().ShowWarningBox(B5("請於歌曲列表中選擇欲新增之歌曲影音檔!"));
        return result;
    }
    BeginAdding();
    UI().SetProgress(0, 100);
    UI().ShowWaitMessage(B5("檔案新增中, 請稍候 ..."));

    std::vector<std::string> files;
    if (wholeTree)
        CollectFilesRecursive(files, panel.folder);
    else
        files = panel.selectedFiles;
    result.sources = static_cast<int>(files.size());
    const NameParseSettings settings = CurrentNameParseSettings();

    for (size_t i = 0; i < files.size(); ++i) {
        UI().SetProgress(static_cast<int>(i * 100 / files.size()), 100);
        UI().ProcessEvents();
        const std::string& file = files[i];
        const std::string shortName = Utf8ToBig5(LastComponent(file));
        if (!HasMediaExtension(file)) {
            result.failed.push_back(FailureLine(shortName, "原因:歌曲影音檔格式不支援"));
            continue;
        }
        ParsedSongName parsed;
        if (!ParseSongFileName(file, settings, parsed)) {
            result.failed.push_back(FailureLine(shortName, "原因:資料庫內找不到該歌手"));
            continue;
        }
        if (IsTmpgEncMpeg(file)) {
            result.warned.push_back(shortName + B5("(編碼特殊, QV02系列點歌機可能會播放不順)"));
            if (!setup::IsBatchAddIncludeWarningSong) continue;
        }
        const std::string name = FitField(colSongName, parsed.name);
        const std::string singer = FitField(colSinger, parsed.singer);
        if (!IsValidSongText(name)) {
            result.failed.push_back(FailureLine(shortName, "原因:歌名中有不合法的字元"));
            continue;
        }
        if (!IsValidSongText(singer)) {
            result.failed.push_back(FailureLine(shortName, "原因:歌手名稱中有不合法的字元"));
            continue;
        }
        FieldList fields = NewSongFields(name, ReadingCode(name, parsed.language == JapaneseLanguage),
                                         WordCountOf(name), singer, parsed.singerClass, parsed.language,
                                         std::to_string(Big5StrokeCountOfFirstChar(name)));
        if (FindDuplicateSong(name, singer, "", std::to_string(parsed.language)) >= 0) {
            result.failed.push_back(FailureLine(shortName, "原因:該歌手已有相同語言的同名歌曲存在"));
            continue;
        }
        DiskFull = false;
        if (AddSongFile(fields, file, false))
            result.succeeded.push_back(shortName);
        else if (DiskFull)
            result.failed.push_back(FailureLine(shortName, "原因:磁碟已滿，無法複製影音檔案"));
        else
            result.failed.push_back(FailureLine(shortName, "原因:無法複製歌曲影音檔，磁碟可能有寫入保護"));
    }

    UI().HideWaitMessage();
    PlaySystemSound("ding.wav");
    UI().SetProgress(100, 100);
    if (result.failed.empty() && result.warned.empty()) {
        UI().SetLineMessage(B5("批量加入") + std::to_string(result.succeeded.size()) + B5("首歌曲全部成功"));
    } else {
        result.report = BatchReportLines(result);
        if (g_hooks.showBatchReport)
            g_hooks.showBatchReport(result.report);
        else
            UI().ShowInfoMessage(JoinLinesCrLf(result.report));
    }
    UI().SetProgress(0, 100);
    EndAdding();
    return result;
}

std::vector<std::string> BatchReportLines(const BatchAddResult& r) {
    std::vector<std::string> lines;
    lines.push_back(B5("批量加") + std::to_string(r.sources) + B5("首歌,成功") +
                    std::to_string(r.succeeded.size()) + B5("首,警示") + std::to_string(r.warned.size()) +
                    B5("首,失敗") + std::to_string(r.failed.size()) + B5("首"));
    lines.push_back(B5("--------失敗歌曲--------"));
    lines.insert(lines.end(), r.failed.begin(), r.failed.end());
    lines.push_back(B5(setup::IsBatchAddIncludeWarningSong ? "--------*警示歌曲已加入*--------"
                                                           : "--------*警示歌曲未加入*--------"));
    lines.insert(lines.end(), r.warned.begin(), r.warned.end());
    lines.push_back(B5("--------成功歌曲--------"));
    lines.insert(lines.end(), r.succeeded.begin(), r.succeeded.end());
    return lines;
}

bool SaveBatchReport(const std::string& path, const std::vector<std::string>& lines) {
    if (!ReplaceFileContents(path, JoinLinesCrLf(lines))) {
        UI().ShowErrorBox(B5("無法儲存") + Utf8ToBig5(path));
        return false;
    }
    UI().ShowInfoMessage(B5("存檔完成"));
    return true;
}

}  // namespace qv
