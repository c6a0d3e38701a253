// Starts a program and measures how long it takes until its window, found by its title, answers input:
// the window must be viewable and must have answered a _NET_WM_PING (the window manager's "are you
// alive" question, answered from the program's event loop, so a loop blocked after the window shows is
// counted). Prints "<milliseconds> <VmRSS kB>", the resident memory read once the window answered, then
// ends the program with SIGTERM.
// Usage: answer_probe <window title> <program> [arguments...]   (DISPLAY names the X server)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::minutes(2);

std::string WindowTitle(Display* dpy, Window w, Atom netWmName, Atom utf8) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(dpy, w, netWmName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return title;
}

// A viewable top-level window with that title; None while there is none. Without a window manager the
// program's windows are children of the root.
Window FindViewable(Display* dpy, const std::string& title, Atom netWmName, Atom utf8) {
    Window root = DefaultRootWindow(dpy), parent = None, *children = nullptr;
    unsigned count = 0;
    Window found = None;
    if (!XQueryTree(dpy, root, &root, &parent, &children, &count)) return None;
    for (unsigned i = 0; i < count && found == None; ++i) {
        XWindowAttributes attrs;
        if (!XGetWindowAttributes(dpy, children[i], &attrs) || attrs.map_state != IsViewable) continue;
        if (WindowTitle(dpy, children[i], netWmName, utf8) == title) found = children[i];
    }
    if (children) XFree(children);
    return found;
}

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// X errors (a window that went away between listing and asking) are no reason to stop.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <window title> <program> [arguments...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreXError);
    const Atom netWmName = XInternAtom(dpy, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    const Atom protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(dpy, "_NET_WM_PING", False);
    const Window root = DefaultRootWindow(dpy);
    // Qt sends the answer to a ping to the root window, for the clients that listen to its structure.
    XSelectInput(dpy, root, StructureNotifyMask);
    XSync(dpy, False);

    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[2], argv + 2);
        _exit(127);
    }
    if (pid < 0) return 1;

    auto finish = [&](int code) {
        kill(pid, SIGTERM);
        for (auto until = Clock::now() + kDeadline; Clock::now() < until;) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) return code;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return code;
    };

    Window window = None;
    while (window == None) {
        if (Clock::now() - start > kDeadline || waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "no window \"%s\"\n", title.c_str());
            return finish(1);
        }
        window = FindViewable(dpy, title, netWmName, utf8);
        if (window == None) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    XEvent ask{};
    ask.xclient.type = ClientMessage;
    ask.xclient.window = window;
    ask.xclient.message_type = protocols;
    ask.xclient.format = 32;
    ask.xclient.data.l[0] = static_cast<long>(ping);
    ask.xclient.data.l[1] = CurrentTime;
    ask.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(dpy, window, False, NoEventMask, &ask);
    XFlush(dpy);

    for (;;) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == ClientMessage && ev.xclient.message_type == protocols &&
                static_cast<Atom>(ev.xclient.data.l[0]) == ping &&
                static_cast<Window>(ev.xclient.data.l[2]) == window) {
                const auto ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
                std::printf("%lld %ld\n", static_cast<long long>(ms), ResidentKb(pid));
                std::fflush(stdout);
                return finish(0);
            }
        }
        if (Clock::now() - start > kDeadline) {
            std::fprintf(stderr, "the window did not answer\n");
            return finish(1);
        }
        pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, 100);
    }
}
