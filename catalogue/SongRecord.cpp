#include "catalogue/SongRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/Parallel.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"

namespace qv {
namespace {

template <size_t N>
constexpr std::array<int, N> StartsOf(const std::array<int, N>& widths) {
    std::array<int, N> starts{};
    int column = 1;
    for (size_t f = 0; f < N; ++f) {
        starts[f] = column;
        column += widths[f] + 1;
    }
    return starts;
}

constexpr std::array<int, SongFieldCount> kWidths = {5, 60, 10, 2, 16, 1, 1, 1, 2, 1, 1,
                                                     1, 1,  1,  1, 1,  1, 1, 1, 1, 10};
constexpr std::array<int, SongFieldCount> kStarts = StartsOf(kWidths);
static_assert(kStarts[SongFieldCount - 1] + kWidths[SongFieldCount - 1] == SongLineLength);

// The layout before the two photo marks: 136 characters, 19 fields.
constexpr int kOldFieldCount = 19;
constexpr int kOldLineLength = 136;
constexpr std::array<int, kOldFieldCount> kOldWidths = {5, 60, 10, 2, 16, 1, 1, 1, 2, 1,
                                                        1, 1,  1,  1, 1,  1, 1, 1, 10};
constexpr std::array<int, kOldFieldCount> kOldStarts = StartsOf(kOldWidths);
static_assert(kOldStarts[kOldFieldCount - 1] + kOldWidths[kOldFieldCount - 1] == kOldLineLength);

std::string_view FieldView(std::string_view record, int start, int width) {
    const size_t at = static_cast<size_t>(start - 1);
    if (at >= record.size()) return {};
    return record.substr(at, static_cast<size_t>(width));
}

// Count of bytes in the lead-byte range directly before pos. A byte outside that range always ends a
// character, so such a run starts on a character boundary and its parity tells lead from trail bytes.
size_t LeadRangeRun(std::string_view text, size_t pos) {
    size_t k = pos;
    while (k > 0 && IsBig5LeadByte(static_cast<unsigned char>(text[k - 1]))) --k;
    return pos - k;
}

// TrimTrailingBlanks of a fixed-width field without walking it from its start: the blank padding is
// cut from the end, and only a lone lead byte or a full-width blank before it needs the full walk.
void AssignTrimmed(std::string& out, std::string_view field) {
    size_t end = field.size();
    while (end > 0 && field[end - 1] == ' ') --end;
    bool exact = true;
    if (end > 0) {
        const unsigned char last = static_cast<unsigned char>(field[end - 1]);
        if (IsBig5LeadByte(last)) {
            exact = LeadRangeRun(field, end) % 2 == 0;  // odd: a lead byte whose trail is a blank
        } else if (last == 0x40 && LeadRangeRun(field, end - 1) % 2 == 1) {
            exact = static_cast<unsigned char>(field[end - 2]) != 0xA1;  // A1 40 is the full-width blank
        }
    }
    if (exact) {
        out.assign(field.substr(0, end));
        return;
    }
    static thread_local std::string scratch;
    scratch.assign(field);
    out = TrimTrailingBlanks(scratch);
}

// Fills fields[first ..] by the layout, reusing the list's strings.
template <size_t N>
void SplitByLayout(std::string_view record, const std::array<int, N>& starts,
                   const std::array<int, N>& widths, FieldList& fields, size_t first = 0) {
    for (size_t f = 0; f < N; ++f) AssignTrimmed(fields[first + f], FieldView(record, starts[f], widths[f]));
}

std::string JoinFields(const std::string* fields, size_t count) {
    std::string record;
    record.reserve(SongLineLength);
    static const std::string empty;
    for (int f = 0; f < SongFieldCount; ++f) {
        const std::string& text = static_cast<size_t>(f) < count ? fields[f] : empty;
        std::string cell = PadField(text, kWidths[f], false);
        if (f == colSongName || f == colSinger) cell = FixTruncatedDbcsTail(cell);
        record += cell;
        record += f == colSongNo ? ':' : ';';
    }
    return record;
}

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::string Big5Path(const std::string& path) { return Utf8ToBig5(path); }

bool IsMark(const std::string& text, const char* allowed) {
    return text.size() == 1 && std::string_view(allowed).find(text[0]) != std::string_view::npos;
}

bool IsValidVolume(const std::string& volume) {
    return volume.empty() || (volume[0] >= 'A' && volume[0] <= 'F') || IsInteger(volume);
}

bool IsValidDate(const std::string& date) {
    return date.empty() || (date.back() >= '0' && date.back() <= '9');
}

bool IsPlainList(const std::vector<std::string_view>& lines) {
    return !lines.empty() && IsInteger(std::string(lines[0].substr(0, 5)));
}

// The tables must be built (EnsureLineCipherTables) before the first call.
void DecipherInPlace(int lineIndex, char* text, size_t size) {
    const CipherTable& table = LineDecodeTables[static_cast<size_t>(lineIndex) & 255];
    for (size_t k = 0; k < size; ++k) text[k] = static_cast<char>(table[static_cast<uint8_t>(text[k])]);
}

// A record of the wrong length made whole: marks outside their values blanked, counts recomputed.
std::string RepairRecord(const std::string& line) {
    FieldList fields;
    if (line.size() == static_cast<size_t>(kOldLineLength)) {
        SplitOldSongRecord(line, fields);
    } else {
        std::string padded = line;
        if (padded.size() < SongLineLength - 1) padded.resize(SongLineLength - 1, ' ');
        padded += ';';
        SplitSongRecord(padded, fields);
        fields[colStrokes] = std::to_string(Big5StrokeCountOfFirstChar(fields[colSongName]));
        const int words = CountSongWords(fields[colSongName]);
        fields[colWordCount] = std::to_string(words > 10 ? 11 : words);
        if (!IsMark(fields[colNewMark], "*@")) fields[colNewMark].clear();
        if (!IsMark(fields[colSpecialDel], "X")) fields[colSpecialDel].clear();
    }
    for (int f = colPopular; f <= colForeignPhoto; ++f)
        if (!IsMark(fields[f], "*")) fields[f].clear();
    if (!IsValidVolume(fields[colVolume])) fields[colVolume].clear();
    return JoinSongRecord(fields);
}

// A field of an unchanged record, deciphered alone: the check needs only four small fields.
std::string CheckedField(std::string_view raw, int lineIndex, bool enciphered, int field) {
    std::string text(FieldView(raw, kStarts[field], kWidths[field]));
    if (enciphered) DecipherInPlace(lineIndex, text.data(), text.size());
    std::string trimmed;
    AssignTrimmed(trimmed, text);
    return trimmed;
}

std::string FieldMessage(size_t lineIndex, const std::string& songNo, const char* what) {
    return B5("第") + std::to_string(lineIndex + 1) + B5("行,歌曲編號") + songNo + B5(what);
}

// The song list is the program's own file, here as for reading: a link in its place is never written
// through (a disk's link may point anywhere), and anything but a regular file has no size.
class FileHandle {
public:
    explicit FileHandle(const std::string& path, int flags = O_RDWR | O_CREAT)
        : fd_(::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644)) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    off_t Size() const {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
    }
    // True when the file holds exactly rows lines of lineBytes: a write past its end would leave a hole of
    // NUL bytes that the next start refuses, and a file of another length was changed behind the table.
    bool HoldsRows(int rows, size_t lineBytes) const {
        return rows >= 0 && Size() == static_cast<off_t>(rows) * static_cast<off_t>(lineBytes);
    }

