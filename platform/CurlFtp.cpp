#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <utility>

#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "platform/CurlSockets.h"
#include "platform/Ftp.h"

namespace qv {
namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
    return std::fwrite(data, 1, size * count, static_cast<std::FILE*>(user));
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

size_t ReadFromFile(char* data, size_t size, size_t count, void* user) {
    return std::fread(data, 1, size * count, static_cast<std::FILE*>(user));
}

// The remote name an upload is written under until it is whole.
std::string PartName(const std::string& remoteName) { return remoteName + ".part"; }

// The account goes to libcurl in its own options, never inside a URL that could be logged; the remote
// name is URL-escaped.
class CurlFtpSession final : public FtpSession {
public:
    CurlFtpSession() {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    }
    ~CurlFtpSession() override { Disconnect(); }

    bool Connect(const FtpAccount& account) override {
        Disconnect();
        account_ = account;
        curl_ = curl_easy_init();
        if (!curl_) return false;
        Prepare("");
        curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);  // log in and stop: no listing
        connected_ = Perform() == CURLE_OK;
        if (!connected_) {
            Disconnect();
            ThrowIfAbandoned();
        }
        return connected_;
    }

    // Other installations read the remote file at any time: the bytes go under a name of their own and
    // replace it (RNFR/RNTO on the same connection) only once they are all there. A failed transfer or a
    // refused rename removes the part; a transfer ended by the end request leaves it for the next upload
    // to overwrite, as waiting for the server is what the end must not do.
    bool Upload(const std::string& localPath, const std::string& remoteName) override {
        if (!connected_) return false;
        std::FILE* file = std::fopen(localPath.c_str(), "rbe");
        if (!file) return false;
        const std::string part = PartName(remoteName);
        Prepare(part);
        curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl_, CURLOPT_READFUNCTION, ReadFromFile);
        curl_easy_setopt(curl_, CURLOPT_READDATA, file);
        curl_slist* rename = curl_slist_append(nullptr, ("RNFR " + part).c_str());
        rename = curl_slist_append(rename, ("RNTO " + remoteName).c_str());
        curl_easy_setopt(curl_, CURLOPT_POSTQUOTE, rename);
        const CURLcode result = Perform();
        curl_easy_setopt(curl_, CURLOPT_POSTQUOTE, nullptr);
        curl_slist_free_all(rename);
        std::fclose(file);
        ThrowIfAbandoned();
        if (result == CURLE_OK) return true;
        if (result != CURLE_ABORTED_BY_CALLBACK) Command("DELE " + part);
        return false;
    }

    bool Download(const std::string& remoteName, const std::string& localPath) override {
        namespace fs = std::filesystem;
        if (!connected_) return false;
        std::string temporary = TemporaryPatternFor(localPath);
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) return false;
        std::FILE* file = ::fdopen(fd, "wb");
        if (!file) {
            ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        }
        Prepare(remoteName);
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, WriteToFile);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, file);
        bool ok = Perform() == CURLE_OK;
        ok = std::fclose(file) == 0 && ok;
        std::error_code error;
        if (ok) fs::rename(temporary, localPath, error);
        if (!ok || error) {
            ::unlink(temporary.c_str());
            ThrowIfAbandoned();
            return false;
        }
        return true;
    }

    void Command(const std::string& line) override {
        if (!connected_) return;
        Prepare("");
        curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
        curl_slist* commands =
            curl_slist_append(nullptr, ("*" + line).c_str());  // "*": a refusal is no error
        curl_easy_setopt(curl_, CURLOPT_QUOTE, commands);
        Perform();
        curl_easy_setopt(curl_, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(commands);
        ThrowIfAbandoned();
    }

    void Disconnect() override {
        if (curl_) curl_easy_cleanup(curl_);
        curl_ = nullptr;
        connected_ = false;
    }

    bool Connected() const override { return connected_; }

private:
    // Every transfer is a step of the run that asked for it: the window stays painted, and once the end is
    // asked for the transfer stops at the next call (at least one a second, also while the server is
    // silent). The run's RunAbandoned is thrown again once the transfer's own clean-up is done.
    static int Step(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* session = static_cast<CurlFtpSession*>(user);
        try {
            UI().ProcessEvents();
        } catch (const RunAbandoned&) {
            session->abandoned_ = true;
            return 1;
        }
        return EndRequested() ? 1 : 0;
    }

    CURLcode Perform() {
        abandoned_ = false;
        return curl_easy_perform(curl_);
    }

    void ThrowIfAbandoned() {
        if (std::exchange(abandoned_, false)) throw RunAbandoned{};
    }

    // The same handle for every request of the session, so its control connection is kept.
    void Prepare(const std::string& remoteName) {
        curl_easy_reset(curl_);
        OpenSocketsCloseOnExec(curl_);
        std::string url = "ftp://" + account_.host + "/";
        if (!remoteName.empty()) {
            char* escaped = curl_easy_escape(curl_, remoteName.c_str(), static_cast<int>(remoteName.size()));
            url += escaped ? escaped : "";
            curl_free(escaped);
        }
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl_, CURLOPT_USERNAME, account_.userId.c_str());
        curl_easy_setopt(curl_, CURLOPT_PASSWORD, account_.password.c_str());
        curl_easy_setopt(curl_, CURLOPT_FTPPORT, "-");  // active mode
        curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS, account_.timeoutMs);
        curl_easy_setopt(curl_, CURLOPT_ACCEPTTIMEOUT_MS, account_.timeoutMs);
        curl_easy_setopt(curl_, CURLOPT_SERVER_RESPONSE_TIMEOUT, (account_.timeoutMs + 999) / 1000);
        // A whole list is megabytes: a generous cap on the whole transfer, and one that stalls ends early.
        curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, 600000L);
        curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, (account_.timeoutMs + 999) / 1000);
        curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl_, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Discard);
        curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, Step);
        curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
    }

    FtpAccount account_;
    CURL* curl_ = nullptr;
    bool connected_ = false;
    bool abandoned_ = false;
};

std::unique_ptr<FtpSession> MakeCurlFtpSession() { return std::make_unique<CurlFtpSession>(); }

FtpSessionFactory factory = MakeCurlFtpSession;

}  // namespace

std::unique_ptr<FtpSession> MakeFtpSession() { return factory(); }
void SetFtpSessionFactory(FtpSessionFactory f) { factory = f ? f : MakeCurlFtpSession; }

}  // namespace qv
