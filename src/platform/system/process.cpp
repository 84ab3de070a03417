#include "platform/system/process.h"

#include "platform/io/files.h"
#include "platform/system/errors.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace prenso::process {

namespace {

struct StartedProgram {
    pid_t pid;
    QString file;
};

std::vector<StartedProgram> &started()
{
    static std::vector<StartedProgram> list;
    return list;
}

void removeHandedFile(const QString &file)
{
    if (file.isEmpty())
        return;
    files::deleteFile(file);
    files::unregisterTempFile(file);
}

void atProgramEnd()
{
    waitForStartedPrograms();
}

void installExitWaitOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Handlers run in reverse order of registration: the temporary files
        // are removed after this wait, not before it.
        files::ensureTempCleanupInstalled();
        std::atexit(atProgramEnd);
    });
}

// True when the process has ended (or is no child of ours any more).
bool finished(pid_t pid, bool wait)
{
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, wait ? 0 : WNOHANG);
        if (r == pid)
            return true;
        if (r == 0)
            return false;
        if (errno == EINTR)
            continue;
        return true; // ECHILD: someone else collected it
    }
}

} // namespace

QStringList splitArguments(const QString &text)
{
    QStringList arguments;
    QString current;
    bool quoted = false, started = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
                current += u'"';
                ++i;
            } else {
                quoted = !quoted;
            }
            started = true;
        } else if (!quoted && c.isSpace()) {
            if (started)
                arguments.append(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        arguments.append(current);
    return arguments;
}

long long startProgram(const QString &program, const QStringList &arguments, const QString &handedFile)
{
    if (program.isEmpty())
        throw Exception(QStringLiteral("No program was given to start."));
    reapFinishedPrograms();
    if (!handedFile.isEmpty())
        installExitWaitOnce();

    std::vector<QByteArray> storage;
    storage.reserve(static_cast<size_t>(arguments.size()) + 1);
    storage.push_back(files::encodeName(program));
    for (const QString &a : arguments)
        storage.push_back(files::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // The child starts with default signal handling and nothing blocked,
    // whatever this program has set up for itself.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        throw Exception(QStringLiteral("Cannot start the program \"%1\". %2").arg(program, SystemErrorMessage(rc)));
    if (!handedFile.isEmpty())
        started().push_back(StartedProgram{pid, handedFile});
    else
        started().push_back(StartedProgram{pid, QString()});
    return pid;
}

void reapFinishedPrograms()
{
    auto &list = started();
    for (auto it = list.begin(); it != list.end();) {
        if (finished(it->pid, false)) {
            removeHandedFile(it->file);
            it = list.erase(it);
        } else {
            ++it;
        }
    }
}

void waitForStartedPrograms()
{
    auto &list = started();
    while (!list.empty()) {
        const StartedProgram p = list.front();
        list.erase(list.begin());
        // Only programs that read one of our files hold the end up; the
        // others are collected if they are done and otherwise left alone.
        finished(p.pid, !p.file.isEmpty());
        removeHandedFile(p.file);
    }
}

int pendingProgramCount()
{
    int n = 0;
    for (const StartedProgram &p : started())
        if (!p.file.isEmpty())
            ++n;
    return n;
}

} // namespace prenso::process
