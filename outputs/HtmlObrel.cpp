#include "outputs/HtmlObrel.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/DiskFiles.h"
#include "settings/Settings.h"
#include "platform/Http.h"
#include "platform/ServerHosts.h"

namespace qv {
namespace {

constexpr int RowsPerPage = 50;
constexpr int NewLanguage = 10;
constexpr int FavouriteLanguage = 11;
constexpr int LanguageCount = 11;
constexpr int GroupCount = 12;

const std::array<const char*, LanguageCount + 1> PageNames{"",           "Mandarin", "Taiwanese", "Cantonese",
                                                           "English",    "Other",    "Japanese",  "Hakka",
                                                           "Vietnamese", "Rhymes",   "New",       "Favorite"};
const std::array<const char*, LanguageCount + 1> DisplayNames{"",     "國語", "台語", "粵語", "英語", "其他",
                                                              "日語", "客語", "越語", "兒歌", "新進", "最愛"};
const std::array<const char*, GroupCount> GroupHeadings{"零字部", "一字部", "二字部", "三字部",
                                                        "四字部", "五字部", "六字部", "七字部",
                                                        "八字部", "九字部", "十字部", "十字部以上"};
const std::array<const char*, GroupCount> GroupLabels{"零", "一", "二", "三", "四", "五",
                                                      "六", "七", "八", "九", "十", "十字部以上"};

int LanguageOf(const std::string& code) {
    const int value = IsInteger(code) ? SafeStrToInt(code) : 0;
    return value >= 1 && value <= 9 ? value : 5;
}

// Names go into markup: the four characters that would end it are escaped (a Big5 trail byte never
// takes their values).
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

int GroupOf(const std::string& wordCount) { return std::clamp(SafeStrToInt(wordCount), 0, GroupCount - 1); }

// For each word-count group, the page of the language's run on which the group begins; "" for none.
std::array<std::string, GroupCount> GroupStartPages(const std::vector<ObrelBookRow>& rows, size_t first) {
    std::array<std::string, GroupCount> pages;
    const int language = rows[first].language;
    int last = -1;
    for (size_t s = first; s < rows.size() && rows[s].language == language; ++s) {
        if (s != first && rows[s].wordCount == rows[s - 1].wordCount) continue;
        if (TrimTrailingBlanks(TrimLeadingBlanks(rows[s].wordCount)).empty()) continue;
        const int g = GroupOf(rows[s].wordCount);
        pages[g] = std::to_string((s - first) / RowsPerPage + 1);
        for (int below = g - 1; below >= 0 && pages[below].empty(); --below) pages[below] = pages[g];
        last = g;
    }
    if (last >= 0)
        for (int above = last + 1; above < GroupCount; ++above) pages[above] = pages[last];
    return pages;
}

class PageWriter {
public:
    PageWriter(const std::vector<ObrelBookRow>& rows, const std::array<bool, LanguageCount + 1>& present)
        : rows_(rows), present_(present) {}

    std::string Page(size_t first, size_t end, int page, const std::array<std::string, GroupCount>& groups) {
        lines_.clear();
        const int language = rows_[first].language;
        Add({"<html>", "<head>", "<title>QVi雲端歌簿</title>",
             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">",
             "<STYLE type=text/css>"});
        for (const char* selector : {"A:link {", "A:visited {", "A:active {", "A:hover {"})
            Add({selector, "TEXT-DECORATION: none", "}"});
        Add({"</STYLE>", "</head>",
             "<link rel=\"shortcut icon\" href=\"/obrel/icon.ico\" type=\"image/x-icon\" />",
             "<body bgcolor=\"#FFFFFF\" text=\"#000000\" link=\"#000000\" vlink=\"#000000\" "
             "alink=\"#000000\" "
             "leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\">"});
        const bool nextByTop =
            first + RowsPerPage < rows_.size() && rows_[first + RowsPerPage].language == language;
        Navigation("form2", "SelectLanguage", language, page, groups, nextByTop);

        const bool grouped = language <= 9;
        Add({"<table width=\"100%\">", "<tr>", "<td width=\"33%\">",
             "<div align=\"left\"><b><font size=\"5\">"});
        if (grouped) Add({GroupHeadings[GroupOf(rows_[first].wordCount)]});
        Add({"</font></b></div>", "</td>", "<td width=\"34%\">",
             "<div align=\"center\"><b><font size=\"7\">"});
        Add({DisplayNames[language]});
        Add({"</font></b></div>", "</td>", "<td width=\"33%\">",
             "<div align=\"right\"><b><font size=\"5\">"});
        if (grouped) lines_.push_back(Escaped(rows_[first].strokes) + B5("劃"));
        Add({"</font></b></div>", "</td>", "</tr>", "</table>"});

        Add({"<table width=\"100%\" border=\"2\" bordercolor=\"#000000\">"});
        for (size_t k = 0; first + k < end; ++k) SongRow(rows_[first + k], k % 2 == 1);
        Add({"</table>"});

        const bool nextByBottom = end < rows_.size() && rows_[end].language == language;
        Navigation("form3", "SelectLanguage2", language, page, groups, nextByBottom);
        return JoinLinesCrLf(lines_);
    }

private:
    void Add(std::initializer_list<const char*> utf8Lines) {
        for (const char* line : utf8Lines) lines_.push_back(B5(line));
    }

