#include "platform/CurlSockets.h"

#include <sys/socket.h>

namespace qv {
namespace {

curl_socket_t OpenCloseOnExec(void*, curlsocktype, curl_sockaddr* address) {
    const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    return fd >= 0 ? fd : CURL_SOCKET_BAD;
}

}  // namespace

void OpenSocketsCloseOnExec(CURL* curl) { curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &OpenCloseOnExec); }

}  // namespace qv
