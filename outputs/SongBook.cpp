#include "outputs/SongBook.h"

#include <chrono>
#include <ctime>
#include <exception>
#include <filesystem>
#include <thread>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/UserInterface.h"
#include "library/Startup.h"
#include "platform/OdsWorkbook.h"
#include "settings/Settings.h"

namespace qv {

std::string ExcelSheetChinese, ExcelSheetEnglish, ExcelSheetStrokes;

namespace {

Spreadsheet* engine = nullptr;

const char* const kWordCountNames[] = {"零", "一", "二", "三", "四", "五",
                                       "六", "七", "八", "九", "十", "十以上"};

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y/%m/%d", &local);
    return buffer;
}

// The first `count` characters of a Big5 text.
std::string FirstCharacters(const std::string& text, int count) {
    size_t i = 0;
    for (int n = 0; n < count && i < text.size(); ++n) i += Big5CharLength(text, i);
    return text.substr(0, i);
}

// The bar runs once from 0 to 100 over a book: the template's conversion (when it is not kept from an
// earlier run), the pages, then the book's conversion on saving.
constexpr int TemplateBarEnd = 10;
constexpr int PagesBarEnd = 55;

int BarWithin(int from, int to, long long done, long long total) {
    return from + static_cast<int>(total > 0 ? done * (to - from) / total : to - from);
}

// An error box ends the command's wait window and bar first.
void ShowRunError(const std::string& text) {
    UI().HideWaitMessage();
    UI().SetProgress(0, 100);
    UI().ShowErrorBox(text);
}

bool Refuse() {
    if (ExcelAvailable && engine) return false;
    UI().ShowErrorBox(B5("您必須先安裝LibreOffice Calc才能輸出歌簿."));
    return true;
}

}  // namespace

Spreadsheet* SongBookEngine() { return engine; }
void SetSongBookEngine(Spreadsheet* e) { engine = e; }

int SongsPerPage() { return setup::SongReportSongNumPerPage > 0 ? setup::SongReportSongNumPerPage : 50; }

std::string StrokeHeadingText(int strokes) { return std::to_string(strokes == 0 ? 1 : strokes) + B5("劃"); }

std::string WordCountName(const std::string& wordCount) {
    if (!IsInteger(wordCount)) return {};
    const int n = SafeStrToInt(wordCount);
    if (n < 0) return {};
    return B5(kWordCountNames[n > 11 ? 11 : n]);
}

int SingerClassColor(const std::string& singerClass) {
    if (singerClass == "1") return setup::SingerMaleColor;
    if (singerClass == "2") return setup::SingerFemaleColor;
    if (singerClass == "4") return setup::SingerForeignColor;
    if (singerClass == "6") return setup::SingerDoubleColor;
    return setup::SingerGroupColor;
}

std::string SplitDuetSingerLines(const std::string& singer, bool& split) {
    split = false;
    std::string result = singer;
    const size_t p = singer.find("  ");
    if (p != std::string::npos && p + 1 <= 9) {
        const std::string left = singer.substr(0, p);
        std::string right = singer.substr(p + 2);
        if (const size_t q = right.find("  "); q != std::string::npos) right.erase(q, 2);
        result = left + "\n" + right;
        split = true;
    } else if (singer.size() >= 9) {
        size_t c = 1;  // 1-based, as the cut point is counted
        while (c < 9) {
            const bool lead = IsBig5LeadByte(static_cast<unsigned char>(singer[c - 1]));
            if (lead && c == 8) break;
            c += lead ? 2 : 1;
        }
        result = singer.substr(0, c - 1) + "\n" + singer.substr(c - 1);
        split = true;
    }
    if (result.size() == 4) result += B5("　");
    return result;
}

bool OpenBookTemplate(const std::string& path) {
    if (!std::filesystem::is_regular_file(path)) {
        ShowRunError(Utf8ToBig5(path) + B5("不存在"));
        return false;
    }
    engine->CloseWorkbooks();
    const bool singer = path.find(SingerBookTemplateName) != std::string::npos;
    if (singer) {
        ExcelSheetChinese = B5(setup::SingerOutputRowStyle == 1 ? "中文格式放大" : "中文格式");
    } else {
        switch (setup::SongReportSongNumPerPage) {
            case 70:
                ExcelSheetChinese = B5("中文格式70");
                break;
            case 60:
                ExcelSheetChinese = B5("中文格式60");
                break;
            case 56:
                ExcelSheetChinese = B5("中文格式56");
                break;
            case 52:
                ExcelSheetChinese = B5("中文格式52");
                break;
            default:
                ExcelSheetChinese = B5("中文格式");
        }
    }
    ExcelSheetEnglish = B5("英文格式");
    ExcelSheetStrokes = singer ? B5("歌手姓氏筆劃格式") : std::string();
    // A template not converted before moves the bar while the converter reads it.
    const bool bound = engine->Open(path,
                                    [](int percent) {
                                        UI().SetProgress(BarWithin(0, TemplateBarEnd, percent, 100), 100);
                                        UI().ProcessEvents();
                                    }) &&
                       engine->SheetItem(ExcelSheetChinese) > 0 && engine->SheetItem(ExcelSheetEnglish) > 0 &&
                       (!singer || engine->SheetItem(ExcelSheetStrokes) > 0);
    if (!bound) {
        // A converter that failed is named; otherwise the template is at fault.
        const std::string converterFailure = engine->LastFailure();
        engine->CloseWorkbooks();
        ShowRunError(converterFailure.empty() ? B5("歌簿格式檔之工作表名稱有錯或不存在.") : converterFailure);
        return false;
    }
    return true;
}

