#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "catalogue/TextFile.h"
#include "platform/CurlSockets.h"
#include "platform/Http.h"

namespace qv {
namespace {

struct Sink {
    std::string* text = nullptr;
    std::FILE* file = nullptr;
    size_t limit = 0;
};

size_t Write(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    size_t bytes = size * count;
    if (sink->file) return std::fwrite(data, 1, bytes, sink->file);
    if (sink->text->size() + bytes > sink->limit) return 0;  // aborts the transfer
    sink->text->append(data, bytes);
    return bytes;
}

// Loopback never goes through a proxy, whatever the environment says.
std::string NoProxyList() {
    std::string list = "localhost,127.0.0.1,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"})
        if (const char* value = std::getenv(name); value && *value) return std::string(value) + "," + list;
    return list;
}

class CurlHttpClient final : public HttpClient {
public:
    explicit CurlHttpClient(const HttpLimits& limits) : limits_(limits) {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    }

    bool Get(const std::string& url, std::string& body) override {
        body.clear();
        Sink sink{&body, nullptr, limits_.maxBodyBytes};
        if (Perform(url, sink)) return true;
        body.clear();
        return false;
    }

    bool Download(const std::string& url, const std::string& path) override {
        namespace fs = std::filesystem;
        fs::path target(path);
        std::string pattern = TemporaryPatternFor(path);
        int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) return false;
        std::FILE* file = ::fdopen(fd, "wb");
        if (!file) {
            ::close(fd);
            ::unlink(pattern.c_str());
            return false;
        }
        Sink sink{nullptr, file, 0};
        bool ok = Perform(url, sink);
        ok = (std::fclose(file) == 0) && ok;
        std::error_code error;
        if (ok) fs::rename(pattern, target, error);
        if (!ok || error) {
            ::unlink(pattern.c_str());
            return false;
        }
        return true;
    }

private:
    bool Perform(const std::string& url, Sink& sink) {
        long connectMs = limits_.connectTimeoutMs, totalMs = limits_.totalTimeoutMs;
        if (const auto left = HttpDeadline::Remaining()) {
            if (*left < HttpDeadline::MinRequest) return false;
            connectMs = std::min<long>(connectMs, static_cast<long>(left->count()));
            totalMs = std::min<long>(totalMs, static_cast<long>(left->count()));
        }
        CURL* curl = curl_easy_init();
        if (!curl) return false;
        OpenSocketsCloseOnExec(curl);
        std::string noProxy = NoProxyList();
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, totalMs);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Write);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
        CURLcode result = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_cleanup(curl);
        return result == CURLE_OK && status >= 200 && status < 300;
    }

    HttpLimits limits_;
};

HttpClient* current = nullptr;
const HttpDeadline* innermostDeadline = nullptr;

}  // namespace

HttpDeadline::HttpDeadline(std::chrono::milliseconds budget)
    : end_(std::chrono::steady_clock::now() + budget), outer_(innermostDeadline) {
    innermostDeadline = this;
}

HttpDeadline::~HttpDeadline() { innermostDeadline = outer_; }

std::chrono::milliseconds HttpDeadline::Left() const {
    using namespace std::chrono;
    return std::max(milliseconds(0), duration_cast<milliseconds>(end_ - steady_clock::now()));
}

std::optional<std::chrono::milliseconds> HttpDeadline::Remaining() {
    if (!innermostDeadline) return std::nullopt;
    return innermostDeadline->Left();
}

std::unique_ptr<HttpClient> MakeCurlHttpClient(const HttpLimits& limits) {
    return std::make_unique<CurlHttpClient>(limits);
}

HttpClient& Http() {
    static std::unique_ptr<HttpClient> program = MakeCurlHttpClient();
    return current ? *current : *program;
}

void SetHttpClient(HttpClient* client) { current = client; }

std::string PercentEncode(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
        }
    }
    return out;
}

}  // namespace qv
