// The offline HTML song book: the pages' bytes, their split by language and word count, the links, and
// the files left in the "obrel" folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "catalogue/TextFile.h"
#include "outputs/HtmlObrel.h"
#include "platform/ServerHosts.h"
#include "support/FakeUserInterface.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

ObrelBookRow Row(const std::string& no, const std::string& name, int language, const std::string& words,
                 const std::string& strokes = "5", const std::string& singer = "歌手") {
    return {no, Utf8ToBig5(name), Utf8ToBig5(singer), language, words, strokes};
}

std::vector<std::string> Lines(const ObrelPage& page) {
    std::vector<std::string> lines;
    for (const std::string& line : SplitTextLines(page.bytes)) lines.push_back(Big5ToUtf8(line));
    return lines;
}

size_t Count(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), text));
}

std::vector<std::string> Navigation(const std::string& form, const std::string& select) {
    std::vector<std::string> lines{
        "<table width=\"100%\">",
        "  <tr>",
        "    <td width=\"12%\" height=\"13\">",
        "      <div align=\"left\"><b><font size=\"5\" color=\"#FF0000\">",
        "</font></b></div>",
        "</td>",
        "<td width=\"76%\" height=\"13\">",
        "<div align=\"center\">",
        "<form name=\"" + form + "\" method=\"post\" action=\"\">",
        "<font size=\"5\"><b><font size=\"6\">",
        "<SELECT NAME=\"" + select + "\" onChange=\"location.href=" + select + ".value\">",
        "<OPTION VALUE=\"Mandarin_1.html\" selected>",
        "國語",
        "</OPTION>",
        "</SELECT>"};
    for (const char* label : {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十", "十字部以上"})
        lines.push_back(std::string("<a href=\"Mandarin_1.html\">") + label + "</a>");
    for (const char* line :
         {"</font></b></font>", "</form>", "</div>", "</td>", "<td width=\"12%\" height=\"13\">",
          "<div align=\"right\"><b><font size=\"5\" color=\"#FF0000\">", "</font></b></div>", "</td>",
          "</tr>", "</table>"})
        lines.push_back(line);
    return lines;
}

TEST(HtmlObrel, APageHoldsTheTemplateLineByLine) {
    const std::vector<ObrelPage> pages = ObrelBookPages({Row("00101", "愛你<b>", 1, "2", "13", "A&B")});
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].fileName, "Mandarin_1.html");
    std::vector<std::string> expected{
        "<html>", "<head>", "<title>QVi雲端歌簿</title>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">", "<STYLE type=text/css>"};
    for (const char* selector : {"A:link {", "A:visited {", "A:active {", "A:hover {"})
        expected.insert(expected.end(), {selector, "TEXT-DECORATION: none", "}"});
    expected.insert(
        expected.end(),
        {"</STYLE>", "</head>",
         "<link rel=\"shortcut icon\" href=\"/obrel/icon.ico\" type=\"image/x-icon\" />",
         "<body bgcolor=\"#FFFFFF\" text=\"#000000\" link=\"#000000\" vlink=\"#000000\" alink=\"#000000\" "
         "leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\">"});
    const std::vector<std::string> top = Navigation("form2", "SelectLanguage");
    expected.insert(expected.end(), top.begin(), top.end());
    expected.insert(
        expected.end(),
        {"<table width=\"100%\">",
         "<tr>",
         "<td width=\"33%\">",
         "<div align=\"left\"><b><font size=\"5\">",
         "二字部",
         "</font></b></div>",
         "</td>",
         "<td width=\"34%\">",
         "<div align=\"center\"><b><font size=\"7\">",
         "國語",
         "</font></b></div>",
         "</td>",
         "<td width=\"33%\">",
         "<div align=\"right\"><b><font size=\"5\">",
         "13劃",
         "</font></b></div>",
         "</td>",
         "</tr>",
         "</table>",
         "<table width=\"100%\" border=\"2\" bordercolor=\"#000000\">",
         "<tr height=44 class=xl24 style=\"height:33.0pt\">",
         "<td height=44 class=xl24 style=\"height:33.0pt;border-top:none\" width=\"10%\"><b><font "
         "size=\"6\" face=\"Arial, Helvetica, sans-serif\"><a name=\"00101\">00101</a></font></b></td>",
         "<td class=xl25 style=\"border-top:none;border-left:none\" width=\"62%\"><b><font size=\"6\" "
         "class=\"font8\"><font size=\"7\" color=\"black\">愛</font>你&lt;b&gt;</a></font></b></td>",
         "<td class=xl26 style=\"border-top:none\" width=\"18%\"><b><font size=\"5\">A&amp;B</a></font>"
         "</b></td>",
         "</tr>",
         "</table>"});
    const std::vector<std::string> bottom = Navigation("form3", "SelectLanguage2");
    expected.insert(expected.end(), bottom.begin(), bottom.end());
    EXPECT_EQ(Lines(pages[0]), expected);
    EXPECT_TRUE(pages[0].bytes.ends_with("</table>\r\n"));

    EXPECT_EQ(pages[1].fileName, "obrel.html");
    EXPECT_EQ(
        Lines(pages[1]),
        (std::vector<std::string>{
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">", "<html>", "<head>",
            "<title>QVi雲端歌簿</title>", "<meta http-equiv=\"refresh\" content =\"0; url=Mandarin_1.html\">",
            "</head>", "<link rel=\"shortcut icon\" href=\"/obrel/icon.ico\" type=\"image/x-icon\" />",
            "<body>", "轉向雲端歌簿第一頁", "</body>", "</html>"}));
}

TEST(HtmlObrel, PagesSplitByFiftyAndLinkTheWordCountGroups) {
    std::vector<ObrelBookRow> rows;
    for (int i = 0; i < 120; ++i) rows.push_back(Row(std::to_string(10101 + i), "歌", 1, i < 70 ? "2" : "3"));
    const std::vector<ObrelPage> pages = ObrelBookPages(rows);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[0].fileName, "Mandarin_1.html");
    EXPECT_EQ(pages[1].fileName, "Mandarin_2.html");
    EXPECT_EQ(pages[2].fileName, "Mandarin_3.html");
    const std::vector<std::string> first = Lines(pages[0]);
    EXPECT_EQ(Count(first, "<a href=\"Mandarin_2.html\">下一頁</a>"), 2u);
    EXPECT_EQ(Count(first, "<a href=\"Mandarin_0.html\">上一頁</a>"), 0u);
    for (const char* group : {"零", "一", "二"})
        EXPECT_EQ(Count(first, std::string("<a href=\"Mandarin_1.html\">") + group + "</a>"), 2u) << group;
    for (const char* group : {"三", "四", "十", "十字部以上"})
        EXPECT_EQ(Count(first, std::string("<a href=\"Mandarin_2.html\">") + group + "</a>"), 2u) << group;
    size_t songRows = 0, shaded = 0;
    for (const std::string& line : first) {
        songRows += line.starts_with("<tr height=44");
        shaded += line.ends_with("bgcolor=\"#CCCCCC\">");
    }
    EXPECT_EQ(songRows, 50u);
    EXPECT_EQ(shaded, 25u);
    const std::vector<std::string> last = Lines(pages[2]);
    EXPECT_EQ(Count(last, "<a href=\"Mandarin_2.html\">上一頁</a>"), 2u);
    EXPECT_EQ(Count(last, "<a href=\"Mandarin_4.html\">下一頁</a>"), 0u);
    EXPECT_EQ(Count(last, "三字部"), 1u);  // the heading of the page's first row
    // Every page starts without background colour.
    EXPECT_EQ(Count(last, "<tr height=44 class=xl24 style=\"height:33.0pt\">"), 10u);

    // Exactly fifty songs: one page, no next link.
    rows.resize(50);
    const std::vector<ObrelPage> one = ObrelBookPages(rows);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(Count(Lines(one[0]), "<a href=\"Mandarin_2.html\">下一頁</a>"), 0u);
    EXPECT_TRUE(ObrelBookPages({}).empty());
}

