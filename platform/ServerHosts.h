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

// The song-book service of the cloud song book: its FTP server and account, and its web address.
struct CloudService {
    std::string ftpHost;  // "host" or "host:port"
    std::string login;
    std::string password;
    std::string webAddress;  // "http://host[:port]", no trailing "/"
};

// Build settings, each overridable by the environment (QV_CLOUD_FTP, QV_CLOUD_LOGIN, QV_CLOUD_WEB):
// tests point the service at servers of their own on the loopback.
const CloudService& CloudSongBookService();
void SetCloudSongBookService(const CloudService& service);

// "host:port" -> "host"; "[::1]:80" -> "::1".
std::string HostWithoutPort(const std::string& host);

}  // namespace qv
