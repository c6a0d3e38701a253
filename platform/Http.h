#pragma once
// HTTP GET and download. Every request is bounded by a connect and a total time-out, so a server that
// accepts and never answers costs seconds, not a hung window.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

struct HttpLimits {
    long connectTimeoutMs = 3000;
    long totalTimeoutMs = 6000;
    size_t maxBodyBytes = 16u << 20;  // a longer body fails a GET to text (not a download)
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // True with the body when the server answered with a success status in time.
    virtual bool Get(const std::string& url, std::string& body) = 0;
    // Saves the body to the file; on failure the file is left as it was.
    virtual bool Download(const std::string& url, const std::string& path) = 0;
};

// One time limit over a series of requests (the server check of a start-up): while one is in force, each
// request gets at most the time left, and none starts once less than MinRequest is left. The innermost
// one in force counts; they nest as scopes.
class HttpDeadline {
public:
    static constexpr std::chrono::milliseconds MinRequest{100};
    explicit HttpDeadline(std::chrono::milliseconds budget);
    ~HttpDeadline();
    HttpDeadline(const HttpDeadline&) = delete;
    HttpDeadline& operator=(const HttpDeadline&) = delete;

    std::chrono::milliseconds Left() const;
    // Time left of the deadline in force (never below 0); nullopt when none is.
    static std::optional<std::chrono::milliseconds> Remaining();

private:
    std::chrono::steady_clock::time_point end_;
    const HttpDeadline* outer_;
};

std::unique_ptr<HttpClient> MakeCurlHttpClient(const HttpLimits& limits = {});

// The program's client; tests may set their own (nullptr: back to the default).
HttpClient& Http();
void SetHttpClient(HttpClient* client);

// Percent-encodes every byte but the unreserved ones (letters, digits, "-._~").
std::string PercentEncode(std::string_view bytes);

}  // namespace qv
