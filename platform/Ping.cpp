#include "platform/Ping.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

namespace qv {
namespace {

constexpr size_t PayloadSize = 32;

uint16_t Checksum(const uint8_t* data, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
    if (size % 2) sum += static_cast<uint32_t>(data[size - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

bool Resolve(const std::string& host, sockaddr_in& address) {
    if (host.empty()) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    std::memcpy(&address, found->ai_addr, sizeof address);
    freeaddrinfo(found);
    return true;
}

}  // namespace

IcmpEchoClient::~IcmpEchoClient() { Close(); }

void IcmpEchoClient::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool IcmpEchoClient::Send() {
    Close();
    sockaddr_in target{};
    if (!Resolve(host, target)) return false;

    raw_ = false;
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd_ < 0) {
        raw_ = true;
        fd_ = ::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    }
    if (fd_ < 0) return false;

    static uint16_t nextSequence = 1;
    sequence_ = nextSequence++;
    id_ = static_cast<uint16_t>(::getpid() ^ (reinterpret_cast<uintptr_t>(this) >> 4));

    std::array<uint8_t, 8 + PayloadSize> packet{};
    packet[0] = ICMP_ECHO;
    packet[4] = static_cast<uint8_t>(id_ >> 8);
    packet[5] = static_cast<uint8_t>(id_);
    packet[6] = static_cast<uint8_t>(sequence_ >> 8);
    packet[7] = static_cast<uint8_t>(sequence_);
    for (size_t i = 0; i < PayloadSize; ++i) packet[8 + i] = static_cast<uint8_t>('a' + i % 23);
    uint16_t sum = Checksum(packet.data(), packet.size());
    packet[2] = static_cast<uint8_t>(sum >> 8);
    packet[3] = static_cast<uint8_t>(sum);

    if (::sendto(fd_, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&target), sizeof target) <
        0) {
        Close();
        return false;
    }
    if (!raw_) {
        // The kernel puts the socket's own identifier into requests sent through a ping socket.
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) == 0)
            id_ = ntohs(local.sin_port);
    }
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(receiveTimeoutMs);
    return true;
}

void IcmpEchoClient::Finish(EchoStatus status) {
    Close();
    if (onReply) onReply(status);
}

bool IcmpEchoClient::ReadReplies() {
    std::array<uint8_t, 1500> buffer{};
    for (;;) {
        ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return false;
            // A ping socket reports ICMP errors for its request as socket errors.
            Finish(EchoStatus::ErrorReply);
            return true;
        }
        size_t size = static_cast<size_t>(got);
        const uint8_t* icmp = buffer.data();
        if (raw_) {
            if (size < 20) continue;
            size_t headerSize = static_cast<size_t>(buffer[0] & 0x0F) * 4;
            if (headerSize < 20 || size < headerSize + 8) continue;
            icmp += headerSize;
            size -= headerSize;
        }
        if (size < 8) continue;
        uint8_t type = icmp[0];
        if (type == ICMP_ECHOREPLY) {
            if (Read16(icmp + 6) != sequence_) continue;
            if (raw_ && Read16(icmp + 4) != id_) continue;
            Finish(EchoStatus::EchoReply);
            return true;
        }
        if (!raw_ || type == ICMP_ECHO) continue;  // a raw socket also sees requests, ours included
        // An error message quotes the IP header and the first 8 bytes of the request that caused it.
        if (size < 8 + 20) continue;
        const uint8_t* quoted = icmp + 8;
        size_t quotedHeader = static_cast<size_t>(quoted[0] & 0x0F) * 4;
        if (quotedHeader < 20 || size < 8 + quotedHeader + 8) continue;
        const uint8_t* request = quoted + quotedHeader;
        if (request[0] != ICMP_ECHO || Read16(request + 4) != id_ || Read16(request + 6) != sequence_)
            continue;
        Finish(EchoStatus::ErrorReply);
        return true;
    }
}

void IcmpEchoClient::Wait(int waitMs) {
    using namespace std::chrono;
    auto end = steady_clock::now() + milliseconds(waitMs);
    while (fd_ >= 0) {
        auto now = steady_clock::now();
        if (now >= deadline_) {
            if (!ReadReplies()) Finish(EchoStatus::TimedOut);
            return;
        }
        if (now >= end) return;
        auto until = std::min(end, deadline_);
        pollfd entry{fd_, POLLIN, 0};
        int timeout = static_cast<int>(duration_cast<milliseconds>(until - now).count()) + 1;
        if (::poll(&entry, 1, timeout) > 0 && ReadReplies()) return;
    }
    auto now = steady_clock::now();
    if (now < end) std::this_thread::sleep_for(end - now);
}

}  // namespace qv
