#include "outputs/HtmlObrel.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>

#include "catalogue/BeneathFolder.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/Parallel.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/DiskFiles.h"
#include "outputs/IndexCommon.h"
#include "settings/Settings.h"
#include "platform/Http.h"
#include "platform/ServerHosts.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

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

ObrelRunHooks g_hooks;

void Step() {
    if (g_hooks.step) g_hooks.step();
}

std::string WorkFolderOf(const std::string& book) { return book + ".new.tmp"; }
std::string AsideFolderOf(const std::string& book) { return book + ".old.tmp"; }

// The entries of a folder that are folders themselves (or, with folders false, everything else).
std::vector<std::string> EntriesOf(const std::string& folder, bool folders) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const bool folder = it->symlink_status(ec).type() == fs::file_type::directory;
        if (folder == folders) names.push_back(it->path().filename());
    }
    return names;
}

// Removes the entries of the folder dir that are not folders (unlinkat leaves those, and takes a link
// itself, never what it names).
void RemoveFilesIn(int dir) {
    const std::vector<std::string> names = NamesIn(dir);
    AllAtOnce(names.size(), [dir, &names](size_t i) { return ::unlinkat(dir, names[i].c_str(), 0) == 0; });
}

// A work folder holds no folder of its own making: every folder in it came from the old book and goes
// back there before the work folder goes. False when one cannot, as when the book is a link.
bool DropWorkFolder(const std::string& work, const std::string& book) {
    const UniqueFd from = OpenOwnFolder(work);
    if (!from.ok()) return !PathExists(work);
    UniqueFd to;
    for (const std::string& name : NamesIn(from.get())) {
        if (EntryKindBeneath(from.get(), name) != EntryKind::Folder) continue;
        if (!to.ok()) {
            ::mkdir(book.c_str(), 0777);
            to = OpenOwnFolder(book);
            if (!to.ok()) return false;
        }
        if (!RenameNoReplaceAt(from.get(), name.c_str(), to.get(), name.c_str())) return false;
    }
    RemoveFilesIn(from.get());
    return RemoveTree(work);
}

bool Unremovable(const std::string& path) {
    // The flags come with the file's status where the file system reports them; only elsewhere is the
    // file opened to ask.
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, 0, &sx) == 0 &&
        (sx.stx_attributes_mask & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) ==
            (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND))
        return (sx.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) != 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    const bool stuck =
        ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
    ::close(fd);
    return stuck;
}

// The old book's folder, or else the first of its files, that its purge could not remove (immutable or
// append-only, or a folder this user may not change); "" when there is none.
std::string UnremovableEntry(const std::string& book) {
    if (Unremovable(book) || ::access(book.c_str(), W_OK) != 0) return book;
    for (const std::string& name : EntriesOf(book, false))
        if (Unremovable(PathIn(book, name))) return PathIn(book, name);
    return {};
}

