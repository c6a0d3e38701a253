#include "app/EndSignals.h"

#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "catalogue/UserInterface.h"

namespace qv {
namespace {

int wakePair[2] = {-1, -1};
QPointer<QSocketNotifier> notifier;

void OnEndSignal(int signal) {
    // A second signal ends the program at once: the first one's end has not come (a stretch without a
    // step), and the user should not need SIGKILL.
    if (EndRequested()) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    const int saved = errno;
    RequestEnd();
    const char c = 1;
    [[maybe_unused]] auto n = ::write(wakePair[1], &c, 1);  // never blocks: one byte waiting is enough
    errno = saved;
}

}  // namespace

bool CatchEndSignals(QObject* context, std::function<void()> onEnd) {
    if (wakePair[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakePair) != 0) return false;
    delete notifier.data();
    notifier = new QSocketNotifier(wakePair[0], QSocketNotifier::Read, context);
    QObject::connect(notifier.data(), &QSocketNotifier::activated, context, [onEnd = std::move(onEnd)] {
        char c[16];
        [[maybe_unused]] auto n = ::read(wakePair[0], c, sizeof c);
        onEnd();
    });
    struct sigaction sa {};
    sa.sa_handler = OnEndSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    return true;
}

}  // namespace qv