void ShowPageProgress(int done, int total) {
    static int shown = -1;
    const int position = BarWithin(TemplateBarEnd, PagesBarEnd, done, total);
    if (position == shown && done != 0) return;
    shown = position;
    UI().SetProgress(position, 100);
    UI().ProcessEvents();
}

int BeginPage(const std::string& templateSheet, int& pagesMade) {
    ++pagesMade;
    engine->CopySheetBefore(engine->SheetItem(templateSheet), pagesMade);
    return pagesMade;
}

bool SaveBook(const std::string& fileName, const std::function<void()>& afterSave) {
    const std::string path = PathIn(AppDir, fileName);
    const bool saved = engine->SaveAs(path, [](int percent) {
        UI().SetProgress(BarWithin(PagesBarEnd, 100, percent, 100), 100);
        UI().ProcessEvents();
    });
    if (saved && afterSave) afterSave();
    engine->CloseWorkbooks();
    UI().HideWaitMessage();
    if (!saved) {
        UI().SetProgress(0, 100);
        if (const std::string converterFailure = engine->LastFailure(); !converterFailure.empty())
            UI().ShowErrorBox(converterFailure + "\n" + B5("歌簿輸出失敗, 歌簿未存檔."));
        else
            ReportUnwritableFile(path);
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    UI().SetProgress(100, 100);
    UI().ProcessEvents();
    UI().ShowInfoMessage(B5("歌簿產生完成"));
    UI().SetProgress(0, 100);
    return true;
}

void WriteSongBook(bool newOnly, bool mainLanguageContinue, bool otherContinue, bool withPinyin) {
    const int perPage = SongsPerPage();
    const int half = (perPage + 1) / 2;
    const int count = static_cast<int>(ShownRows.size());
    const std::string today = Today() + B5("新歌簿");
    int pagesMade = 0, pageNo = 0, onPage = 0, page = 0;
    bool newPage = true;
    for (int i = 0; i < count; ++i) {
        ShowPageProgress(i + 1, count);
        const SongRow& row = AllSong[ShownRows[i]];
        const bool english = row[colLanguage] == "4";
        if (!(newOnly && row[colNewMark].empty())) {
            if (newPage) {
                page = BeginPage(english ? ExcelSheetEnglish : ExcelSheetChinese, pagesMade);
                if (english) {
                    engine->SetCellText(page, 1, 1, row[colWordCount]);
                    engine->SetCellText(page, 1, 6, FirstCharacters(row[colSongName], 1));
                } else {
                    engine->SetCellText(page, 1, 1, StrokeHeadingText(SafeStrToInt(row[colStrokes])));
                    if (newOnly) engine->SetCellText(page, 1, 2, today);
                    engine->SetCellText(page, 1, 3, LanguageNameOfCode(SafeStrToInt(row[colLanguage])));
                    engine->SetCellText(page, 1, 5, WordCountName(row[colWordCount]));
                }
                const bool languageChanged =
                    i == 0 || row[colLanguage] != AllSong[ShownRows[i - 1]][colLanguage];
                pageNo = languageChanged ? 1 : pageNo + 1;
                const std::string name =
                    LanguageNameOfCode(SafeStrToInt(row[colLanguage])) + "-" + std::to_string(pageNo);
                if (!engine->SetSheetName(page, name)) UI().ShowInfoMessage(name);
                onPage = 0;
                newPage = false;
            }
            int line = onPage + 3, first = 1;
            if (!english && onPage >= half) {
                line = onPage - half + 3;
                first = 4;
            }
            const std::string& pinyin = row[colPinyin];
            if (withPinyin && !pinyin.empty()) {
                engine->SetCellText(page, line, first,
                                    row[colSongNo] + "\n" +
                                        ZhuyinKeysToBopomofo(FirstCharacters(pinyin, 8), setup::PingYing));
                engine->SetFontSize(page, line, first, 11);
            } else {
                engine->SetCellText(page, line, first, row[colSongNo]);
            }
            const std::string& name = row[colSongName];
            engine->SetCellText(page, line, first + 1, name);
            engine->SetCharactersFontSize(page, line, first + 1, 1, 1, setup::SongReportLeadFontSize);
            engine->SetCharactersFontSize(page, line, first + 1, 2, static_cast<int>(name.size()),
                                          setup::SongReportNormalFontSize);
            const int singerColumn = english ? 6 : first + 2;
            engine->SetFontColor(page, line, singerColumn, SingerClassColor(row[colSingerClass]));
            if (english) {
                engine->SetCellText(page, line, 6, row[colSinger]);
            } else {
                bool split = false;
                engine->SetCellText(page, line, singerColumn, SplitDuetSingerLines(row[colSinger], split));
                if (split)
                    engine->SetFontSize(page, line, singerColumn,
                                        perPage == 70                      ? 8
                                        : (perPage == 60 || perPage == 56) ? 9
                                                                           : 10);
            }
            ++onPage;
        }
        if (newPage || i == count - 1) continue;
        const SongRow& next = AllSong[ShownRows[i + 1]];
        const bool continues = row[colLanguage] == "5" ? otherContinue : mainLanguageContinue;
        if (onPage >= (english ? EnglishSongsPerPage : perPage) || next[colLanguage] != row[colLanguage] ||
            (next[colWordCount] != row[colWordCount] && !continues))
            newPage = true;
    }
}

bool RunBook(const BookRun& run) {
    if (Refuse()) return false;
    // Opening a template may take a conversion of many seconds: the wait window and the bar come first.
    UI().ShowWaitMessage(B5("歌簿排序中, 請稍候 ..."));
    UI().SetProgress(0, 100);
    UI().ProcessEvents();
    if (!OpenBookTemplate(PathIn(AppDir, run.templateName))) return false;
    try {
        run.select();
        UI().HideWaitMessage();
        UI().ShowWaitMessage(B5("歌簿輸出中, 請稍候 ..."));
        ShowPageProgress(0, 1);
        run.write();
        SaveBook(run.fileName, run.afterSave);
    } catch (const std::exception&) {
        engine->CloseWorkbooks();
        ShowRunError(B5("歌簿輸出失敗, 歌簿未存檔."));
    }
    return true;
}

bool WriteSongBookCommand(SongBookKind kind) {
    static const char* const kFiles[] = {"總歌簿.xls",   "新歌簿.xls",   "流行歌簿.xls", "最愛歌簿.xls",
                                         "懷舊歌簿.xls", "經典歌簿.xls", "自選歌簿.xls"};
    const int index = static_cast<int>(kind);
    const bool newOnly = kind == SongBookKind::New;
    const int collection = kind >= SongBookKind::Popular && kind <= SongBookKind::Classic ? index - 1 : 0;
    BookRun run;
    run.templateName = SongBookTemplateName;
    run.fileName = kFiles[index];
    run.select = [&] {
        FilterSongList(newOnly, "", !setup::IsOutputSpecialDeleteSong, collection,
                       kind == SongBookKind::SelfPlay, false, 0);
        SortItems(ShownRows, CompareSongBookOrder);
    };
    run.write = [&] {
        WriteSongBook(newOnly, setup::IsMainLanguageContinue, setup::IsOtherReportContinue,
                      setup::IsOutputWithPingYing);
    };
    if (newOnly) run.afterSave = [] { MarkNewSongsBooked(); };
    return RunBook(run);
}

bool WriteRangeSongBookCommand() {
    if (Refuse()) return false;
    std::string from, to;
    if (!UI().AskIndexRange(from, to)) return false;
    const int low = SafeStrToInt(from), high = SafeStrToInt(to);
    if (AllSongCount == 0 || SafeStrToInt(AllSong[AllSongCount - 1][colSongNo]) < low ||
        SafeStrToInt(AllSong[0][colSongNo]) > high) {
        UI().ShowWarningBox(B5("範圍內無資料!"));
        return false;
    }
    auto isSongNo = [](const std::string& no) {
        for (int r = 0; r < AllSongCount; ++r)
            if (AllSong[r][colSongNo] == no) return true;
        return false;
    };
    std::string first = from, last = to;
    if (!isSongNo(first)) {
        first.clear();
        for (int r = 0; r < AllSongCount && first.empty(); ++r)
            if (SafeStrToInt(AllSong[r][colSongNo]) >= low) first = AllSong[r][colSongNo];
    }
    if (!isSongNo(last)) {
        last.clear();
        for (int r = AllSongCount - 1; r >= 0 && last.empty(); --r)
            if (SafeStrToInt(AllSong[r][colSongNo]) <= high) last = AllSong[r][colSongNo];
    }
    BookRun run;
    run.templateName = SongBookTemplateName;
    run.fileName = "範圍歌簿.xls";
    run.select = [&] {
        ShowSongRange(first, last);
        SortItems(ShownRows, CompareSongBookOrder);
    };
    run.write = [] {
        WriteSongBook(false, setup::IsMainLanguageContinue, setup::IsOtherReportContinue,
                      setup::IsOutputWithPingYing);
    };
    return RunBook(run);
}

}  // namespace qv
