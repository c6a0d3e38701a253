#pragma once
// The sockets of a transfer are opened close-on-exec, so no program we start holds a connection open.
#include <curl/curl.h>

namespace qv {

void OpenSocketsCloseOnExec(CURL* curl);

}  // namespace qv
