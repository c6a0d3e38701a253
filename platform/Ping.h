#pragma once
// ICMP echo client: a ping socket when the system allows one, a raw socket otherwise. The request is sent
// without waiting; the reply is picked up while the caller waits in steps.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace qv {

enum class EchoStatus {
    EchoReply,   // the host answered the echo
    ErrorReply,  // an ICMP error came back instead (unreachable, time exceeded, ...)
    TimedOut,    // nothing within the receive time-out
};

class IcmpEchoClient {
public:
    IcmpEchoClient() = default;
    ~IcmpEchoClient();
    IcmpEchoClient(const IcmpEchoClient&) = delete;
    IcmpEchoClient& operator=(const IcmpEchoClient&) = delete;

    std::string host;  // IPv4 address or host name
    int receiveTimeoutMs = 3000;
    std::function<void(EchoStatus)> onReply;  // called once per request sent

    // Resolves the host, opens a socket and sends one echo request. False when nothing went out (no
    // socket, unknown host, send error): then no reply event will come.
    bool Send();

    // Waits waitMs, or less when the reply event fires meanwhile (the reply arrived or the receive time-out
    // ran out). Without a pending request it just sleeps.
    void Wait(int waitMs);

    bool Pending() const { return fd_ >= 0; }
    bool UsesPingSocket() const { return !raw_; }

private:
    void Close();
    void Finish(EchoStatus status);
    // Reads what is queued; true when the reply event fired.
    bool ReadReplies();

    int fd_ = -1;
    bool raw_ = false;
    uint16_t id_ = 0;
    uint16_t sequence_ = 0;
    std::chrono::steady_clock::time_point deadline_{};
};

}  // namespace qv
