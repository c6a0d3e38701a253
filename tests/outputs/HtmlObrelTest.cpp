// The offline HTML song book: the pages' bytes, their split by language and word count, the links, and
// the files left in the "obrel" folder.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdarg>
#include <filesystem>
#include <map>
#include <mutex>

#include "catalogue/Big5Codec.h"
#include "catalogue/TextFile.h"
#include "outputs/HtmlObrel.h"
#include "library/Startup.h"
#include "outputs/OutputSteps.h"
#include "platform/ServerHosts.h"
#include "support/FakeUserInterface.h"
#include "support/FileLimits.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"

// What the process asks of the disk while a test watches: the files and folders it opens and syncs, by
// the path each had at that moment, in order. The calls themselves go on unchanged.
namespace watch {

struct Event {
    std::string call, path;
};
std::mutex mutex;
bool on = false;
std::vector<Event> events;

std::string PathOf(int fd) {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ec).string();
}

void Note(const char* call, int fd) {
    if (fd < 0) return;
    std::lock_guard lock(mutex);
    if (on) events.push_back({call, PathOf(fd)});
}

template <typename Function>
Function* Real(const char* name) {
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

int Opened(int fd) {
    Note("open", fd);
    return fd;
}

mode_t ModeOf(int flags, va_list args) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

}  // namespace watch

extern "C" {
int fsync(int fd) {
    watch::Note("fsync", fd);
    static auto* real = watch::Real<int(int)>("fsync");
    return real(fd);
}
int syncfs(int fd) {
    watch::Note("syncfs", fd);
    static auto* real = watch::Real<int(int)>("syncfs");
    return real(fd);
}
int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = watch::ModeOf(flags, args);
    va_end(args);
    return watch::Opened(watch::Real<int(const char*, int, ...)>("open")(path, flags, mode));
}
int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = watch::ModeOf(flags, args);
    va_end(args);
    return watch::Opened(watch::Real<int(const char*, int, ...)>("open64")(path, flags, mode));
}
int openat(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = watch::ModeOf(flags, args);
    va_end(args);
    return watch::Opened(watch::Real<int(int, const char*, int, ...)>("openat")(dir, path, flags, mode));
}
}

namespace qv {
namespace {

namespace fs = std::filesystem;

// Watches the disk calls while it lives.
class DiskCalls {
public:
    DiskCalls() { Set(true); }
    ~DiskCalls() { Set(false); }
    DiskCalls(const DiskCalls&) = delete;
    DiskCalls& operator=(const DiskCalls&) = delete;

    // The paths of the calls of that name, in order.
    std::vector<std::string> Paths(const std::string& call) const {
        std::lock_guard lock(watch::mutex);
        std::vector<std::string> paths;
        for (const watch::Event& event : watch::events)
            if (event.call == call) paths.push_back(event.path);
        return paths;
    }

private:
    static void Set(bool on) {
        std::lock_guard lock(watch::mutex);
        watch::on = on;
        watch::events.clear();
    }
};

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

// Relative path -> bytes of every file below the folder; folders end in "/".
using Tree = std::map<std::string, std::string>;

Tree TreeOf(const std::string& folder) {
    Tree tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder);
        if (entry.is_directory())
            tree[name + "/"] = "";
        else
            tree[name] = test::ReadBytes(entry.path());
    }
    return tree;
}

// The names that are in one tree only or differ in their bytes.
std::vector<std::string> Differences(const Tree& a, const Tree& b) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : a)
        if (!b.contains(name) || b.at(name) != bytes) names.push_back(name);
    for (const auto& [name, bytes] : b)
        if (!a.contains(name)) names.push_back(name);
    return names;
}

// A run over an earlier book of 60 Mandarin songs, into whose folder the user put a folder of photos and a
// file of notes. The catalogue then has 120 songs in two languages with new and favourite marks.
class HtmlObrelRun : public ::testing::Test {
protected:
    void SetUp() override {
        SetCloudSongBookService({"", "", "", "http://127.0.0.1:9"});  // no icon
        Fill(60);
        ASSERT_TRUE(WriteOfflineObrelBook());
        fs::create_directories(library.Path("obrel/photos/2024"));
        test::WriteBytes(library.Path("obrel/photos/2024/a.jpg"), "jpeg");
        test::WriteBytes(library.Path("obrel/notes.txt"), "mine");
        oldBook = TreeOf(book);
        Fill(120);
        for (const ObrelPage& page : ObrelBookPages(ObrelBookRows())) newBook[page.fileName] = page.bytes;
        newBook.insert({{"photos/", ""}, {"photos/2024/", ""}, {"photos/2024/a.jpg", "jpeg"}});
        ASSERT_NE(oldBook.count("Mandarin_2.html"), 0u);
        ASSERT_NE(newBook["Mandarin_2.html"], oldBook["Mandarin_2.html"]);
    }
    void TearDown() override {
        SetCloudSongBookService(saved);
        TheObrelRunHooks() = {};
    }

