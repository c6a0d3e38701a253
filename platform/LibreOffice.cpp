#include "platform/LibreOffice.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QUrl>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace qv {

namespace fs = std::filesystem;

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

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

std::string DefaultOfficeProfileFolder() {
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        base = cache;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.cache";
    else
        base = fs::temp_directory_path().string() + "/qvsong-" + std::to_string(::getuid());
    return base + "/qvsong/office-profile";
}

LibreOfficeConverter::LibreOfficeConverter(std::string program, std::string profileFolder)
    : program_(std::move(program)), profile_(std::move(profileFolder)) {}

bool LibreOfficeConverter::Convert(const std::string& source, const std::string& target,
                                   const std::string& format, const std::function<void(int)>& progress,
                                   int expectedSeconds) {
    if (program_.empty()) return false;
    std::error_code ec;
    fs::create_directories(profile_, ec);
    const fs::path out = fs::path(target).parent_path();
    const std::string filter = format == "xls" ? "xls:MS Excel 97" : format;
    const fs::path produced = out / (fs::path(source).stem().string() + "." + format);
    fs::remove(produced, ec);

    QProcess process;
    process.setProgram(QString::fromStdString(program_));
    process.setArguments(
        {QStringLiteral("-env:UserInstallation=") +
             QUrl::fromLocalFile(QString::fromStdString(profile_)).toString(QUrl::FullyEncoded),
         "--headless", "--invisible", "--nologo", "--norestore", "--nodefault", "--nolockcheck",
         "--convert-to", QString::fromStdString(filter), "--outdir", QString::fromStdString(out.string()),
         QString::fromStdString(source)});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // Its own process group, so that a time-out ends the office's own children too.
    process.setChildProcessModifier([] { ::setsid(); });
    process.start();
    if (!process.waitForStarted(10000)) return false;
    const qint64 pid = process.processId();
    const double expected = std::max(1, expectedSeconds);
    const qint64 timeoutMs = (60 + 4 * static_cast<qint64>(expected)) * 1000;
    QElapsedTimer clock;
    clock.start();
    bool finished = false;
    while (!(finished = process.waitForFinished(100))) {
        if (process.state() == QProcess::NotRunning) break;
        if (clock.elapsed() > timeoutMs) break;
        // The converter tells nothing of its progress: the bar follows the expected time, never reaching 100.
        if (progress)
            progress(static_cast<int>(99.0 * (1.0 - std::exp(-clock.elapsed() / 1000.0 / expected))));
    }
    if (pid > 0) ::kill(-static_cast<pid_t>(pid), SIGKILL);
    if (!finished && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        fs::remove(produced, ec);
        return false;
    }
    if (!fs::is_regular_file(produced, ec) || fs::file_size(produced, ec) == 0) return false;
    if (produced != fs::path(target)) {
        fs::rename(produced, target, ec);
        if (ec) return false;
    }
    if (progress) progress(100);
    return true;
}

}  // namespace qv