    bool WriteAt(const char* data, size_t size, off_t offset) {
        while (size > 0) {
            ssize_t n = ::pwrite(fd_, data, size, offset);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            size -= static_cast<size_t>(n);
            offset += n;
        }
        return true;
    }
    // Closing can report a write that failed late (full disk on a network file system).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool IsRow(int row) { return row >= 0 && row < AllSongCount && row < static_cast<int>(AllSong.size()); }

void TakeBakCopy() {
    if (StartingUp) return;
    const std::string path = SongListPath();
    CopyWholeFile(path, path + ".bak", true);
    Pause(100);
}

// Writes one field of the given rows of "song.qv2", each enciphered with its line index.
bool WriteFieldOfRows(int field, const std::vector<int>& rows) {
    if (LoadingSongs) return true;
    FileHandle file(SongListPath());
    if (!file.IsOpen() || !file.HoldsRows(AllSongCount, SongRecordBytes)) return false;
    const int width = kWidths[field];
    bool ok = true;
    for (int r : rows) {
        const std::string cell = EncodeLine(r, PadField(AllSong[r][field], width, false));
        const off_t at = static_cast<off_t>(r) * SongRecordBytes + kStarts[field] - 1;
        if (!file.WriteAt(cell.data(), cell.size(), at)) {
            ok = false;
            break;
        }
    }
    return file.Close() && ok;
}

// The rows whose cell `take` accepts (it may change the cell first).
std::vector<int> RowsWhere(const std::function<bool(SongRow&)>& take) {
    std::vector<int> rows;
    for (int r = 0; IsRow(r); ++r)
        if (take(AllSong[r])) rows.push_back(r);
    return rows;
}

bool WriteWholeColumn(int field) {
    return WriteFieldOfRows(field, RowsWhere([](SongRow&) { return true; }));
}

}  // namespace

void ShowOpenError(const std::string& path) {
    UI().ShowInfoMessage("Open file:" + Big5Path(path) + " error!");
}

const std::array<int, SongFieldCount> SongFieldWidths = kWidths;
const std::array<int, SongFieldCount> SongFieldStart = kStarts;

void SplitSongRecord(const std::string& record, FieldList& fields) {
    fields.clear();
    fields.resize(SongFieldCount);
    SplitByLayout(record, kStarts, kWidths, fields);
}

void SplitOldSongRecord(const std::string& record, FieldList& fields) {
    // Old fields 0..14 are the current ones, its last four are the current 17..20.
    fields.clear();
    fields.resize(SongFieldCount);
    constexpr size_t kKept = 15;
    std::array<int, kKept> headStarts{}, headWidths{};
    std::array<int, kOldFieldCount - kKept> tailStarts{}, tailWidths{};
    for (size_t f = 0; f < kOldFieldCount; ++f) {
        if (f < kKept) {
            headStarts[f] = kOldStarts[f];
            headWidths[f] = kOldWidths[f];
        } else {
            tailStarts[f - kKept] = kOldStarts[f];
            tailWidths[f - kKept] = kOldWidths[f];
        }
    }
    SplitByLayout(record, headStarts, headWidths, fields);
    SplitByLayout(record, tailStarts, tailWidths, fields, kKept + 2);
}

std::string JoinSongRecord(const FieldList& fields) { return JoinFields(fields.data(), fields.size()); }

std::string JoinSongRecord(const SongRow& row) { return JoinFields(row.data(), row.size()); }

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

std::string PadField(const std::string& text, int width, bool zeroFill) {
    if (width < 0) width = 0;
    const size_t w = static_cast<size_t>(width);
    if (text.size() >= w) return text.substr(0, w);
    std::string padded;
    padded.reserve(w);
    if (zeroFill) padded.append(w - text.size(), '0');
    padded += text;
    padded.resize(w, ' ');
    return padded;
}

std::string ZeroPad3(int value) {
    const std::string text = std::to_string(value);
    if (text.size() == 1) return "00" + text;
    if (text.size() == 2) return "0" + text;
    return text.substr(0, 3);
}

std::string ZeroPadInt(int value, int width) {
    std::string text = std::to_string(value);
    if (width < 0) width = 0;
    const size_t w = static_cast<size_t>(width);
    if (text.size() < w) text.insert(0, w - text.size(), '0');
    return text.substr(0, w);
}

std::string NextSongNumber(const std::string& lastSongNumber) {
    if (lastSongNumber.empty()) return "00101";
    // Anything but five digits cannot be continued: refused like a full library, never folder 000.
    if (lastSongNumber.size() != 5) return {};
    for (char c : lastSongNumber)
        if (c < '0' || c > '9') return {};
    int folder = SafeStrToInt(lastSongNumber.substr(0, 3));
    int position = SafeStrToInt(lastSongNumber.substr(3, 2)) + 1;
    if (position > 80) {
        ++folder;
        position = 1;
    }
    if (folder < 1 || folder > 999) return {};
    return ZeroPad3(folder) + ZeroPad3(position).substr(1, 2);
}

std::string SongListPath() { return PathIn(LibraryRoot, "song.qv2"); }

namespace {
// The bytes read ahead for path, when the file still holds exactly them; the preload stays for the load.
bool PreloadedBytes(const std::string& path, std::string_view& bytes);

// The song list is the program's own file: a link in its place is not followed, and a list larger than
// the number space allows is no list.
bool ReadSongListBytes(const std::string& path, std::string& bytes) {
    return ReadSettledFile(path, bytes, SongListLimit, FinalLink::Refuse);
}

// A regular file (no link) small enough to be a song list.
bool SongListSizeFits(const std::string& path, struct stat& info) {
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           static_cast<uint64_t>(info.st_size) <= SongListLimit;
}

// A NUL byte is never part of a record (the line cipher keeps control bytes as they are): lines of them are
// a hole or a cut that the file got from a crash or another writer, never songs.
bool UsableSongLines(std::string_view bytes, const std::vector<std::string_view>& lines) {
    return lines.size() <= static_cast<size_t>(MaxSongRecords) && bytes.find('\0') == std::string_view::npos;
}
}  // namespace

bool LoadSongList2() {
    const std::string path = SongListPath();
    if (!FileExists(path)) return true;
    // The list read ahead spares a second copy of the whole file.
    std::string read;
    std::string_view bytes;
    if (!PreloadedBytes(path, bytes)) {
        if (!ReadSongListBytes(path, read)) {
            ShowOpenError(path);
            return false;
        }
        bytes = read;
    }
    const std::vector<std::string_view> lines = SplitLines(bytes);
    if (!UsableSongLines(bytes, lines)) {
        ShowOpenError(path);
        return false;
    }
    const bool enciphered = !lines.empty() && !IsPlainList(lines);
    EnsureLineCipherTables();
    // Writers address record i at i * 142: every line must be 140 bytes with CR LF after it. (A size
    // that is merely a multiple of 142 lets 142 lines with LF alone through.)
    bool rewrite = bytes.size() != lines.size() * SongRecordBytes;

    // Checks line i; repairs go to `repaired`; the text of a refusal to `error`.
    auto checkLine = [&](size_t i, FieldList& fields, std::vector<std::pair<size_t, std::string>>& repaired,
                         std::string& error) {
        const std::string_view raw = lines[i];
        const int index = static_cast<int>(i);
        std::string line;
        bool changed = raw.size() != SongLineLength;
        if (changed) {
            line.assign(raw);
            if (enciphered) DecipherInPlace(index, line.data(), line.size());
            line = RepairRecord(line);
        }
        auto field = [&](int f) {
            return changed ? TrimTrailingBlanks(std::string(FieldView(line, kStarts[f], kWidths[f])))
                           : CheckedField(raw, index, enciphered, f);
        };
        if (!IsInteger(field(colLanguage))) {
            error = FieldMessage(i, field(colSongNo), "的歌曲種類欄位有問題");
            return false;
        }
        if (!IsInteger(field(colSingerClass))) {
            error = FieldMessage(i, field(colSongNo), "的歌星種類欄位有問題");
            return false;
        }
        const bool badVolume = !IsValidVolume(field(colVolume));
        const bool badDate = !IsValidDate(field(colDateAdded));
        if (badVolume || badDate) {
            if (!changed) {
                line.assign(raw);
                if (enciphered) DecipherInPlace(index, line.data(), line.size());
                changed = true;
            }
            SplitSongRecord(line, fields);
            if (badVolume) fields[colVolume].clear();
            if (badDate) fields[colDateAdded].clear();
            line = JoinSongRecord(fields);
        }
        if (changed) repaired.emplace_back(i, std::move(line));
        return true;
    };

    // Lines are checked on all cores, each slice in order up to its first refusal; the refusal of the
    // lowest line is the one reported, as a check from the top would find it.
    struct Slice {
        size_t first = 0;
        std::vector<std::pair<size_t, std::string>> repaired;
        std::string error;
        bool refused = false;
    };
    const size_t sliceCount = SliceCount(lines.size());
    std::vector<Slice> slices(sliceCount);
    const size_t step = (lines.size() + sliceCount - 1) / sliceCount;
    ForEachSlice(lines.size(), [&](size_t first, size_t last) {
        Slice& slice = slices[first / std::max<size_t>(step, 1)];
        slice.first = first;
        FieldList fields;
        for (size_t i = first; i < last && !slice.refused; ++i)
            slice.refused = !checkLine(i, fields, slice.repaired, slice.error);
    });
    std::vector<std::pair<size_t, std::string>> repaired;
    for (Slice& slice : slices) {
        if (slice.refused) {
            UI().ShowErrorBox(slice.error);
            return false;
        }
        for (auto& line : slice.repaired) repaired.push_back(std::move(line));
    }
    if (!repaired.empty()) rewrite = true;
    if (!rewrite) return true;

    std::string out;
    out.reserve(lines.size() * SongRecordBytes);
    auto next = repaired.begin();
    for (size_t i = 0; i < lines.size(); ++i) {
        const int index = static_cast<int>(i);
        if (next != repaired.end() && next->first == i) {
            out += EncodeLine(index, next->second);
            ++next;
        } else if (enciphered) {
            out += lines[i];
        } else {
            out += EncodeLine(index, std::string(lines[i]));
        }
        out += "\r\n";
    }
    if (!ReplaceFileContents(path, out)) {
        ShowOpenError(path);
        return false;
    }
    return true;
}

bool UpgradeSongFileLayout() {
    std::string bytes;
    if (!ReadFileBytes(PathIn(LibraryRoot, "song.qv"), bytes, SongListLimit, FinalLink::Refuse)) return false;
    auto part = [](std::string_view s, size_t from, size_t count) {
        return from < s.size() ? s.substr(from, count) : std::string_view();
    };
    enum class Layout { Unknown, A, B } layout = Layout::Unknown;
    std::string out;
    for (std::string_view line : SplitLines(bytes)) {
        if (line.empty()) break;
        if (line.size() < 98) continue;  // too short to hold a song; the lines after it still count
        if (layout == Layout::Unknown) {
            const bool a =
                line[69] == ';' && line[86] == ';' && line[88] == ';' && line[90] == ';' && line[93] == ';';
            layout = a ? Layout::A : Layout::B;
        }
        if (layout == Layout::A) {
            std::string s(line);
            if (s.size() < 100) {
                s.resize(98);
                s += " ; ; ; ;";
            }
            // The old class codes 3 and 4 are today's 1 and 2.
            if (s[87] == '3')
                s[87] = '1';
            else if (s[87] == '4')
                s[87] = '2';
            out += part(s, 0, 67);
            out += std::string(10, ' ') + ";";
            out += part(s, 67, 20);
            out += " ;";
            out += part(s, 87, 19);
            out += " ; ;";
        } else {
            out += part(line, 0, 119);
            out += " ; ;";
        }
        out += "\r\n";
    }
    return ReplaceFileContents(SongListPath(), out);
}

void MigrateOlderSongLists() {
    const std::string song1 = PathIn(LibraryRoot, "song1.txt");
    const std::string songQv = PathIn(LibraryRoot, "song.qv");
    const std::string songQv2 = SongListPath();
    const std::string bak = songQv2 + ".bak";
    const std::string backup = songQv2 + ".backup";

    if (FileExists(song1) && !FileExists(songQv) && RenameNoReplace(song1, songQv)) Pause(50);
    // The old file is kept under its name when the conversion fails, so the next start tries again.
    if (FileExists(songQv) && !FileExists(songQv2) && UpgradeSongFileLayout()) {
        Pause(50);
        if (RenameNoReplace(songQv, songQv + ".backup")) Pause(50);
    }
    if (!FileExists(songQv2) && FileExists(bak) && RenameNoReplace(bak, songQv2)) Pause(50);
    // Only a list that can be one is copied: a 2 GB file would be written out whole.
    struct stat info {};
    if (SongListSizeFits(songQv2, info) && !FileExists(backup)) CopyWholeFile(songQv2, backup, false);
}

namespace {

// The table's fresh pages (66 MB on a full disk) are first touched on all cores while `read` runs.
// Touching is only a head start: without a thread for it the rows' building touches the pages itself.
template <typename Read>
bool ReserveRowsWhile(std::vector<SongRow>& table, size_t rows, Read read) {
    table.reserve(rows);
    std::jthread toucher;
    try {
        toucher = std::jthread(
            [capacity = table.capacity(), storage = reinterpret_cast<unsigned char*>(table.data())] {
                try {
                    ForEachSlice(capacity, [&](size_t first, size_t last) {
                        std::memset(storage + first * sizeof(SongRow), 0, (last - first) * sizeof(SongRow));
                    });
                } catch (const std::exception&) {
                }
            });
    } catch (const std::system_error&) {
    }
    return read();  // the toucher is joined on the way out, also when read throws
}

// Every line becomes a row, even an empty one: row i must stay line i for the writers. Each row is what
// AddSongRow makes of the line, without the file append that loading skips anyway. False, with no rows,
// for bytes that are no song list.
bool BuildSongRows(std::string_view bytes, std::vector<SongRow>& table) {
    const std::vector<std::string_view> lines = SplitLines(bytes);
    if (!UsableSongLines(bytes, lines)) {
        table.clear();
        return false;
    }
    const bool enciphered = !lines.empty() && !IsPlainList(lines);
    const size_t count = lines.size();
    EnsureLineCipherTables();
    table.resize(count);
    ForEachSlice(count, [&](size_t first, size_t last) {
        std::string deciphered;
        for (size_t i = first; i < last; ++i) {
            std::string_view line = lines[i];
            if (enciphered) {
                deciphered.assign(line);
                DecipherInPlace(static_cast<int>(i), deciphered.data(), deciphered.size());
                line = deciphered;
            }
            SongRow& row = table[i];
            for (size_t f = 0; f < kStarts.size(); ++f)
                AssignTrimmed(row[f], FieldView(line, kStarts[f], kWidths[f]));
            row[colSingerWordCount] = std::to_string(CountSongWords(row[colSinger]));
            row[colSingerStrokes] = std::to_string(Big5StrokeCountOfFirstChar(row[colSinger]));
        }
    });
    return true;
}

// Room for the rows of a list of that size; never more than a list may hold.
size_t RowsOfSize(off_t bytes) {
    const size_t size = bytes > 0 ? static_cast<size_t>(bytes) : 0;
    return std::min(size, SongListLimit) / SongRecordBytes + 1;
}

// Rows made ahead of LoadAllSong, with the bytes they were made of. A snapshot, not a mapping: the file
// may be rewritten meanwhile, and is then read again.
struct SongListPreload {
    std::string path;
    std::string bytes;
    bool read = false;
    std::vector<SongRow> rows;
    std::thread worker;
    ~SongListPreload() {
        if (worker.joinable()) worker.join();
    }
};

std::unique_ptr<SongListPreload>& PendingPreload() {
    static std::unique_ptr<SongListPreload> pending;
    return pending;
}

// True when the file at path holds exactly these bytes now.
bool FileHoldsExactly(const std::string& path, std::string_view bytes) {
    FileHandle file(path, O_RDONLY);
    if (!file.IsOpen() || file.Size() != static_cast<off_t>(bytes.size())) return false;
    std::string chunk(size_t{1} << 20, '\0');
    size_t at = 0;
    for (;;) {
        const ssize_t got = ::pread(file.fd(), chunk.data(), chunk.size(), static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return at == bytes.size();
        const size_t n = static_cast<size_t>(got);
        if (at + n > bytes.size() || std::memcmp(chunk.data(), bytes.data() + at, n) != 0) return false;
        at += n;
    }
}

// The pending preload, once it has ended, when it read path and the file still holds its bytes.
SongListPreload* PreloadHolding(const std::string& path) {
    SongListPreload* preload = PendingPreload().get();
    if (!preload) return nullptr;
    if (preload->worker.joinable()) preload->worker.join();
    const bool holds = preload->path == path && preload->read && FileHoldsExactly(path, preload->bytes);
    return holds ? preload : nullptr;
}

bool PreloadedBytes(const std::string& path, std::string_view& bytes) {
    const SongListPreload* preload = PreloadHolding(path);
    if (preload) bytes = preload->bytes;
    return preload != nullptr;
}

// The preloaded rows of path when the file still holds what they were made of. The preload is used up
// either way.
bool TakePreloadedRows(const std::string& path, std::vector<SongRow>& table) {
    SongListPreload* preload = PreloadHolding(path);
    if (preload) table = std::move(preload->rows);
    DropSongListPreload();
    return preload != nullptr;
}

}  // namespace

void PreloadSongList(const std::string& path) {
    DropSongListPreload();
    // A preload that cannot be made (no memory, no thread) is only not there: the load reads the file itself.
    try {
        auto preload = std::make_unique<SongListPreload>();
        preload->path = path;
        SongListPreload* p = preload.get();
        preload->worker = std::thread([p] {
            try {
                struct stat info {};
                if (!SongListSizeFits(p->path, info)) return;
                p->read = ReserveRowsWhile(p->rows, RowsOfSize(info.st_size),
                                           [p] { return ReadSongListBytes(p->path, p->bytes); });
                if (p->read) p->read = BuildSongRows(p->bytes, p->rows);
            } catch (const std::exception&) {
                p->read = false;
                std::vector<SongRow>().swap(p->rows);
                std::string().swap(p->bytes);
            }
        });
        PendingPreload() = std::move(preload);
    } catch (const std::exception&) {
    }
}

void DropSongListPreload() { PendingPreload().reset(); }

void WaitForSongListPreload() {
    if (SongListPreload* preload = PendingPreload().get(); preload && preload->worker.joinable())
        preload->worker.join();
}

bool LoadAllSong(const std::string& path) {
    // The rows are built in a table of their own, which replaces AllSong only once the file was read.
    std::vector<SongRow> table;
    if (!TakePreloadedRows(path, table)) {
        struct stat info {};
        if (!SongListSizeFits(path, info)) return false;
        std::string bytes;
        if (!ReserveRowsWhile(table, RowsOfSize(info.st_size),
                              [&] { return ReadSongListBytes(path, bytes); }))
            return false;
        if (!BuildSongRows(bytes, table)) return false;
    }
    // Loading only mirrors the file: nothing may be appended to it meanwhile.
    const bool wasLoading = LoadingSongs;
    LoadingSongs = true;
    const size_t count = table.size();
    AllSong.swap(table);
    AllSongCount = static_cast<int>(count);
    ShownRows.resize(count);
    for (size_t i = 0; i < count; ++i) ShownRows[i] = static_cast<int>(i);
    AddSingerDisplayEntriesOfRows(AllSong);
    LoadingSongs = wasLoading;
    return true;
}

bool ReportSongListWrite(bool written) {
    if (!written) ShowOpenError(SongListPath());
    return written;
}

bool WriteSongRecord(int row) {
    if (!IsRow(row)) return false;
    if (LoadingSongs) return true;
    const std::string record = JoinSongRecord(AllSong[row]);
    TakeBakCopy();
    return WriteStringToFile(SongListPath(), EncodeLine(row, record), row);
}

bool AppendSongRecord() {
    const int row = AllSongCount - 1;
    if (!IsRow(row)) return false;
    if (LoadingSongs) return true;
    const std::string record = JoinSongRecord(AllSong[row]);
    TakeBakCopy();
    return AppendSongLine(SongListPath(), EncodeLine(row, record));
}

bool WriteStringToFile(const std::string& path, const std::string& text, int index) {
    if (LoadingSongs) return true;
    if (text.empty()) {
        UI().ShowInfoMessage("str is blank in WriteStringToFile, error (" + Big5Path(path) + ":" +
                             std::to_string(index) + ")!");
        return false;
    }
    if (index < 0) return false;
    const std::string line = text + "\r\n";
    FileHandle file(path);
    if (!file.IsOpen() || index >= AllSongCount || !file.HoldsRows(AllSongCount, line.size())) {
        ShowOpenError(path);
        return false;
    }
    const bool ok = file.WriteAt(line.data(), line.size(), static_cast<off_t>(index) * line.size());
    if (file.Close() && ok) return true;
    ShowOpenError(path);  // a write cut short (full disk, size limit) is as much a failure as no file
    return false;
}

void RestoreSongRecord(int row, const SongRow& before) {
    if (!IsRow(row) || LoadingSongs) return;
    const std::string path = SongListPath();
    const off_t at = static_cast<off_t>(row) * SongRecordBytes;
    // The bytes that did reach the file are the old record's again where the file takes them; those
    // beyond a cut were never overwritten.
    const std::string old = EncodeLine(row, JoinSongRecord(before));
    // Only over bytes the file has: past its end the put-back would itself leave a hole.
    if (FileHandle file(path, O_WRONLY); file.IsOpen() && file.Size() > at)
        file.WriteAt(old.data(), std::min<size_t>(old.size(), static_cast<size_t>(file.Size() - at)), at);
    std::string record(SongLineLength, ' ');
    ssize_t got = -1;
    if (FileHandle file(path, O_RDONLY); file.IsOpen()) {
        do got = ::pread(file.fd(), record.data(), record.size(), at);
        while (got < 0 && errno == EINTR);
    }
    SongRow& song = AllSong[row];
    song = before;
    if (got <= 0) return;  // nothing of the record to read: the row stays as it was before the change
    record.resize(static_cast<size_t>(got));
    EnsureLineCipherTables();
    DecipherInPlace(row, record.data(), record.size());
    for (size_t f = 0; f < kStarts.size(); ++f)
        AssignTrimmed(song[f], FieldView(record, kStarts[f], kWidths[f]));
    if (song[colSinger] != before[colSinger]) {
        song[colSingerWordCount] = std::to_string(CountSongWords(song[colSinger]));
        song[colSingerStrokes] = std::to_string(Big5StrokeCountOfFirstChar(song[colSinger]));
    }
}

bool AppendSongLine(const std::string& path, const std::string& text) {
    if (LoadingSongs) return true;
    FileHandle file(path);
    const std::string line = text + "\r\n";
    // The appended row is the table's last: the file holds exactly the rows before it.
    const off_t end = file.IsOpen() ? file.Size() : -1;
    if (AllSongCount < 1 || end != static_cast<off_t>(AllSongCount - 1) * static_cast<off_t>(line.size()))
        return false;
    const bool written = file.WriteAt(line.data(), line.size(), end);
    // A record cut short (full disk) or not confirmed (a late error of a network file system) goes again,
    // through the file as opened (its name may lead elsewhere by then): the caller takes the row back, and
    // the file keeps the rows it had.
    const int kept = ::fcntl(file.fd(), F_DUPFD_CLOEXEC, 0);
    const bool confirmed = file.Close() && written;
    if (!confirmed && kept >= 0) static_cast<void>(::ftruncate(kept, end));
    if (kept >= 0) ::close(kept);
    return confirmed;
}

bool TruncateSongFile(const std::string& path, int recordLength, int recordCount) {
    if (LoadingSongs) return true;
    if (recordLength < 0 || recordCount < 0) return false;
    FileHandle file(path);
    const off_t size = static_cast<off_t>(recordCount) * (recordLength + 2);
    // A cut never lengthens the file: that would fill it with NUL bytes.
    if (!file.IsOpen() || file.Size() < size) return false;
    const bool ok = ::ftruncate(file.fd(), size) == 0;
    return file.Close() && ok;
}

bool WritePinyinColumn() { return WriteWholeColumn(colPinyin); }
bool WriteSingerClassColumn() { return WriteWholeColumn(colSingerClass); }
bool WritePriorityColumn() { return WriteWholeColumn(colSingerPriority); }
bool WriteStrokesColumn() { return WriteWholeColumn(colStrokes); }
bool WriteFavouriteColumn() { return WriteWholeColumn(colFavourite); }
bool WriteVolumeColumn() { return WriteWholeColumn(colVolume); }

bool ClearNewMarksColumn() {
    return WriteFieldOfRows(colNewMark, RowsWhere([](SongRow& row) {
                                std::string& mark = row[colNewMark];
                                if (mark != "*" && mark != "@") return false;
                                mark.clear();
                                return true;
                            }));
}

bool MarkNewSongsBooked() {
    return WriteFieldOfRows(colNewMark, RowsWhere([](SongRow& row) {
                                std::string& mark = row[colNewMark];
                                if (mark != "*") return false;
                                mark = "@";
                                return true;
                            }));
}

bool WriteRowPriority(int row) {
    if (!IsRow(row)) return false;
    return WriteFieldOfRows(colSingerPriority, {row});
}

}  // namespace qv