    void Fill(int count) {
        std::vector<SongRow> rows;
        for (int i = 0; i < count; ++i) {
            rows.push_back(test::TempSongLibrary::Song(std::to_string(10101 + i), "歌" + std::to_string(i),
                                                       "甲", i < 70 ? "1" : "2"));
            rows.back()[colWordCount] = std::to_string(1 + i % 4);
            rows.back()[colNewMark] = i % 10 == 0 ? "*" : "";
            rows.back()[colFavourite] = i % 15 == 0 ? "*" : "";
        }
        library.Fill(rows);
    }

    // Names beside the book's folder that belong to it: the folder alone once a run is over.
    std::vector<std::string> BookEntries() const {
        std::vector<std::string> names;
        for (const std::string& name : library.FolderEntries("."))
            if (name.starts_with("obrel")) names.push_back(name);
        return names;
    }

    // A failed run: false, one error naming the file, the old book as it was and nothing left beside it.
    void ExpectFailure(const std::function<bool()>& run, const std::string& named, const Tree& before) {
        ui.shown.clear();
        EXPECT_FALSE(run());
        EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法寫入檔案:" + named});
        EXPECT_EQ(Differences(TreeOf(book), before), std::vector<std::string>{});
        EXPECT_EQ(BookEntries(), std::vector<std::string>{"obrel"});
    }

    const CloudService saved = CloudSongBookService();
    test::TempSongLibrary library;
    test::FakeUserInterface ui;
    const std::string book = library.Path("obrel");
    Tree oldBook, newBook;
};

TEST_F(HtmlObrelRun, AFailedOrAbandonedRunLeavesTheOldBookAsItWas) {
    {
        test::FileSizeLimit limit(1000);  // the first page is cut short, as on a full disk
        ExpectFailure([] { return WriteOfflineObrelBook(); }, book + "/Mandarin_1.html", oldBook);
    }

    // A run given up at its second progress step (a signal asked the program to end).
    int steps = 0;
    EXPECT_THROW(WriteOfflineObrelBook([&steps](int) {
                     if (++steps == 2) throw RunAbandoned{};
                 }),
                 RunAbandoned);
    EXPECT_EQ(Differences(TreeOf(book), oldBook), std::vector<std::string>{});
    EXPECT_EQ(BookEntries(), std::vector<std::string>{"obrel"});

    // A folder of the old book in the way of a page: the user's folders, moved already, come back too.
    fs::create_directories(book + "/Taiwanese_1.html/inner");
    test::WriteBytes(book + "/Taiwanese_1.html/inner/x", "x");
    const Tree blocked = TreeOf(book);
    ExpectFailure([] { return WriteOfflineObrelBook(); }, book + "/Taiwanese_1.html", blocked);
    fs::remove_all(book + "/Taiwanese_1.html");

    ui.shown.clear();
    fs::permissions(book, fs::perms(0750));
    ASSERT_TRUE(WriteOfflineObrelBook());
    // The old files gone, the user's folder and the folder's access kept.
    EXPECT_EQ(Differences(TreeOf(book), newBook), std::vector<std::string>{});
    EXPECT_EQ(fs::status(book).permissions(), fs::perms(0750));
    EXPECT_EQ(BookEntries(), std::vector<std::string>{"obrel"});
    EXPECT_TRUE(ui.Texts("error").empty());

    // The redirect page of the book, or its folder, cannot be removed.
    const Tree written = TreeOf(book);
    {
        test::Immutable lockedFile(book + "/obrel.html");
        if (!lockedFile.ok()) GTEST_SKIP() << "no immutable files here";
        ExpectFailure([] { return WriteOfflineObrelBook(); }, book + "/obrel.html", written);
    }
    test::Immutable lockedBook(book);
    ASSERT_TRUE(lockedBook.ok());
    ExpectFailure([] { return WriteOfflineObrelBook(); }, book, written);
}

// Only what the run wrote is synced, never the whole file system, and in an order that a power cut cannot
// undo: every page and the work folder while the book still is the old one, the book's folder and the
// folder holding it after the swap.
TEST_F(HtmlObrelRun, ARunSyncsWhatItWroteBeforePublishingIt) {
    std::vector<std::string> synced;
    {
        DiskCalls calls;
        ASSERT_TRUE(WriteOfflineObrelBook());
        EXPECT_EQ(calls.Paths("syncfs"), std::vector<std::string>{});
        synced = calls.Paths("fsync");
    }
    ASSERT_EQ(Differences(TreeOf(book), newBook), std::vector<std::string>{});
    const std::string work = book + ".new.tmp";
    auto at = [&synced](const std::string& path) {
        return std::find(synced.begin(), synced.end(), path) - synced.begin();
    };
    const auto bookSynced = at(book);
    ASSERT_LT(bookSynced, static_cast<long>(synced.size()));
    for (const auto& [name, bytes] : newBook) {
        if (!name.ends_with(".html")) continue;
        EXPECT_LT(at(work + "/" + name), at(work)) << name;
    }
    EXPECT_LT(at(work), bookSynced);
    EXPECT_LT(at(fs::path(book).parent_path()), static_cast<long>(synced.size()));
}

