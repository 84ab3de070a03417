#include "platform/io/safefile.h"

#include "platform/io/files.h"
#include "platform/io/streams.h"
#include "platform/system/errors.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace prenso::files {
namespace {

[[noreturn]] void cannotCreate(const QString &target, const QString &reason)
{
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(target, reason));
}

} // namespace

SafeFile::SafeFile(std::string *memory) : m_memory(memory), m_memoryStart(memory->size())
{}

SafeFile::SafeFile(const QString &target, bool executable, Durability durability)
    : m_target(target), m_executable(executable), m_durability(durability)
{
    // An empty name would put the new file in the working folder under a
    // name of its own and then fail the rename.
    if (target.isEmpty())
        cannotCreate(target, QStringLiteral("No file name was given."));
    const QString folder = folderOf(target);
    if (!isFolder(folder))
        cannotCreate(target, QStringLiteral("The folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(folder)));
    const QByteArray native = files::encodeName(target);
    struct stat old {};
    const bool existed = ::stat(native.constData(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        cannotCreate(target, SystemErrorMessage(EISDIR));
    // Replacing goes through a rename, which the file's own permission would
    // not stop: a file its owner made read-only stays as it is.
    if (existed && ::access(native.constData(), W_OK) != 0)
        cannotCreate(target, SystemErrorMessage(errno));

    {
        const TempFileCreation creating;
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            const QString candidate = QStringLiteral("%1.%2.tmp")
                                          .arg(absolutePath(target))
                                          .arg(QRandomGenerator::global()->bounded(1000000000));
            m_fd = ::open(files::encodeName(candidate).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (m_fd >= 0) {
                m_temp = candidate;
                registerTempFile(m_temp);
            } else if (errno != EEXIST) {
                cannotCreate(target, SystemErrorMessage(errno));
            }
        }
    }
    if (m_fd < 0)
        cannotCreate(target, QStringLiteral("No free temporary name beside it."));

    // The new file takes the old one's permissions (or the usual ones), and
    // an executable one the execute bits of its read bits.
    struct stat made {};
    if (::fstat(m_fd, &made) != 0) {
        const int error = errno;
        discard();
        cannotCreate(target, SystemErrorMessage(error));
    }
    mode_t mode = existed ? (old.st_mode & 07777) : (made.st_mode & 07777);
    if (m_executable)
        mode |= (mode & 0444) >> 2;
    if ((made.st_mode & 07777) != mode && ::fchmod(m_fd, mode) != 0) {
        const int error = errno;
        discard();
        cannotCreate(target, SystemErrorMessage(error));
    }
}

SafeFile::~SafeFile()
{
    discard();
}

void SafeFile::failWrite(int error)
{
    discard();
    throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(m_target, SystemErrorMessage(error)));
}

void SafeFile::write(std::string_view bytes)
{
    if (m_memory) {
        m_memory->append(bytes);
        return;
    }
    if (m_fd < 0)
        throw EWriteError(QStringLiteral("Cannot write file \"%1\". It is not open.").arg(m_target));
    // A write that stops short is tried again for the rest: the second
    // attempt is the one that says why (a full disk, say).
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failWrite(n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<size_t>(n));
        m_written += static_cast<std::uint64_t>(n);
    }
    // The disk is asked to start on what is written while the rest is made,
    // so that the flush of commit waits for the last stretch only. Only a
    // hint: commit's flush is what tells whether the disk has it all.
    if (m_durability == Durability::Flushed && m_written - m_writtenBack >= kWriteBackStretch) {
        ::sync_file_range(m_fd, static_cast<off_t>(m_writtenBack), static_cast<off_t>(m_written - m_writtenBack),
                          SYNC_FILE_RANGE_WRITE);
        m_writtenBack = m_written;
    }
}

bool SafeFile::reserve(std::uint64_t bytes, QString *reason)
{
    if (m_memory || bytes == 0)
        return true;
    if (m_fd < 0)
        return false;
    const int error = bytes > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())
                          ? EFBIG
                          : ::posix_fallocate(m_fd, 0, static_cast<off_t>(bytes));
    if (error != 0 && reason)
        *reason = SystemErrorMessage(error);
    return error == 0;
}

void SafeFile::commit()
{
    if (m_memory) {
        m_memory = nullptr; // complete: it stays
        return;
    }
    if (m_fd < 0)
        throw EWriteError(QStringLiteral("Cannot write file \"%1\". It is not open.").arg(m_target));
    // Room reserved and not used is given back.
    const off_t end = ::lseek(m_fd, 0, SEEK_CUR);
    if (end >= 0 && ::ftruncate(m_fd, end) != 0)
        failWrite(errno);
    // On disk before the rename: after a crash the name holds the old file
    // or the new one, never an empty one.
    if (m_durability == Durability::Flushed && ::fsync(m_fd) != 0)
        failWrite(errno);
    const int closing = ::close(m_fd);
    m_fd = -1;
    if (closing != 0 && errno != EINTR)
        failWrite(errno);
    if (::rename(files::encodeName(m_temp).constData(), files::encodeName(m_target).constData()) != 0)
        failWrite(errno);
    unregisterTempFile(m_temp);
    m_temp.clear();
}

void SafeFile::discard() noexcept
{
    if (m_memory) {
        m_memory->resize(m_memoryStart);
        m_memory = nullptr;
        return;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.isEmpty()) {
        ::unlink(files::encodeName(m_temp).constData());
        unregisterTempFile(m_temp);
        m_temp.clear();
    }
}

} // namespace prenso::files
