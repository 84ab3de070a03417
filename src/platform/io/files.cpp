#include "platform/io/files.h"

#include "platform/io/safefile.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"

#include <QCoreApplication>
#include <QDir>
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

#ifndef PRENSO_INSTALLED_BINDIR
#error "PRENSO_INSTALLED_BINDIR is set by the build: the folder the program is installed into"
#endif

namespace prenso::files {

namespace {
// The characters that keep the bytes of a name that are not UTF-8.
constexpr char16_t kKeptByte = 0xDC00;
bool isKeptByte(const QChar *begin, const QChar *c)
{
    return c->unicode() >= kKeptByte + 0x80 && c->unicode() <= kKeptByte + 0xFF &&
           (c == begin || !(c - 1)->isHighSurrogate());
}
} // namespace

QString decodeName(const QByteArray &native)
{
    const auto *p = reinterpret_cast<const unsigned char *>(native.constData());
    const qsizetype n = native.size();
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n;) {
        const unsigned char lead = p[i];
        int length = 0;
        char32_t code = 0, least = 0;
        if (lead < 0x80)
            length = 1, code = lead;
        else if ((lead & 0xE0) == 0xC0)
            length = 2, code = lead & 0x1Fu, least = 0x80;
        else if ((lead & 0xF0) == 0xE0)
            length = 3, code = lead & 0x0Fu, least = 0x800;
        else if ((lead & 0xF8) == 0xF0)
            length = 4, code = lead & 0x07u, least = 0x10000;
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            valid = (p[i + k] & 0xC0) == 0x80;
            code = code << 6 | (p[i + k] & 0x3Fu);
        }
        // Overlong forms and encoded surrogates are not UTF-8 either: read as
        // characters they would not give the same bytes back.
        valid = valid && code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            out.append(QChar(char16_t(kKeptByte + lead)));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        } else {
            out.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return out;
}

QByteArray encodeName(const QString &path)
{
    const QChar *begin = path.constData(), *end = begin + path.size();
    QByteArray out;
    out.reserve(path.size());
    const QChar *run = begin;
    for (const QChar *c = begin; c != end; ++c) {
        if (!isKeptByte(begin, c))
            continue;
        out += QStringView(run, c).toUtf8();
        out += char(c->unicode() - kKeptByte);
        run = c + 1;
    }
    out += QStringView(run, end).toUtf8();
    return out;
}

QString readableText(const QString &text)
{
    QString out = text;
    const QChar *begin = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isKeptByte(begin, begin + i))
            out[i] = QChar(cp1252::toUnicode(static_cast<unsigned char>(text[i].unicode() - kKeptByte)));
    return out;
}

QString absolutePath(const QString &path)
{
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    QByteArray here(PATH_MAX, '\0');
    if (!::getcwd(here.data(), static_cast<size_t>(here.size())))
        return QDir::cleanPath(QDir::currentPath() + u'/' + path);
    here.truncate(static_cast<qsizetype>(std::strlen(here.constData())));
    return QDir::cleanPath(decodeName(here) + u'/' + path);
}

QString folderOf(const QString &path)
{
    const QString absolute = absolutePath(path);
    const qsizetype slash = absolute.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : absolute.left(slash);
}

bool isFolder(const QString &path)
{
    struct stat st {};
    return ::stat(encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString executablePath()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0)
        return decodeName(QByteArray(buf, n));
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QString();
}

QString executableFolder()
{
    QString dir = folderOf(executablePath());
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

QString programFolder()
{
    const QString folder = executableFolder();
    if (folder == QStringLiteral(PRENSO_INSTALLED_BINDIR "/"))
        return QString();
    return folder;
}

bool fileExists(const QString &path)
{
    struct stat st {};
    return ::lstat(encodeName(path).constData(), &st) == 0;
}

bool deleteFile(const QString &path)
{
    const QByteArray native = encodeName(path);
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
    const QByteArray native = encodeName(path);
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
    QString dir = decodeName(qgetenv("TMPDIR"));
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
    rememberForSignals(encodeName(path));
}

void unregisterTempFile(const QString &path)
{
    auto &list = registry();
    for (auto it = list.begin(); it != list.end(); ++it)
        if (*it == path) {
            list.erase(it);
            forgetForSignals(encodeName(path));
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
        const QByteArray native = encodeName(path);
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
        const QByteArray native = encodeName(candidate);
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