    static std::string Link(const std::string& page, const std::string& number, const std::string& label) {
        return "<a href=\"" + page + "_" + number + ".html\">" + label + "</a>";
    }

    void Navigation(const char* form, const char* select, int language, int page,
                    const std::array<std::string, GroupCount>& groups, bool next) {
        const std::string name = PageNames[language];
        Add({"<table width=\"100%\">", "  <tr>", "    <td width=\"12%\" height=\"13\">",
             "      <div align=\"left\"><b><font size=\"5\" color=\"#FF0000\">"});
        if (page > 1) lines_.push_back(Link(name, std::to_string(page - 1), B5("上一頁")));
        Add({"</font></b></div>", "</td>", "<td width=\"76%\" height=\"13\">", "<div align=\"center\">"});
        lines_.push_back(std::string("<form name=\"") + form + "\" method=\"post\" action=\"\">");
        Add({"<font size=\"5\"><b><font size=\"6\">"});
        lines_.push_back(std::string("<SELECT NAME=\"") + select + "\" onChange=\"location.href=" + select +
                         ".value\">");
        for (int c = 1; c <= LanguageCount; ++c) {
            if (!present_[c]) continue;
            lines_.push_back(std::string("<OPTION VALUE=\"") + PageNames[c] + "_1.html\"" +
                             (c == language ? " selected>" : ">"));
            Add({DisplayNames[c], "</OPTION>"});
        }
        Add({"</SELECT>"});
        if (language <= 9)
            for (int g = 0; g < GroupCount; ++g)
                if (!groups[g].empty()) lines_.push_back(Link(name, groups[g], B5(GroupLabels[g])));
        Add({"</font></b></font>", "</form>", "</div>", "</td>", "<td width=\"12%\" height=\"13\">",
             "<div align=\"right\"><b><font size=\"5\" color=\"#FF0000\">"});
        if (next) lines_.push_back(Link(name, std::to_string(page + 1), B5("下一頁")));
        Add({"</font></b></div>", "</td>", "</tr>", "</table>"});
    }

    void SongRow(const ObrelBookRow& row, bool shaded) {
        lines_.push_back(shaded ? "<tr height=44 class=xl24 style=\"height:33.0pt\" bgcolor=\"#CCCCCC\">"
                                : "<tr height=44 class=xl24 style=\"height:33.0pt\">");
        const std::string number = Escaped(row.songNo);
        lines_.push_back(
            "<td height=44 class=xl24 style=\"height:33.0pt;border-top:none\" width=\"10%\"><b>"
            "<font size=\"6\" face=\"Arial, Helvetica, sans-serif\"><a name=\"" +
            number + "\">" + number + "</a></font></b></td>");
        const std::string cell =
            "<td class=xl25 style=\"border-top:none;border-left:none\" width=\"62%\"><b><font size=\"6\" "
            "class=\"font8\">";
        if (row.name.size() >= 2 && IsBig5LeadByte(static_cast<unsigned char>(row.name[0])))
            lines_.push_back(cell + "<font size=\"7\" color=\"black\">" + row.name.substr(0, 2) + "</font>" +
                             Escaped(row.name.substr(2)) + "</a></font></b></td>");
        else
            lines_.push_back(cell + Escaped(row.name) + "</a></font></b></td>");
        lines_.push_back("<td class=xl26 style=\"border-top:none\" width=\"18%\"><b><font size=\"5\">" +
                         Escaped(row.singer) + "</a></font></b></td>");
        lines_.push_back("</tr>");
    }

