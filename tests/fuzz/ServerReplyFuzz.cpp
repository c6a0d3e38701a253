// Any bytes as the server's replies: the message check shows a message only when the reply carries the
// prefix and a number above the one stored in "boot.bin", the version check leaves a finite number, and
// neither reads past the reply.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "library/ServerMessage.h"
#include "platform/Http.h"
#include "platform/ServerHosts.h"

using fuzz::Require;

namespace {

// Every GET answers with the same body, or fails.
class CannedHttp : public qv::HttpClient {
public:
    std::string body;
    bool answers = true;
    bool Get(const std::string&, std::string& out) override {
        if (!answers) return false;
        out = body;
        return true;
    }
    bool Download(const std::string&, const std::string&) override { return false; }
};

const std::string kPrefix = "\xB0\x54\xAE\xA7:";  // the message prefix in Big5

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CannedHttp http;
    static const bool ready = [] {
        qv::SetHttpClient(&http);
        qv::SetMakerServers({"127.0.0.1:9", "127.0.0.1:9", "127.0.0.1:9"});
        qv::AppDir = ".";
        return true;
    }();
    (void)ready;
    FuzzedDataProvider in(data, size);
    const bool withPrefix = in.ConsumeBool();
    http.answers = in.ConsumeBool() || size < 4;
    const std::string boot = in.ConsumeRandomLengthString(32);
    const std::string reply = (withPrefix ? kPrefix : std::string()) + in.ConsumeRemainingBytesAsString();
    http.body = reply;
    Require(qv::ReplaceFileContents("./boot.bin", boot));

    const int number = qv::ReadHashField9(reply);
    qv::MessageNo = -12345;
    const bool show = qv::CheckServerMessage();
    const bool prefixed = reply.compare(0, kPrefix.size(), kPrefix) == 0;
    Require(show == (http.answers && prefixed && number > qv::ReadBootBinValue()));
    Require(qv::MessageNo == (show ? number : -12345));

    qv::CheckLatestVersion();
    Require(std::isfinite(qv::LatestVersion));
    Require(http.answers || qv::LatestVersion == 0);
    return 0;
}
