#include "outputs/CloudSongBook.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <numeric>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/ServerMessage.h"
#include "library/SongFiles.h"
#include "library/Startup.h"
#include "platform/Ftp.h"
#include "platform/ServerHosts.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace qv {
namespace {

constexpr char FieldMark[] = "##";

std::string ObrelPath() { return PathIn(AppDir, "obrel.txt"); }

FtpAccount ServiceAccount() {
    const CloudService& service = CloudSongBookService();
    return {service.ftpHost, service.login, service.password, 10000};
}

void RemoveFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t mark; (mark = line.find(FieldMark, start)) != std::string::npos; start = mark + 2)
        fields.push_back(line.substr(start, mark - start));
    // Read back as lines: an empty last field is no line.
    if (start < line.size()) fields.push_back(line.substr(start));
    return fields;
}

// Upload and sync share the command frame: the switch, the wait window, the result and LastUpdate.
void RunCloudCommand(bool (*operation)(), const char* waitText, const char* doneText,
                     const char* failedText) {
    if (!setup::ObrelEnabled) {
        UI().ShowInfoMessage(B5("雲端歌簿尚未啟動, 請先在設定中啟動雲端歌簿功能."));
        return;
    }
    UI().ShowWaitMessage(B5(waitText));
    const bool ok = operation();
    UI().HideWaitMessage();
    if (ok) {
        WriteSetting(setup::keys::LastUpdate, std::to_string(FileAge(SongListPath())));
        UI().ShowInfoMessage(B5(doneText));
    } else {
        UI().ShowInfoMessage(B5(failedText));
    }
}

constexpr char UploadWait[] = "雲端歌簿上傳中, 請稍候...";
constexpr char UploadDone[] = "雲端歌簿上傳完成";
constexpr char UploadFailed[] = "雲端歌簿上傳失敗, 請檢查電腦是否連上網路.";

}  // namespace

std::string CloudAccountId() {
    const std::string id = ReadInstallationId();
    if (id.find_first_of("\r\n/\\") != std::string::npos) return {};
    return id;
}

std::vector<std::string> CloudListLines() {
    std::vector<int> rows;
    for (int row = 0; row < AllSongCount; ++row)
        if (AllSong[row][colSpecialDel] != "X") rows.push_back(row);
    std::sort(rows.begin(), rows.end(), [](int a, int b) { return CompareSongBookOrder(a, b) < 0; });
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (int row : rows) {
        const SongRow& song = AllSong[row];
        const std::string& newMark = song[colNewMark];
        lines.push_back(song[colSongNo] + FieldMark + FixTruncatedDbcsTail(song[colSongName]) + FieldMark +
                        FixTruncatedDbcsTail(song[colSinger]) + FieldMark + song[colLanguage] + FieldMark +
                        song[colWordCount] + FieldMark + song[colStrokes] + FieldMark +
                        (newMark == "*" || newMark == "@" ? "*" : "0") + FieldMark +
                        (song[colFavourite] == "*" ? "*" : "0"));
    }
    return lines;
}

bool UploadObrelBook() {
    if (!HostReachable) return false;
    const std::string account = CloudAccountId();
    if (account.empty()) return false;
    const std::vector<std::string> lines = CloudListLines();
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    // The list is only the upload's copy: it goes whatever the outcome, an abandoned run's too.
    struct ListCopy {
        ~ListCopy() { RemoveFile(ObrelPath()); }
    } listCopy;
    if (!ReplaceFileContents(ObrelPath(), text)) return false;

    std::unique_ptr<FtpSession> ftp = MakeFtpSession();
    bool ok = false;
    if (ftp->Connect(ServiceAccount())) {
        // The id's own bytes, as every other installation of the account names the file.
        const std::string remote = account + ".txt";
        ok = ftp->Upload(ObrelPath(), remote);
        if (ok) ftp->Command("chmod 777 " + remote);
    }
    ftp->Disconnect();
    return ok;
}

bool SyncObrelFavourites() {
    if (!HostReachable) return false;
    const std::string account = CloudAccountId();
    if (account.empty()) return false;
    std::unique_ptr<FtpSession> ftp = MakeFtpSession();
    bool ok = false;
    if (ftp->Connect(ServiceAccount())) ok = ftp->Download(account + ".txt", ObrelPath());
    ftp->Disconnect();
    std::string bytes;
    if (!ok || !ReadFileBytes(ObrelPath(), bytes)) return false;
    RemoveFile(ObrelPath());

    const std::vector<std::string> lines = SplitTextLines(bytes);
    std::vector<int> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&lines](int a, int b) { return lines[a].compare(0, 5, lines[b], 0, 5) < 0; });

    // The walk relies on AllSong being in song-number order, as "song.qv2" is.
    std::vector<std::pair<int, std::string>> changed;  // row, its mark before
    int row = 0;
    for (int index : order) {
        if (AllSongCount == 0) break;
        const std::vector<std::string> fields = SplitFields(lines[index]);
        if (fields.size() < 8) continue;
        const std::string mark = fields[7] == "*" ? "*" : "";
        while (fields[0] > AllSong[row][colSongNo] && row < AllSongCount - 1) ++row;
        SongRow& song = AllSong[row];
        if (fields[0] == song[colSongNo] && fields[1] == song[colSongName] && song[colFavourite] != mark) {
            changed.emplace_back(row, song[colFavourite]);
            song[colFavourite] = mark;
        }
    }
    if (!ReportSongListWrite(WriteFavouriteColumn())) {
        // Put back what the file held before; rows written before the failure are written back too.
        for (const auto& [changedRow, before] : changed) AllSong[changedRow][colFavourite] = before;
        WriteFavouriteColumn();
        return false;
    }
    if (TheSongFileHooks().refreshGrid) TheSongFileHooks().refreshGrid();
    return true;
}

void N34Click() { RunCloudCommand(UploadObrelBook, UploadWait, UploadDone, UploadFailed); }

void N36Click() {
    RunCloudCommand(SyncObrelFavourites, "雲端歌簿同步中, 請稍候...", "雲端歌簿同步完成",
                    "雲端歌簿同步失敗, 請檢查電腦是否連上網路.");
}

void OfferCloudUploadOnClose(int64_t songListAge) {
    if (!setup::ObrelEnabled) return;
    const std::string text = ReadSetting(setup::keys::LastUpdate);
    // The packed date-time is unsigned 32-bit: from 2044 on it passes the int range.
    int64_t lastUpload = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), lastUpload);
    if (error != std::errc() || end != text.data() + text.size()) lastUpload = 0;
    if (songListAge <= lastUpload) return;
    if (!UI().AskYesNo(B5("修改後雲端歌簿並未重新上傳, 是否執行上傳?"))) return;
    UI().ShowWaitMessage(B5(UploadWait));
    const bool ok = UploadObrelBook();
    UI().HideWaitMessage();
    if (ok) {
        WriteSetting(setup::keys::LastUpdate, std::to_string(songListAge));
        UI().ShowInfoMessage(B5(UploadDone));
    } else {
        UI().ShowInfoMessage(B5(UploadFailed));
    }
}

}  // namespace qv