    const std::vector<ObrelBookRow>& rows_;
    const std::array<bool, LanguageCount + 1>& present_;
    std::vector<std::string> lines_;
};

std::string RedirectPage(const std::string& target) {
    std::vector<std::string> lines{
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">",
        "<html>",
        "<head>",
        B5("<title>QVi雲端歌簿</title>"),
        "<meta http-equiv=\"refresh\" content =\"0; url=" + target + "\">",
        "</head>",
        "<link rel=\"shortcut icon\" href=\"/obrel/icon.ico\" type=\"image/x-icon\" />",
        "<body>",
        B5("轉向雲端歌簿第一頁"),
        "</body>",
        "</html>"};
    return JoinLinesCrLf(lines);
}

bool Unwritable(const std::string& path) {
    ReportUnwritableFile(path);
    return false;
}

}  // namespace

std::string ObrelFolder() { return PathIn(AppDir, "obrel"); }

std::vector<ObrelBookRow> ObrelBookRows() {
    std::vector<int> order;
    for (int row = 0; row < AllSongCount; ++row)
        if (AllSong[row][colSpecialDel] != "X") order.push_back(row);
    std::sort(order.begin(), order.end(), [](int a, int b) { return CompareSongBookOrder(a, b) < 0; });
    std::vector<ObrelBookRow> rows;
    for (int row : order) {
        const SongRow& song = AllSong[row];
        rows.push_back({song[colSongNo], FixTruncatedDbcsTail(song[colSongName]),
                        FixTruncatedDbcsTail(song[colSinger]), LanguageOf(song[colLanguage]),
                        song[colWordCount], song[colStrokes]});
    }
    const size_t books = rows.size();
    for (int copy : {NewLanguage, FavouriteLanguage}) {
        for (size_t i = 0; i < books; ++i) {
            const SongRow& song = AllSong[order[i]];
            if ((copy == NewLanguage ? song[colNewMark] : song[colFavourite]) != "*") continue;
            rows.push_back(rows[i]);
            rows.back().language = copy;
        }
    }
    return rows;
}

std::vector<ObrelPage> ObrelBookPages(const std::vector<ObrelBookRow>& rows,
                                      const std::function<void(int)>& progress) {
    std::array<bool, LanguageCount + 1> present{};
    for (const ObrelBookRow& row : rows) present[row.language] = true;
    PageWriter writer(rows, present);
    std::vector<ObrelPage> pages;
    std::string redirect;
    std::array<std::string, GroupCount> groups;
    size_t r = 0;
    for (int page = 1; r < rows.size() && page < 10001;) {
        if (progress) progress(static_cast<int>(r * 100 / rows.size()));
        const int language = rows[r].language;
        if (r == 0 || rows[r - 1].language != language) groups = GroupStartPages(rows, r);
        size_t end = r;
        while (end < rows.size() && end - r < RowsPerPage && rows[end].language == language) ++end;
        const std::string fileName = std::string(PageNames[language]) + "_" + std::to_string(page) + ".html";
        pages.push_back({fileName, writer.Page(r, end, page, groups)});
        if (redirect.empty()) redirect = fileName;
        r = end;
        page = r < rows.size() && rows[r].language != language ? 1 : page + 1;
    }
    if (!redirect.empty()) pages.push_back({"obrel.html", RedirectPage(redirect)});
    return pages;
}

bool WriteOfflineObrelBook(const std::function<void(int)>& progress) {
    if (progress) progress(0);
    const std::string folder = ObrelFolder();
    ::mkdir(folder.c_str(), 0777);
    if (!DeleteFolderFiles(folder, "*")) return Unwritable(folder);
    Http().Download(CloudSongBookService().webAddress + "/icon.ico", folder + "/icon.ico");
    for (const ObrelPage& page : ObrelBookPages(ObrelBookRows(), progress)) {
        const std::string path = folder + "/" + page.fileName;
        if (!ReplaceFileContents(path, page.bytes)) return Unwritable(path);
    }
    if (progress) progress(100);
    return true;
}

}  // namespace qv
