#include "platform/system/stop.h"

#include "platform/io/files.h"
#include "platform/printing/printserver.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace prenso::stop {
namespace {

struct Job {
    int ticket;
    QByteArray queue;
    int id;
};

std::mutex &jobsMutex()
{
    static std::mutex m;
    return m;
}

std::vector<Job> &jobs()
{
    static std::vector<Job> list;
    return list;
}

int g_nextTicket = 1;

std::mutex &creationMutex()
{
    static std::mutex m;
    return m;
}

// A job whose document is still coming stays in the queue, waiting for the
// rest, when the program goes away: it is cancelled on a connection of its
// own, as the program has not handed it over.
void cancelJobs()
{
    const std::lock_guard<std::mutex> creating(creationMutex());
    std::vector<Job> open;
    {
        const std::lock_guard<std::mutex> lock(jobsMutex());
        open = jobs();
    }
    for (const Job &job : open) {
        const printing::HttpConnection http = printing::connectWithBoundedWaits();
        if (!http)
            continue;
        if (cups_dest_t *dest = cupsGetNamedDest(http.get(), job.queue.constData(), nullptr)) {
            cupsCancelDestJob(http.get(), dest, job.id);
            cupsFreeDests(1, dest);
        }
    }
}

std::time_t g_started = 0;

// The print library keeps a printer's description in a temporary file of
// its own while the toolkit reads it (named by the process number in five
// hexadecimal digits and eight more, in TMPDIR or else /tmp) and removes it
// right after; a stop in between would leave it. Only files of that name
// made by this process since it started, and owned by its user, go.
void deletePrintLibraryTempFiles()
{
    const char *folder = std::getenv("TMPDIR");
    if (!folder || ::access(folder, W_OK) != 0)
        folder = "/tmp";
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%05x", static_cast<unsigned>(::getpid()));
    const size_t prefixLength = std::strlen(prefix);
    DIR *dir = ::opendir(folder);
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strlen(name) != prefixLength + 8 || std::strncmp(name, prefix, prefixLength) != 0 ||
            std::strspn(name + prefixLength, "0123456789abcdef") != 8)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || st.st_mtime < g_started)
            continue;
        ::unlinkat(::dirfd(dir), name, 0);
    }
    ::closedir(dir);
}

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

void handleStopSignals()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // A write past the file size limit fails with EFBIG and is reported
        // as any failed write; the signal would end the process halfway.
        ::signal(SIGXFSZ, SIG_IGN);
        // A second early: a file made in the second the program started
        // still counts as its own.
        g_started = std::time(nullptr) - 1;
        files::ensureTempCleanupInstalled();
        const sigset_t set = stopSignals();
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        std::thread([set] {
            int sig = 0;
            while (sigwait(&set, &sig) != 0) {
            }
            cancelJobs();
            // A file being made now is on the list before it is removed.
            const files::TempFileCreation creating;
            files::deleteTempFilesAtStop();
            deletePrintLibraryTempFiles();
            ::_exit(128 + sig);
        }).detach();
    });
}

JobCreation::JobCreation()
{
    creationMutex().lock();
}

JobCreation::~JobCreation()
{
    creationMutex().unlock();
}

int rememberJob(const QByteArray &queue, int jobId)
{
    const std::lock_guard<std::mutex> lock(jobsMutex());
    const int ticket = g_nextTicket++;
    jobs().push_back(Job{ticket, queue, jobId});
    return ticket;
}

void forgetJob(int ticket)
{
    const std::lock_guard<std::mutex> lock(jobsMutex());
    std::erase_if(jobs(), [ticket](const Job &j) { return j.ticket == ticket; });
}

} // namespace prenso::stop
