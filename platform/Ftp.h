#pragma once
// FTP client for the cloud song book: one session from connect to disconnect, active mode. Transfers are
// bounded by a connect time-out and end when the server stalls, so a dead service costs seconds.
#include <memory>
#include <string>

namespace qv {

struct FtpAccount {
    std::string host;  // "host" or "host:port"
    std::string userId;
    std::string password;
    long timeoutMs = 10000;  // connect and answer time-out
};

class FtpSession {
public:
    virtual ~FtpSession() = default;
    // Logs in; false when the server cannot be reached or refuses the login.
    virtual bool Connect(const FtpAccount& account) = 0;
    // Uploads the local file under the remote name in the login's folder.
    virtual bool Upload(const std::string& localPath, const std::string& remoteName) = 0;
    // Saves the remote file; on failure the local file is left as it was.
    virtual bool Download(const std::string& remoteName, const std::string& localPath) = 0;
    // Sends one raw command line; its answer is not awaited as a success.
    virtual void Command(const std::string& line) = 0;
    virtual void Disconnect() = 0;
    virtual bool Connected() const = 0;
};

// A new session of the program's client; tests may set their own factory (nullptr: back to libcurl).
std::unique_ptr<FtpSession> MakeFtpSession();
using FtpSessionFactory = std::unique_ptr<FtpSession> (*)();
void SetFtpSessionFactory(FtpSessionFactory factory);

}  // namespace qv