TEST(HtmlObrel, NewAndFavouriteCopiesFollowTheLanguagesAndTheFolderIsRewritten) {
    test::TempSongLibrary library;
    test::FakeUserInterface ui;
    SongRow a = test::TempSongLibrary::Song("00101", "新歌", "甲", "2");
    a[colNewMark] = "*";
    a[colWordCount] = "2";
    SongRow b = test::TempSongLibrary::Song("00102", "舊歌", "乙");
    b[colNewMark] = "@";
    b[colFavourite] = "*";
    b[colWordCount] = "2";
    SongRow c = test::TempSongLibrary::Song("00103", "刪了", "丙");
    c[colSpecialDel] = "X";
    library.Fill({a, b, c});
    const std::vector<ObrelBookRow> rows = ObrelBookRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].songNo, "00102");  // Mandarin first
    EXPECT_EQ(rows[1].songNo, "00101");
    EXPECT_EQ(rows[2].language, 10);  // only the "*" song is new; "@" is not copied
    EXPECT_EQ(rows[2].songNo, "00101");
    EXPECT_EQ(rows[3].language, 11);
    EXPECT_EQ(rows[3].songNo, "00102");

    test::LoopbackHttpServer web([](const std::string& target) {
        return test::LoopbackHttpServer::Reply{target == "/icon.ico" ? 200 : 404, "ICON"};
    });
    const CloudService saved = CloudSongBookService();
    SetCloudSongBookService({"", "", "", "http://" + web.Host()});
    fs::create_directories(library.Path("obrel"));
    test::WriteBytes(library.Path("obrel/Old_9.html"), "left from an earlier book");
    std::vector<int> progress;
    ASSERT_TRUE(WriteOfflineObrelBook([&progress](int percent) { progress.push_back(percent); }));
    SetCloudSongBookService(saved);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(library.Path("obrel")))
        files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"Favorite_1.html", "Mandarin_1.html", "New_1.html",
                                               "Taiwanese_1.html", "icon.ico", "obrel.html"}));
    EXPECT_EQ(test::ReadBytes(library.Path("obrel/icon.ico")), "ICON");
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    // The copies' pages: no group links, empty side headings, every present language in the selector.
    const std::vector<std::string> page = Lines({"", test::ReadBytes(library.Path("obrel/New_1.html"))});
    EXPECT_EQ(Count(page, "<OPTION VALUE=\"New_1.html\" selected>"), 2u);
    EXPECT_EQ(Count(page, "<OPTION VALUE=\"Favorite_1.html\">"), 2u);
    EXPECT_EQ(Count(page, "<OPTION VALUE=\"Taiwanese_1.html\">"), 2u);
    EXPECT_EQ(Count(page, "<a href=\"New_1.html\">二</a>"), 0u);
    EXPECT_EQ(Count(page, "二字部"), 0u);
    EXPECT_TRUE(ui.Texts("error").empty());

    // A folder that cannot be made: an error naming it, no success.
    fs::remove_all(library.Path("obrel"));
    test::WriteBytes(library.Path("obrel"), "a file in the way");
    EXPECT_FALSE(WriteOfflineObrelBook());
    ASSERT_EQ(ui.Texts("error").size(), 1u);
    EXPECT_NE(ui.Texts("error")[0].find("obrel"), std::string::npos);
}

}  // namespace
}  // namespace qv
