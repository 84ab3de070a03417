#include "platform/io/outputfile.h"

#include "platform/io/files.h"
#include "platform/system/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace prenso::files {

OutputFile::~OutputFile()
{
    closeQuietly();
}

void OutputFile::create(const QString &path)
{
    closeQuietly();
    const int fd = ::open(files::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int err = errno;
        throw EInOutError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, SystemErrorMessage(err)));
    }
    m_fd = fd;
    m_path = path;
}

void OutputFile::openExisting(const QString &path)
{
    closeQuietly();
    const int fd = ::open(files::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        throw EInOutError(QStringLiteral("Cannot open \"%1\" for writing. %2").arg(path, SystemErrorMessage(err)));
    }
    // A terminal (a serial port named as a file) turns every line feed into
    // CR LF while it processes its output: with that off, the printer's
    // commands go out byte for byte. Its speed stays as it is set.
    termios settings{};
    if (::isatty(fd) && ::tcgetattr(fd, &settings) == 0) {
        settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        ::tcsetattr(fd, TCSANOW, &settings);
    }
    m_fd = fd;
    m_path = path;
}

void OutputFile::adopt(int fd, const QString &path)
{
    closeQuietly();
    m_fd = fd;
    m_path = path;
}

void OutputFile::write(std::string_view bytes)
{
    if (m_fd < 0)
        throw EInOutError(QStringLiteral("File not open"));
    const char *p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            throw EInOutError(QStringLiteral("Cannot write to \"%1\". %2").arg(m_path, SystemErrorMessage(err)));
        }
        if (n == 0)
            throw EInOutError(QStringLiteral("Cannot write to \"%1\". %2").arg(m_path, SystemErrorMessage(ENOSPC)));
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void OutputFile::close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        const int err = errno;
        throw EInOutError(QStringLiteral("Cannot close \"%1\". %2").arg(m_path, SystemErrorMessage(err)));
    }
}

void OutputFile::closeQuietly() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace prenso::files
