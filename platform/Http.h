#pragma once
// HTTP GET and download. Every request is bounded by a connect and a total time-out, so a server that
// accepts and never answers costs seconds, not a hung window.
#include <cstddef>
#include <memory>
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

std::unique_ptr<HttpClient> MakeCurlHttpClient(const HttpLimits& limits = {});

// The program's client; tests may set their own (nullptr: back to the default).
HttpClient& Http();
void SetHttpClient(HttpClient* client);

// Percent-encodes every byte but the unreserved ones (letters, digits, "-._~").
std::string PercentEncode(std::string_view bytes);

}  // namespace qv