bool SyncAndClose(int fd) {
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

// The pages go into a work folder beside the book; once all of them and the folder are on the disk, it is
// swapped with the old book, so the user keeps a working book until the new one is whole.
class BookSwap {
public:
    explicit BookSwap(const std::string& book)
        : book_(book), work_(WorkFolderOf(book)), parent_(fs::path(book).parent_path()) {
        made_ = ::mkdir(work_.c_str(), 0777) == 0;
        if (made_) dir_ = ::open(work_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    ~BookSwap() {
        if (dir_ >= 0) ::close(dir_);
        if (made_) DropWorkFolder(work_, book_);
    }
    BookSwap(const BookSwap&) = delete;
    BookSwap& operator=(const BookSwap&) = delete;

    bool Made() const { return dir_ >= 0; }
    std::string Path(const std::string& name) const { return PathIn(work_, name); }

    bool Write(const std::string& name, const std::string& bytes) {
        const int fd = ::openat(dir_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        bool ok = true;
        for (size_t done = 0; ok && done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) done += static_cast<size_t>(n);
        }
        if (ok) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);  // on its way to the disk meanwhile
        if (::close(fd) != 0 || !ok) return false;
        names_.push_back(name);
        return true;
    }

    // A file put into the work folder by other means (the icon) is synced with the pages.
    void Adopt(const std::string& name) { names_.push_back(name); }

    // Waits for the new book's files, then its folder, to reach the disk: nothing is published that a
    // power cut could take back. The files are synced once all are written, already on their way to the
    // disk by then, so that one commit of the file system serves many.
    bool Sync() {
        const bool synced = AllAtOnce(names_.size(), [this](size_t i) {
            const int fd = ::openat(dir_, names_[i].c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
            return fd >= 0 && SyncAndClose(fd);
        });
        return synced && ::fsync(dir_) == 0;
    }

    // After the swap: the book's folder, which took the old book's folders, reaches the disk too.
    bool SyncBook() { return ::fsync(dir_) == 0; }

    // The old book's folders into the new one, then the two folders swap places; the old one, files only
    // by then, goes. False (nothing of the old book changed) naming the entry in the way.
    bool SwapIn(std::string& failed) {
        struct stat st {};
        if (IsFolder(book_)) {
            failed = UnremovableEntry(book_);
            if (!failed.empty()) return false;
            const UniqueFd old = OpenOwnFolder(book_);
            for (const std::string& name : EntriesOf(book_, true)) {
                failed = PathIn(book_, name);
                if (!old.ok() || !RenameNoReplaceAt(old.get(), name.c_str(), dir_, name.c_str())) return false;
                Step();
            }
            if (::fstat(old.get(), &st) == 0) ::fchmod(dir_, st.st_mode & 07777);  // the user's access
        }
        failed = book_;
        if (!IsFolder(book_)) {
            if (!RenameNoReplace(work_, book_)) return false;
        } else if (!g_hooks.exchange ||
                   ::renameat2(AT_FDCWD, work_.c_str(), AT_FDCWD, book_.c_str(), RENAME_EXCHANGE) != 0) {
            if (g_hooks.exchange && errno != EINVAL && errno != ENOSYS) return false;
            // Without an atomic exchange: the old book aside, the new one in; a run cut short in between
            // is finished by the next one.
            const std::string aside = AsideFolderOf(book_);
            if (!RenameNoReplace(book_, aside)) return false;
            Step();
            if (!RenameNoReplace(work_, book_)) {
                RenameNoReplace(aside, book_);
                return false;
            }
            Step();
            work_ = aside;
        }
        Step();
        SyncFolder(parent_);
        Step();
        return true;
    }

private:
    std::string book_, work_, parent_;
    int dir_ = -1;
    bool made_ = false;
    std::vector<std::string> names_;  // of the files written
};

}  // namespace

std::string ObrelFolder() { return PathIn(AppDir, "obrel"); }

std::vector<ObrelBookRow> ObrelBookRows() {
    std::vector<int> order;
    for (int row = 0; row < AllSongCount; ++row)
        if (AllSong[row][colSpecialDel] != "X") order.push_back(row);
    SortBySongBookOrder(order);
    std::vector<ObrelBookRow> rows(order.size());
    ForEachSlice(order.size(), [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            const SongRow& song = AllSong[order[i]];
            rows[i] = {song[colSongNo],
                       FixTruncatedDbcsTail(song[colSongName]),
                       FixTruncatedDbcsTail(song[colSinger]),
                       LanguageOf(song[colLanguage]),
                       song[colWordCount],
                       song[colStrokes]};
        }
    });
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

namespace {

// Where a page's rows are in the book, and the group start pages of its language.
struct PagePlan {
    size_t first = 0, end = 0;
    int page = 1;
    size_t groups = 0;
    std::string fileName;
};

// The pages of the rows one at a time, in the order they are written, with the progress before each;
// the redirect page last. The pages are laid out first and made beforehand, spread over the cores.
void MakeBookPages(const std::vector<ObrelBookRow>& rows, const std::function<void(int)>& progress,
                   const std::function<void(ObrelPage&&)>& take) {
    std::vector<PagePlan> plans;
    std::vector<std::array<std::string, GroupCount>> groups;
    size_t r = 0;
    for (int page = 1; r < rows.size() && page < 10001;) {
        const int language = rows[r].language;
        if (r == 0 || rows[r - 1].language != language) groups.push_back(GroupStartPages(rows, r));
        size_t end = r;
        while (end < rows.size() && end - r < RowsPerPage && rows[end].language == language) ++end;
        plans.push_back({r, end, page, groups.size() - 1,
                         std::string(PageNames[language]) + "_" + std::to_string(page) + ".html"});
        r = end;
        page = r < rows.size() && rows[r].language != language ? 1 : page + 1;
    }
    std::array<bool, LanguageCount + 1> present{};
    for (const ObrelBookRow& row : rows) present[row.language] = true;
    std::vector<std::string> pages(plans.size());
    // Slices of rows: each makes the pages that begin in it.
    ForEachSlice(rows.size(), [&](size_t from, size_t to) {
        PageWriter writer(rows, present);
        auto begins = [](const PagePlan& plan, size_t row) { return plan.first < row; };
        const auto first = std::lower_bound(plans.begin(), plans.end(), from, begins);
        const auto last = std::lower_bound(plans.begin(), plans.end(), to, begins);
        for (auto plan = first; plan != last; ++plan)
            pages[static_cast<size_t>(plan - plans.begin())] =
                writer.Page(plan->first, plan->end, plan->page, groups[plan->groups]);
    });
    for (size_t p = 0; p < plans.size(); ++p) {
        if (progress) progress(static_cast<int>(plans[p].first * 100 / rows.size()));
        take({plans[p].fileName, std::move(pages[p])});
    }
    if (!plans.empty()) take({"obrel.html", RedirectPage(plans.front().fileName)});
}

}  // namespace

std::vector<ObrelPage> ObrelBookPages(const std::vector<ObrelBookRow>& rows,
                                      const std::function<void(int)>& progress) {
    std::vector<ObrelPage> pages;
    MakeBookPages(rows, progress, [&pages](ObrelPage&& page) { pages.push_back(std::move(page)); });
    return pages;
}

bool TidyOfflineObrelBook() {
    const std::string book = ObrelFolder();
    const std::string work = WorkFolderOf(book), aside = AsideFolderOf(book);
    const bool swapCut = IsFolder(aside), workLeft = IsFolder(work);
    if (!swapCut && !workLeft) return true;
    // The old book is set aside only once the new one is whole: a swap cut short is finished.
    if (swapCut && !PathExists(book)) RenameNoReplace(workLeft ? work : aside, book);
    std::string left;
    if (swapCut && !DropWorkFolder(aside, book)) left = aside;
    if (IsFolder(work) && !DropWorkFolder(work, book) && left.empty()) left = work;
    SyncFolder(AppDir);
    // A folder that cannot go is named by the next run; one whose folders have no book to go back to (a
    // link or a file in its place) is named now.
    if (left.empty() || !PathExists(book) || IsFolder(book)) return true;
    UI().ShowErrorBox(CannotRestoreText(left, book));
    return false;
}

ObrelRunHooks& TheObrelRunHooks() { return g_hooks; }

bool WriteOfflineObrelBook(const std::function<void(int)>& progress) {
    if (progress) progress(0);
    const std::string book = ObrelFolder();
    if (PathExists(book) && !IsFolder(book)) return Unwritable(book);
    if (!TidyOfflineObrelBook()) return false;
    BookSwap swap(book);
    // A work folder left by an earlier run that could not be removed is named: it stops every run.
    if (!swap.Made()) return Unwritable(IsFolder(WorkFolderOf(book)) ? WorkFolderOf(book) : book);
    Step();
    // A folder of that name in the old book stays, so no icon can be put there.
    if (!IsFolder(PathIn(book, "icon.ico")) &&
        Http().Download(CloudSongBookService().webAddress + "/icon.ico", swap.Path("icon.ico")))
        swap.Adopt("icon.ico");
    std::string failedPage;
    MakeBookPages(ObrelBookRows(), progress, [&swap, &failedPage](ObrelPage&& page) {
        if (failedPage.empty() && !swap.Write(page.fileName, page.bytes)) failedPage = page.fileName;
        Step();
    });
    if (!failedPage.empty()) return Unwritable(PathIn(book, failedPage));
    if (!swap.Sync()) return Unwritable(book);
    Step();
    std::string failed;
    if (!swap.SwapIn(failed)) return Unwritable(failed);
    if (!swap.SyncBook()) return Unwritable(book);
    if (progress) progress(100);
    return true;
}

}  // namespace qv
