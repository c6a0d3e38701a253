#include "platform/LibreOffice.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QUrl>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "catalogue/Big5Codec.h"
#include "catalogue/UserInterface.h"
#include "platform/Process.h"

namespace qv {

namespace fs = std::filesystem;

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Profiles of the converter: one per conversion running at the same time, reused afterwards.
constexpr int kProfileSlots = 8;

// One profile held for one conversion: an exclusive lock on "<profile>.lock" says it is in use. The
// converter and its watch get the lock's descriptor, so the slot stays taken while any of them runs, also
// after we are gone; a lock goes with the last process that holds it.
class ProfileSlot {
public:
    ProfileSlot() = default;
    ProfileSlot(const ProfileSlot&) = delete;
    ProfileSlot& operator=(const ProfileSlot&) = delete;
    ~ProfileSlot() {
        if (fd_ >= 0) ::close(fd_);
    }

    enum class Take { Taken, Busy, NoFolder };
    // The first free profile of the cache folder; Busy when every one is in use, NoFolder when no lock
    // file can be made there at all (a folder that cannot be made or written).
    Take TryTake(const std::string& cache) {
        bool opened = false;
        for (int n = 1; n <= kProfileSlots; ++n) {
            const std::string folder = cache + "/office-profile" + (n == 1 ? "" : "-" + std::to_string(n));
            const int fd = ::open((folder + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd < 0) continue;
            opened = true;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                fd_ = fd;
                folder_ = folder;
                return Take::Taken;
            }
            ::close(fd);
        }
        return opened ? Take::Busy : Take::NoFolder;
    }
    const std::string& Folder() const { return folder_; }
    int Fd() const { return fd_; }

private:
    int fd_ = -1;
    std::string folder_;
};

// Ends the converter and everything it started, however the wait for it ends (a time-out, the end of
// the program asked for, an exception from the progress callback); then, unless the conversion was kept,
// removes what it may have produced, which nothing can write any more.
class ConversionGuard {
public:
    ConversionGuard(SupervisedRun& run, fs::path produced) : run_(run), produced_(std::move(produced)) {}
    ConversionGuard(const ConversionGuard&) = delete;
    ConversionGuard& operator=(const ConversionGuard&) = delete;
    ~ConversionGuard() {
        run_.Stop();
        std::error_code ec;
        if (!kept_) fs::remove(produced_, ec);
    }
    void Keep() { kept_ = true; }

private:
    SupervisedRun& run_;
    fs::path produced_;
    bool kept_ = false;
};

std::string WithProgram(const char* text) { return LibreOfficeName() + B5(text); }

}  // namespace

std::string LibreOfficeProgram() {
    if (const char* chosen = std::getenv("QV_SOFFICE")) return IsExecutableFile(chosen) ? chosen : "";
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && IsExecutableFile(dir + "/soffice")) return dir + "/soffice";
        start = end + 1;
    }
    return {};
}

std::string DefaultConverterCacheFolder() {
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        base = cache;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.cache";
    else
        base = fs::temp_directory_path().string() + "/qvsong-" + std::to_string(::getuid());
    return base + "/qvsong";
}

std::string LibreOfficeName() { return B5("試算表程式LibreOffice Calc (soffice)"); }

LibreOfficeConverter::LibreOfficeConverter(std::string program, std::string cacheFolder)
    : program_(std::move(program)), cache_(std::move(cacheFolder)) {
    if (const char* least = std::getenv("QV_SOFFICE_TIMEOUT")) leastTimeout_ = std::max(0, std::atoi(least));
}

bool LibreOfficeConverter::Convert(const std::string& source, const std::string& target,
                                   const std::string& format, const std::function<void(int)>& progress,
                                   int expectedSeconds) {
    failure_.clear();
    if (program_.empty()) return false;
    const double expected = std::max(1, expectedSeconds);
    const qint64 timeoutMs = std::max<qint64>(60 + 4 * static_cast<qint64>(expected), leastTimeout_) * 1000;
    std::error_code ec;
    fs::create_directories(cache_, ec);
    ProfileSlot profile;
    // Every profile busy: conversions of other copies of the program end within their time-outs.
    QElapsedTimer waited;
    waited.start();
    for (ProfileSlot::Take take; (take = profile.TryTake(cache_)) != ProfileSlot::Take::Taken;) {
        if (take == ProfileSlot::Take::NoFolder) {
            failure_ = WithProgram("的設定檔資料夾無法使用: ") + Utf8ToBig5(cache_);
            return false;
        }
        if (EndRequested()) throw RunAbandoned{};
        if (waited.elapsed() > timeoutMs) {
            failure_ = WithProgram("的設定檔都在使用中, 無法轉換.");
            return false;
        }
        if (progress) progress(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    // The conversion's own time, for its limit and its bar, starts once it has a profile.
    QElapsedTimer clock;
    clock.start();
    const fs::path out = fs::path(target).parent_path();
    const std::string filter = format == "xls" ? "xls:MS Excel 97" : format;
    const fs::path produced = out / (fs::path(source).stem().string() + "." + format);
    fs::remove(produced, ec);

    SupervisedRun run;
    ConversionGuard guard(run, produced);
    const std::vector<std::string> arguments{
        "-env:UserInstallation=" +
            QUrl::fromLocalFile(QString::fromStdString(profile.Folder())).toString(QUrl::FullyEncoded).toStdString(),
        "--headless", "--invisible", "--nologo", "--norestore", "--nodefault", "--nolockcheck",
        "--convert-to", filter, "--outdir", out.string(), source};
    const bool started = run.Start(program_, arguments, profile.Fd());
    // Short waits: an end asked for by a signal kills the converter within a tenth of a second.
    while (started && !run.Finished(100)) {
        if (EndRequested()) throw RunAbandoned{};
        if (clock.elapsed() > timeoutMs) {
            failure_ = WithProgram("轉換逾時 (") + std::to_string(timeoutMs / 1000) + B5("秒), 已中止.");
            return false;
        }
        // The converter tells nothing of its progress: the bar follows the expected time, never reaching 100.
        if (progress)
            progress(static_cast<int>(99.0 * (1.0 - std::exp(-clock.elapsed() / 1000.0 / expected))));
    }
    if (!started || run.Outcome() == SupervisedRun::End::NotStarted) {
        failure_ = WithProgram("無法啟動: ") + Utf8ToBig5(program_);
        return false;
    }
    if (!fs::is_regular_file(produced, ec) || fs::file_size(produced, ec) == 0) {
        failure_ =
            run.Outcome() == SupervisedRun::End::Crashed
                ? WithProgram("轉換時異常結束.")
                : WithProgram("轉換失敗, 未產生檔案 (結束碼 ") + std::to_string(run.ExitCode()) + ").";
        return false;
    }
    guard.Keep();
    if (produced != fs::path(target)) {
        fs::rename(produced, target, ec);
        if (ec) {
            fs::remove(produced, ec);
            failure_ = WithProgram("轉換的檔案無法移到定位.");
            return false;
        }
    }
    if (progress) progress(100);
    return true;
}

}  // namespace qv
