#include "platform/ServerHosts.h"

#include <cstdlib>

namespace qv {
namespace {

// QV_MAKER_SERVER ("host[:port]") points every server at one host: a test site or a local stand-in.
ServerHosts DefaultHosts() {
    if (const char* host = std::getenv("QV_MAKER_SERVER"); host && *host) return {host, host, host};
    return {"song.qv-jukebox.example", "192.0.2.36", "www.qv-jukebox.example"};
}

const ServerHosts defaultHosts = DefaultHosts();
ServerHosts current = defaultHosts;

}  // namespace

const ServerHosts& MakerServers() { return current; }
void SetMakerServers(const ServerHosts& hosts) { current = hosts; }
void ResetMakerServers() { current = defaultHosts; }

std::string HostWithoutPort(const std::string& host) {
    if (!host.empty() && host.front() == '[') {
        auto close = host.find(']');
        return close == std::string::npos ? host.substr(1) : host.substr(1, close - 1);
    }
    auto colon = host.find(':');
    if (colon != std::string::npos && host.find(':', colon + 1) == std::string::npos)
        return host.substr(0, colon);
    return host;  // a bare IPv6 address or no port
}

}  // namespace qv
