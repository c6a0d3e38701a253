#include "platform/ServerHosts.h"

namespace qv {
namespace {

const ServerHosts defaultHosts{
    "song.vorelktv.com.tw",
    "203.0.113.36",
    "www.vorelktv.com.tw",
};

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
