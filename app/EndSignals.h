#pragma once
// SIGTERM (a session logout, kill) and SIGINT (Ctrl+C) ask the program to end. The handler only records the
// request (RequestEnd) and wakes the GUI thread through a socket pair; there onEnd runs, also inside the event
// loop of an open box or of a long run's ProcessEvents.
#include <functional>

class QObject;

namespace qv {

// False when the socket pair cannot be made (the signals then keep their default action). A later call
// replaces the earlier onEnd; the notifier lives as long as context.
bool CatchEndSignals(QObject* context, std::function<void()> onEnd);

}  // namespace qv