// The old book's files go a few at a time; a link among them goes itself, never what it names.
TEST_F(HtmlObrelRun, TheOldBooksLinksGoWithoutWhatTheyName) {
    const std::string outside = library.Path("outside.txt");
    test::WriteBytes(outside, "the user's");
    fs::create_symlink(outside, book + "/Old_1.html");
    fs::create_symlink(library.Path("nowhere"), book + "/Old_2.html");
    ASSERT_TRUE(WriteOfflineObrelBook());
    EXPECT_EQ(Differences(TreeOf(book), newBook), std::vector<std::string>{});
    EXPECT_FALSE(fs::is_symlink(book + "/Old_1.html"));
    EXPECT_EQ(test::ReadBytes(outside), "the user's");
    EXPECT_EQ(BookEntries(), std::vector<std::string>{"obrel"});
}

// Whether an old page can be removed is read from its status: none is opened.
TEST_F(HtmlObrelRun, TheOldPagesAreCheckedWithoutOpeningThem) {
    struct statx sx {};
    ASSERT_EQ(::statx(AT_FDCWD, book.c_str(), 0, 0, &sx), 0);
    if ((sx.stx_attributes_mask & STATX_ATTR_IMMUTABLE) == 0) GTEST_SKIP() << "no flags in the status here";
    std::vector<std::string> opened;
    {
        DiskCalls calls;
        ASSERT_TRUE(WriteOfflineObrelBook());
        opened = calls.Paths("open");
    }
    ASSERT_FALSE(opened.empty());  // the watch sees the run's own files
    for (const std::string& path : opened)
        EXPECT_FALSE(path.starts_with(book + "/") && path.ends_with(".html")) << path;
}

// A work folder that an earlier run could not remove stops the run: it is the one named, and the book
// stays as it was.
TEST_F(HtmlObrelRun, AWorkFolderThatCannotGoIsNamed) {
    const std::string work = book + ".new.tmp";
    fs::create_directory(work);
    test::WriteBytes(work + "/stuck.html", "x");
    test::Immutable stuck(work + "/stuck.html");
    if (!stuck.ok()) GTEST_SKIP() << "no immutable files here";
    ui.shown.clear();
    EXPECT_FALSE(WriteOfflineObrelBook());
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法寫入檔案:" + work});
    EXPECT_EQ(Differences(TreeOf(book), oldBook), std::vector<std::string>{});
}

// The run is killed at each of its steps in turn; the next start or the next run then leaves the whole
// old or the whole new book and nothing beside it. Both with the atomic exchange of the folders and with
// the two renames used where there is none.
TEST_F(HtmlObrelRun, AKilledRunIsFinishedOrUndoneAtTheNextStartOrRun) {
    const std::string snapshot = library.Path("snapshot");
    fs::copy(book, snapshot, fs::copy_options::recursive);
    InstallOutputSteps();
    for (const bool exchange : {true, false}) {
        TheObrelRunHooks().exchange = exchange;
        int cut = 0, old = 0, whole = 0;
        for (int step = 1;; ++step) {
            for (const std::string& name : BookEntries()) fs::remove_all(library.Path(name));
            fs::copy(snapshot, book, fs::copy_options::recursive);
            const pid_t child = ::fork();
            if (child == 0) {
                int reached = 0;
                TheObrelRunHooks().step = [&reached, step] {
                    if (++reached == step) ::raise(SIGKILL);
                };
                WriteOfflineObrelBook();
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            if (WIFEXITED(status)) break;  // the run has fewer steps
            ASSERT_TRUE(WIFSIGNALED(status));
            ++cut;
            if (step % 2 == 1) {
                StartupOutputSteps().tidyOfflineBook();
                const Tree tree = TreeOf(book);
                EXPECT_TRUE(tree == oldBook || tree == newBook) << "step " << step;
                old += tree == oldBook;
                whole += tree == newBook;
            } else {
                EXPECT_TRUE(WriteOfflineObrelBook()) << "step " << step;
                EXPECT_EQ(Differences(TreeOf(book), newBook), std::vector<std::string>{}) << "step " << step;
            }
            EXPECT_EQ(BookEntries(), std::vector<std::string>{"obrel"}) << "step " << step;
        }
        EXPECT_GT(cut, 7);  // every page, the sync and each move of the swap
        EXPECT_GT(old, 0);
        EXPECT_GT(whole, 0);
    }
}

}  // namespace
}  // namespace qv
