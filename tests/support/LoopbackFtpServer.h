#pragma once
// A real FTP server on 127.0.0.1 for tests: Debian's pyftpdlib run by Debian's own python3, serving one
// folder to one login, on a free port, logging every command it receives. Stopped with the object.
// The login's rights are pyftpdlib's letters ("f": rename); readLimit slows what the server takes in
// (bytes a second; 0: no limit), so that an upload is still going on when a test cuts it.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace qv::test {

struct FtpServerRules {
    std::string rights = "elradfmwMT";
    int readLimit = 0;
};

class LoopbackFtpServer {
public:
    LoopbackFtpServer(const std::string& folder, const std::string& login, const std::string& password,
                      const std::string& logPath, const FtpServerRules& rules = {})
        : log_(logPath) {
        const std::string portFile = logPath + ".port";
        static const char* script = R"(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
from pyftpdlib.handlers import ThrottledDTPHandler
folder, login, password, log, port_file, rights, read_limit = sys.argv[1:8]
logging.basicConfig(filename=log, level=logging.DEBUG)
authorizer = DummyAuthorizer()
authorizer.add_user(login, password, folder, perm=rights)
FTPHandler.authorizer = authorizer
if int(read_limit) > 0:
    ThrottledDTPHandler.read_limit = int(read_limit)
    FTPHandler.dtp_handler = ThrottledDTPHandler
FTPHandler.permit_foreign_addresses = False
FTPHandler.auth_failed_timeout = 0
# Names that are not UTF-8 reach the disk byte for byte.
FTPHandler.unicode_errors = "surrogateescape"
server = FTPServer(("127.0.0.1", 0), FTPHandler)
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.address[1]))
import os
os.rename(port_file + ".tmp", port_file)
server.serve_forever(timeout=0.2)
)";
        const std::string readLimit = std::to_string(rules.readLimit);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/usr/bin/python3", "python3", "-c", script, folder.c_str(), login.c_str(),
                    password.c_str(), logPath.c_str(), portFile.c_str(), rules.rights.c_str(),
                    readLimit.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // A loaded machine may take its time to start Python: wait up to two minutes for the port.
        for (int i = 0; i < 4800 && port_.empty(); ++i) {
            std::ifstream(portFile) >> port_;
            if (port_.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        if (port_.empty()) {
            Stop();
            throw std::runtime_error("the FTP server did not start (python3-pyftpdlib installed?)");
        }
    }
    ~LoopbackFtpServer() { Stop(); }
    LoopbackFtpServer(const LoopbackFtpServer&) = delete;
    LoopbackFtpServer& operator=(const LoopbackFtpServer&) = delete;

    std::string Host() const { return "127.0.0.1:" + port_; }
    std::string Log() const {
        std::stringstream text;
        text << std::ifstream(log_).rdbuf();
        return text.str();
    }

private:
    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    std::string log_;
    std::string port_;
    pid_t pid_ = -1;
};

}  // namespace qv::test
