#pragma once
// The maker's servers, in one place. A host may carry a port ("127.0.0.1:8080"); tests point every one of
// them at servers of their own on the loopback.
#include <string>

namespace qv {

struct ServerHosts {
    std::string server;        // message and version requests; also the target of the echo request
    std::string secondServer;  // the same requests when the first server fails
    std::string webHost;       // message page and new-features page
};

const ServerHosts& MakerServers();
void SetMakerServers(const ServerHosts& hosts);
void ResetMakerServers();

// "host:port" -> "host"; "[::1]:80" -> "::1".
std::string HostWithoutPort(const std::string& host);

}  // namespace qv
