#include "platform/ServerHosts.h"

#include <cstdlib>

// The build names the song-book service (platform/CMakeLists.txt); these stand in for a build that does not.
#ifndef QV_CLOUD_FTP_HOST
#define QV_CLOUD_FTP_HOST "ftp.qv-jukebox.example:21"
#endif
#ifndef QV_CLOUD_FTP_LOGIN
#define QV_CLOUD_FTP_LOGIN "songbook@qv-jukebox.example"
#endif
#ifndef QV_CLOUD_WEB_ADDRESS
#define QV_CLOUD_WEB_ADDRESS "http://www.qv-jukebox.example"
#endif

namespace qv {
namespace {

// QV_MAKER_SERVER ("host[:port]") points every server at one host: a test site or a local stand-in.
ServerHosts DefaultHosts() {
    if (const char* host = std::getenv("QV_MAKER_SERVER"); host && *host) return {host, host, host};
    return {"song.qv-jukebox.example", "192.0.2.36", "www.qv-jukebox.example"};
}

const ServerHosts defaultHosts = DefaultHosts();
ServerHosts current = defaultHosts;

std::string FromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

CloudService DefaultCloudService() {
    return {FromEnvironment("QV_CLOUD_FTP", QV_CLOUD_FTP_HOST),
            FromEnvironment("QV_CLOUD_LOGIN", QV_CLOUD_FTP_LOGIN), "KTR3061957KTR",
            FromEnvironment("QV_CLOUD_WEB", QV_CLOUD_WEB_ADDRESS)};
}

CloudService cloudService = DefaultCloudService();

}  // namespace

const ServerHosts& MakerServers() { return current; }
void SetMakerServers(const ServerHosts& hosts) { current = hosts; }
void ResetMakerServers() { current = defaultHosts; }

const CloudService& CloudSongBookService() { return cloudService; }
void SetCloudSongBookService(const CloudService& service) { cloudService = service; }

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
