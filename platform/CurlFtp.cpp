#include <curl/curl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

#include "catalogue/TextFile.h"
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
        connected_ = curl_easy_perform(curl_) == CURLE_OK;
        if (!connected_) Disconnect();
        return connected_;
    }

    bool Upload(const std::string& localPath, const std::string& remoteName) override {
        if (!connected_) return false;
        std::FILE* file = std::fopen(localPath.c_str(), "rb");
        if (!file) return false;
        Prepare(remoteName);
        curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl_, CURLOPT_READFUNCTION, ReadFromFile);
        curl_easy_setopt(curl_, CURLOPT_READDATA, file);
        const bool ok = curl_easy_perform(curl_) == CURLE_OK;
        std::fclose(file);
        return ok;
    }

    bool Download(const std::string& remoteName, const std::string& localPath) override {
        namespace fs = std::filesystem;
        if (!connected_) return false;
        std::string temporary = TemporaryPatternFor(localPath);
        const int fd = ::mkstemp(temporary.data());
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
        bool ok = curl_easy_perform(curl_) == CURLE_OK;
        ok = std::fclose(file) == 0 && ok;
        std::error_code error;
        if (ok) fs::rename(temporary, localPath, error);
        if (!ok || error) {
            ::unlink(temporary.c_str());
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
        curl_easy_perform(curl_);
        curl_easy_setopt(curl_, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(commands);
    }

    void Disconnect() override {
        if (curl_) curl_easy_cleanup(curl_);
        curl_ = nullptr;
        connected_ = false;
    }

    bool Connected() const override { return connected_; }

private:
    // The same handle for every request of the session, so its control connection is kept.
    void Prepare(const std::string& remoteName) {
        curl_easy_reset(curl_);
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
    }

    FtpAccount account_;
    CURL* curl_ = nullptr;
    bool connected_ = false;
};

std::unique_ptr<FtpSession> MakeCurlFtpSession() { return std::make_unique<CurlFtpSession>(); }

FtpSessionFactory factory = MakeCurlFtpSession;

}  // namespace

std::unique_ptr<FtpSession> MakeFtpSession() { return factory(); }
void SetFtpSessionFactory(FtpSessionFactory f) { factory = f ? f : MakeCurlFtpSession; }

}  // namespace qv
