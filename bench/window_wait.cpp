// window_wait TITLE TIMEOUT_MS PROGRAM [ARGUMENTS...]
//
// Starts PROGRAM on the X display of the environment and prints the time in
// milliseconds from just before it starts until the X server maps a
// top-level window titled TITLE, and the processor time (user + system, in
// milliseconds, at the kernel's tick) the program had used by then; then
// ends the program. Exits 1 (printing
// nothing) when no such window is mapped within TIMEOUT_MS or the program
// ends first. For bench/print_latency.sh: how long an operator waits for a
// window, seen from outside the program, the way the screen sees it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// The window's title: _NET_WM_NAME (UTF-8) when set, else WM_NAME.
std::string titleOf(Display *display, Window window)
{
    static const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    for (const auto &[property, type] :
         {std::pair{netName, utf8}, std::pair{Atom(XA_WM_NAME), Atom(AnyPropertyType)}}) {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType, &format, &count, &after,
                               &data) == Success &&
            data) {
            std::string title(reinterpret_cast<char *>(data), count);
            XFree(data);
            if (!title.empty())
                return title;
        }
    }
    return {};
}

// Processor time of a running process in milliseconds, or -1.
long cpuMilliseconds(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE *file = std::fopen(path, "r");
    if (!file)
        return -1;
    char line[1024];
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    // The fields after the command name, which is in parentheses and may
    // hold blanks: state is field 3, utime 14, stime 15.
    const char *rest = read ? std::strrchr(line, ')') : nullptr;
    unsigned long user = 0, system = 0;
    if (!rest || std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2)
        return -1;
    return static_cast<long>((user + system) * 1000 / sysconf(_SC_CLK_TCK));
}

int ignoreErrors(Display *, XErrorEvent *)
{
    return 0; // a window may be gone by the time its title is asked for
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TITLE TIMEOUT_MS PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const std::string wanted = argv[1];
    const int timeoutMs = std::atoi(argv[2]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "window_wait: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[3], nullptr, nullptr, argv + 3, environ) != 0) {
        std::fprintf(stderr, "window_wait: cannot start %s\n", argv[3]);
        return 2;
    }
    int result = 1;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (elapsed >= timeoutMs)
            break;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            child = 0;
            break;
        }
        if (!XPending(display)) {
            poll(&connection, 1, 5);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify || titleOf(display, event.xmap.window) != wanted)
            continue;
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::printf("%.1f %ld\n", ms, cpuMilliseconds(child));
        result = 0;
        break;
    }
    if (child) {
        kill(child, SIGTERM);
        int status = 0;
        waitpid(child, &status, 0);
    }
    XCloseDisplay(display);
    return result;
}
