#include "platform/files.h"

#include "platform/errors.h"
#include "platform/safefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace prenso::files {

QString executablePath()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0)
        return QFile::decodeName(QByteArray(buf, n));
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QString();
}

QString executableFolder()
{
    QString dir = QFileInfo(executablePath()).absolutePath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

bool fileExists(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool deleteFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::unlink(native.constData()) == 0)
        return true;
    const int err = errno;
    struct stat lst {
    }, st{};
    if (::lstat(native.constData(), &lst) == 0 && S_ISLNK(lst.st_mode) && ::stat(native.constData(), &st) == 0 &&
        S_ISDIR(st.st_mode))
        return ::rmdir(native.constData()) == 0;
    errno = err;
    return false;
}

bool createNewFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

QString tempFolder()
{
    // The folder TMPDIR names, as it names it: the toolkit's own answer is
    // empty for a folder that does not exist, which made the temporary files
    // land in the root folder. Then the files cannot be made there, and the
    // error says which folder and why.
    QString dir = qEnvironmentVariable("TMPDIR");
    if (dir.isEmpty())
        dir = QStringLiteral("/tmp");
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

namespace {

// The list is kept as plain C strings in a fixed table as well, so that the
// signal handler can unlink without touching the heap.
constexpr int kMaxSignalSafe = 256;
constexpr int kMaxPath = PATH_MAX;
char g_signalNames[kMaxSignalSafe][kMaxPath];
volatile sig_atomic_t g_signalUsed[kMaxSignalSafe];

std::vector<QString> &registry()
{
    static std::vector<QString> list;
    return list;
}

void signalCleanup(int sig)
{
    deleteTempFilesAtStop();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void installCleanupOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The list is made before the handler is registered, so that it is
        // destroyed after the handler has run at exit, not before.
        registry();
        std::atexit(deleteRegisteredTempFiles);
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            ::sigaction(sig, nullptr, &old);
            if (old.sa_handler == SIG_DFL)
                ::signal(sig, signalCleanup);
        }
    });
}

void rememberForSignals(const QByteArray &native)
{
    if (native.size() >= kMaxPath)
        return;
    for (int i = 0; i < kMaxSignalSafe; ++i)
        if (!g_signalUsed[i]) {
            std::memcpy(g_signalNames[i], native.constData(), static_cast<size_t>(native.size()) + 1);
            g_signalUsed[i] = 1;
            return;
        }
}

void forgetForSignals(const QByteArray &native)
{
    for (int i = 0; i < kMaxSignalSafe; ++i)
        if (g_signalUsed[i] && std::strcmp(g_signalNames[i], native.constData()) == 0) {
            g_signalUsed[i] = 0;
            return;
        }
}

} // namespace

void registerTempFile(const QString &path)
{
    installCleanupOnce();
    registry().push_back(path);
    rememberForSignals(QFile::encodeName(path));
}

void unregisterTempFile(const QString &path)
{
    auto &list = registry();
    for (auto it = list.begin(); it != list.end(); ++it)
        if (*it == path) {
            list.erase(it);
            forgetForSignals(QFile::encodeName(path));
            return;
        }
}

namespace {

std::mutex &creationMutex()
{
    static std::mutex m;
    return m;
}

} // namespace

TempFileCreation::TempFileCreation()
{
    creationMutex().lock();
}

TempFileCreation::~TempFileCreation()
{
    creationMutex().unlock();
}

void deleteTempFilesAtStop() noexcept
{
    for (int i = 0; i < kMaxSignalSafe; ++i)
        if (g_signalUsed[i] && ::unlink(g_signalNames[i]) != 0 && errno == EISDIR)
            ::rmdir(g_signalNames[i]);
}

void deleteRegisteredTempFiles()
{
    auto &list = registry();
    for (const QString &path : list) {
        const QByteArray native = QFile::encodeName(path);
        if (::unlink(native.constData()) != 0 && errno == EISDIR)
            ::rmdir(native.constData());
        forgetForSignals(native);
    }
    list.clear();
}

void ensureTempCleanupInstalled()
{
    installCleanupOnce();
}

int registeredTempFileCount()
{
    return static_cast<int>(registry().size());
}

int createTempFile(const QString &prefix, const QString &suffix, QString &path)
{
    const QString folder = tempFolder();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const quint32 number = QRandomGenerator::global()->bounded(2147483647u);
        const QString candidate = folder + prefix + QString::number(number) + suffix;
        const QByteArray native = QFile::encodeName(candidate);
        const TempFileCreation creating;
        const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            path = candidate;
            registerTempFile(candidate);
            return fd;
        }
        if (errno != EEXIST) {
            const int err = errno;
            throw EFCreateError(
                QStringLiteral("Cannot create file \"%1\". %2").arg(candidate, SystemErrorMessage(err)));
        }
    }
    throw EFCreateError(QStringLiteral("Cannot create a temporary file in \"%1\".").arg(folder));
}

void replaceFile(const QString &path, std::string_view bytes, bool executable)
{
    SafeFile file(path, executable);
    file.write(bytes);
    file.commit();
}

} // namespace prenso::files
