#pragma once
// A small HTTP server on 127.0.0.1 for tests: answers every GET through a handler (or from a table of
// replies by path that the test may change while the server runs), records the request targets, and can
// accept a connection and never answer.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qv::test {

class LoopbackHttpServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
        bool silent = false;  // keep the connection open and send nothing
    };
    using Handler = std::function<Reply(const std::string& target)>;

    // Answers from the table set by SetReply, by path without the query; 404 for any other path.
    LoopbackHttpServer() : LoopbackHttpServer(nullptr) {}

    explicit LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Run(); });
    }

    ~LoopbackHttpServer() {
        stop_ = true;
        thread_.join();
        for (int fd : held_) ::close(fd);
        ::close(listener_);
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

    std::vector<std::string> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    void SetReply(const std::string& path, Reply reply) {
        std::lock_guard lock(mutex_);
        replies_[path] = std::move(reply);
    }
    void ClearReplies() {
        std::lock_guard lock(mutex_);
        replies_.clear();
    }

    // A loopback port with nobody listening on it.
    static std::string ClosedHost() {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(fd);
        return "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }

private:
    void Run() {
        while (!stop_) {
            pollfd entry{listener_, POLLIN, 0};
            if (::poll(&entry, 1, 50) <= 0) continue;
            int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) Serve(fd);
        }
    }

    Reply Answer(const std::string& target) {
        std::lock_guard lock(mutex_);
        requests_.push_back(target);
        if (handler_) return handler_(target);
        auto it = replies_.find(target.substr(0, target.find('?')));
        return it == replies_.end() ? Reply{404, ""} : it->second;
    }

    void Serve(int fd) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && !stop_) {
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 2000) <= 0) break;
            ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            request.append(buffer, static_cast<size_t>(got));
        }
        auto first = request.find(' ');
        auto second = request.find(' ', first + 1);
        std::string target = first == std::string::npos || second == std::string::npos
                                 ? std::string()
                                 : request.substr(first + 1, second - first - 1);
        Reply reply = Answer(target);
        if (reply.silent) {
            held_.push_back(fd);
            return;
        }
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) +
                           " X\r\nContent-Length: " + std::to_string(reply.body.size()) +
                           "\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";
        std::string all = head + reply.body;
        size_t sent = 0;
        while (sent < all.size()) {
            ssize_t n = ::send(fd, all.data() + sent, all.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        ::close(fd);
    }

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<int> held_;
    mutable std::mutex mutex_;  // the requests, the replies and the handler's own state
    std::vector<std::string> requests_;
    std::map<std::string, Reply> replies_;
};

}  // namespace qv::test
