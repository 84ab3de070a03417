#include "platform/io/streams.h"

#include "platform/io/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace prenso {

TStream::~TStream() = default;

std::int64_t TStream::Size()
{
    const std::int64_t pos = Position();
    const std::int64_t end = Seek(0, Origin::soEnd);
    Seek(pos, Origin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void *buffer, std::int64_t count)
{
    if (count != 0 && Read(buffer, count) != count) {
        const QString detail = FailureDetail();
        throw EReadError(QStringLiteral("Stream read error") +
                         (detail.isEmpty() ? QString() : QStringLiteral(": ") + detail));
    }
}

void TStream::WriteBuffer(const void *buffer, std::int64_t count)
{
    if (count != 0 && Write(buffer, count) != count) {
        const QString detail = FailureDetail();
        throw EWriteError(QStringLiteral("Stream write error") +
                          (detail.isEmpty() ? QString() : QStringLiteral(": ") + detail));
    }
}

// ---------------------------------------------------------------------------

std::int64_t TMemoryStream::Read(void *buffer, std::int64_t count)
{
    const std::int64_t size = Size();
    if (count <= 0 || m_pos >= size)
        return 0;
    const std::int64_t n = std::min(count, size - m_pos);
    std::memcpy(buffer, m_data.data() + m_pos, static_cast<size_t>(n));
    m_pos += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void *buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const auto end = static_cast<size_t>(m_pos + count);
    if (end > m_data.size())
        m_data.resize(end);
    std::memcpy(m_data.data() + m_pos, buffer, static_cast<size_t>(count));
    m_pos += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, Origin origin)
{
    std::int64_t base = 0;
    if (origin == Origin::soCurrent)
        base = m_pos;
    else if (origin == Origin::soEnd)
        base = Size();
    m_pos = std::max<std::int64_t>(0, base + offset);
    return m_pos;
}

void TMemoryStream::SetSize(std::int64_t size)
{
    m_data.resize(static_cast<size_t>(std::max<std::int64_t>(0, size)));
    m_pos = std::min(m_pos, Size());
}

// ---------------------------------------------------------------------------

TFileStream::TFileStream(const QString &path, Mode mode) : m_path(path)
{
    const QByteArray native = files::encodeName(path);
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::fmCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case Mode::fmOpenRead: flags |= O_RDONLY; break;
    case Mode::fmOpenReadWrite: flags |= O_RDWR; break;
    }
    m_fd = ::open(native.constData(), flags, 0644);
    if (m_fd < 0) {
        const int err = errno;
        if (mode == Mode::fmCreate)
            throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, SystemErrorMessage(err)));
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, SystemErrorMessage(err)));
    }
    // Others may read but not write while we have the file: advisory locks
    // are what this platform offers, and our own writers honour them.
    const int lock = mode == Mode::fmOpenRead ? LOCK_SH : LOCK_EX;
    if (::flock(m_fd, lock | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(m_fd);
        m_fd = -1;
        const QString msg = SystemErrorMessage(EWOULDBLOCK);
        if (mode == Mode::fmCreate)
            throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, msg));
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, msg));
    }
}

TFileStream::TFileStream(int fd, const QString &path) : m_fd(fd), m_path(path)
{}

QString TFileStream::FailureDetail() const
{
    // A read that met the end of the file has no reason of the system's.
    if (m_lastError == 0)
        return m_path;
    const QString reason = SystemErrorMessage(m_lastError);
    return m_path.isEmpty() ? reason : m_path + QStringLiteral(": ") + reason;
}

TFileStream::~TFileStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::int64_t TFileStream::Read(void *buffer, std::int64_t count)
{
    std::int64_t done = 0;
    auto *p = static_cast<char *>(buffer);
    while (done < count) {
        const ssize_t n = ::read(m_fd, p + done, static_cast<size_t>(std::min<std::int64_t>(count - done, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_lastError = n < 0 ? errno : 0;
            break;
        }
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Write(const void *buffer, std::int64_t count)
{
    std::int64_t done = 0;
    const auto *p = static_cast<const char *>(buffer);
    while (done < count) {
        const ssize_t n = ::write(m_fd, p + done, static_cast<size_t>(std::min<std::int64_t>(count - done, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_lastError = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    return done;
}

std::int64_t TFileStream::ReadAt(std::int64_t pos, void *buffer, std::int64_t count, int &error) const
{
    error = 0;
    std::int64_t done = 0;
    auto *p = static_cast<char *>(buffer);
    while (done < count) {
        const ssize_t n = ::pread(m_fd, p + done, static_cast<size_t>(std::min<std::int64_t>(count - done, 1 << 30)),
                                  static_cast<off_t>(pos + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        done += n;
    }
    return done;
}

void TFileStream::WriteAt(std::int64_t pos, std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data() + done, std::min<size_t>(bytes.size() - done, 1 << 30),
                                   static_cast<off_t>(pos + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_lastError = n < 0 ? errno : ENOSPC;
            const QString detail = FailureDetail();
            throw EWriteError(QStringLiteral("Stream write error") +
                              (detail.isEmpty() ? QString() : QStringLiteral(": ") + detail));
        }
        done += static_cast<size_t>(n);
    }
}

std::int64_t TFileStream::Seek(std::int64_t offset, Origin origin)
{
    const int whence = origin == Origin::soBeginning ? SEEK_SET : origin == Origin::soCurrent ? SEEK_CUR : SEEK_END;
    const off_t r = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<std::int64_t>(r);
}

std::int64_t TFileStream::Size()
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        return 0;
    return static_cast<std::int64_t>(st.st_size);
}

void TFileStream::SetSize(std::int64_t size)
{
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0) {
        const int err = errno;
        throw EWriteError(SystemErrorMessage(err));
    }
}

} // namespace prenso
