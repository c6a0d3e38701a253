#include "outputs/SingerBook.h"

#include <algorithm>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongTable.h"
#include "catalogue/SongView.h"
#include "outputs/SongBook.h"
#include "settings/Settings.h"

namespace qv {

std::vector<std::string> LeadCharList;

namespace {

constexpr int kSilver = 0xC0C0C0;
constexpr int kStrokeRows = 27;
constexpr int kStrokeBlocks = 4;

struct Slot {
    int row, left;
};

Slot SlotAt(int k, int rows) { return {k % rows + 2, 1 + 3 * (k / rows)}; }

}  // namespace

void BuildLeadCharList() {
    LeadCharList.clear();
    for (const std::string& entry : SingerDisplayList) {
        if (entry.size() < 2 || !IsBig5LeadByte(static_cast<unsigned char>(entry[0]))) continue;
        const std::string c = entry.substr(0, 2);
        if (std::find(LeadCharList.begin(), LeadCharList.end(), c) != LeadCharList.end()) continue;
        const int s = Big5StrokeCountOfFirstChar(c);
        auto at = std::find_if(LeadCharList.begin(), LeadCharList.end(), [&](const std::string& e) {
            const int t = Big5StrokeCountOfFirstChar(e);
            return t > s || (t == s && ByteCompare(c, e) < 0);
        });
        LeadCharList.insert(at, c);
    }
}

std::string JoinDuetSingerNames(const std::string& singer) {
    std::string text = singer;
    if (const size_t p = text.find("  "); p != std::string::npos)
        text = text.substr(0, p) + "/" + text.substr(p + 2);
    if (const size_t p = text.find("  "); p != std::string::npos) text.erase(p, 2);
    if (text.size() == 4) text += B5("　");
    return text;
}

void WriteSingerBook(const SingerBookGeometry& g, bool singerContinue) {
    Spreadsheet& book = *SongBookEngine();
    const int slots = g.rows * g.blocks;
    const int count = static_cast<int>(ShownRows.size());
    int pagesMade = 0, pageNo = 0, onPage = 0, page = 0;
    bool newPage = true, headingDue = true;
    for (int i = 0; i < count;) {
        ShowPageProgress(i, count);
        const SongRow& row = AllSong[ShownRows[i]];
        if (newPage || (!singerContinue && headingDue)) {
            page = BeginPage(ExcelSheetChinese, pagesMade);
            book.SetCellText(
                page, 1, g.titleColumn,
                setup::IsSingerClassifiedByLanguage
                    ? B5("歌星歌簿(") + LanguageNameOfCode(SafeStrToInt(row[colLanguage])) + B5(")")
                    : B5("歌星歌簿"));
            ++pageNo;
            book.SetSheetName(page, B5("第") + std::to_string(pageNo) + B5("頁"));
            onPage = 0;
            newPage = false;
        }
        const Slot slot = SlotAt(onPage, g.rows);
        const int left = slot.left, right = slot.left + 1;
        if (headingDue) {
            if (setup::SingerNameBackground == 0) book.SetRangeFill(page, slot.row, left, right, kSilver);
            if (setup::SingerNameBackground == 1) book.SetRangeBorderWeight(page, slot.row, left, right, 4);
            book.SetRangeBorderLineStyle(page, slot.row, left, right, 1);
            book.SetFontSize(page, slot.row, left, g.strokeFontSize);
            book.SetFontSize(page, slot.row, right, g.singerFontSize);
            book.SetFontBold(page, slot.row, left, true);
            book.SetFontBold(page, slot.row, right, true);
            book.SetFontColor(page, slot.row, right, SingerClassColor(row[colSingerClass]));
            const std::string heading = JoinDuetSingerNames(row[colSinger]);
            book.SetCellText(page, slot.row, right, heading);
            book.SetCellText(page, slot.row, left, StrokeHeadingText(Big5StrokeCountOfFirstChar(heading)));
            ++onPage;
            headingDue = false;
            // The heading's song always follows it, so a full page passes it on even after the last heading.
            if (!newPage && onPage >= slots) newPage = true;
            continue;
        }
        const std::string& name = row[colSongName];
        book.SetCellText(page, slot.row, left, row[colSongNo]);
        book.SetCellText(page, slot.row, right, name);
        book.SetCharactersFontSize(page, slot.row, right, 1, 1, setup::SingerReportLeadFontSize);
        book.SetCharactersFontSize(page, slot.row, right, 2, static_cast<int>(name.size()),
                                   setup::SingerReportNormalFontSize);
        ++onPage;
        if (i < count - 1) {
            const SongRow& next = AllSong[ShownRows[i + 1]];
            if (!headingDue && next[colSinger] != row[colSinger]) headingDue = true;
            if (!newPage && (onPage >= slots ||
                             (setup::IsSingerClassifiedByLanguage && next[colLanguage] != row[colLanguage])))
                newPage = true;
        }
        ++i;
    }

    // The surname-stroke sheets.
    const int strokeSlots = kStrokeRows * kStrokeBlocks;
    const int leads = static_cast<int>(LeadCharList.size());
    int sheetNo = 0;
    onPage = 0;
    newPage = true;
    for (int j = 0; j < leads; ++j) {
        if (newPage) {
            page = BeginPage(ExcelSheetStrokes, pagesMade);
            ++sheetNo;
            book.SetSheetName(page, B5("歌手姓氏筆劃表-") + std::to_string(sheetNo));
            onPage = 0;
            newPage = false;
        }
        const Slot slot = SlotAt(onPage, kStrokeRows);
        const int strokes = Big5StrokeCountOfFirstChar(LeadCharList[j]);
        if (onPage == 0 || strokes != Big5StrokeCountOfFirstChar(LeadCharList[j - 1])) {
            book.SetRangeFill(page, slot.row, slot.left, slot.left + 1, kSilver);
            book.SetCellText(page, slot.row, slot.left, std::to_string(strokes) + B5("劃"));
        }
        book.SetCellText(page, slot.row, slot.left + 1, LeadCharList[j]);
        ++onPage;
        if (j < leads - 1 && onPage >= strokeSlots) newPage = true;
    }
}

bool WriteSingerBookCommand(bool newOnly) {
    BookRun run;
    run.templateName = SingerBookTemplateName;
    run.fileName = newOnly ? "歌手新歌簿.xls" : "歌手歌簿.xls";
    run.select = [newOnly] {
        FilterSongList(newOnly, "", !setup::IsOutputSpecialDeleteSong, 0, false, false, 0);
        // Songs marked in the list narrow the book to themselves.
        if (CountMarkedSongs() > 0) {
            std::erase_if(ShownRows, [](int r) { return AllSong[r][colSelect] != "*"; });
            TheSongView().RefreshRows();
        }
        SortItems(ShownRows,
                  setup::IsSingerClassifiedByLanguage ? CompareLanguageSingerOrder : CompareSingerOrder);
    };
    run.write = [] {
        BuildLeadCharList();
        if (setup::SingerOutputRowStyle == 1)
            WriteSingerBookThreeColumns(setup::IsSingerReportContinue);
        else
            WriteSingerBookFourColumns(setup::IsSingerReportContinue);
    };
    return RunBook(run);
}

}  // namespace qv
