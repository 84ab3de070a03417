// file_wait FILE QUIET_MS TIMEOUT_MS PROGRAM [ARGUMENTS...]
//
// Starts PROGRAM and prints the time in milliseconds from just before it
// starts until FILE was last closed after writing, once PROGRAM has ended and
// no further write has closed FILE for QUIET_MS; then the program's exit
// status (the program's own output is dropped). The print server opens a queue's output file itself and hands it
// to the last filter, so the file is closed more than once and only the last
// close marks the whole file. Exits 1 (printing nothing) when FILE is not
// written within TIMEOUT_MS. For bench/print_vs_lp.sh: how long a job takes
// until the printer has all of it, seen from outside the program.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: file_wait FILE QUIET_MS TIMEOUT_MS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const std::string file = argv[1];
    const int quietMs = std::atoi(argv[2]);
    const int timeoutMs = std::atoi(argv[3]);
    const size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash);
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, folder.c_str(), IN_CLOSE_WRITE) < 0) {
        std::perror("file_wait: inotify");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    // What the program says on its standard output is not ours to print.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[4], &actions, nullptr, argv + 4, environ) != 0) {
        std::perror("file_wait: spawn");
        return 2;
    }
    auto msSince = [&](Clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(t - start).count();
    };
    int status = -1;
    bool ended = false;
    bool written = false;
    Clock::time_point lastClose;
    for (;;) {
        if (!ended && waitpid(child, &status, WNOHANG) == child)
            ended = true;
        const auto now = Clock::now();
        if (ended && written && msSince(now) - msSince(lastClose) >= quietMs)
            break;
        if (msSince(now) > timeoutMs) {
            if (!ended)
                kill(child, SIGKILL), waitpid(child, &status, 0);
            return 1;
        }
        pollfd p{watch, POLLIN, 0};
        if (poll(&p, 1, 5) > 0) {
            alignas(inotify_event) char buf[4096];
            ssize_t n;
            while ((n = read(watch, buf, sizeof buf)) > 0) {
                for (char *at = buf; at < buf + n;) {
                    const auto *event = reinterpret_cast<const inotify_event *>(at);
                    if (event->len && name == event->name) {
                        written = true;
                        lastClose = Clock::now();
                    }
                    at += sizeof(inotify_event) + event->len;
                }
            }
        }
    }
    std::printf("%lld %d\n", static_cast<long long>(msSince(lastClose)),
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return 0;
}
