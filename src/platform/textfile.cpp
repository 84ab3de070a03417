#include "platform/textfile.h"

#include "platform/errors.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace prenso {
namespace {
constexpr size_t kBufferSize = 1 << 16;
constexpr char kCtrlZ = 26;
} // namespace

TextFileReader::~TextFileReader()
{
    close();
}

void TextFileReader::open(const QString &path)
{
    close();
    m_path = path;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, SystemErrorMessage(err)));
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, SystemErrorMessage(EISDIR)));
    }
    m_fd = fd;
    m_ended = false;
    m_buffer.resize(kBufferSize);
    m_pos = m_len = 0;
}

void TextFileReader::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_pos = m_len = 0;
}

void TextFileReader::raiseReadError()
{
    const int err = errno;
    throw EInOutError(QStringLiteral("Cannot read file \"%1\". %2").arg(m_path, SystemErrorMessage(err)));
}

bool TextFileReader::fill()
{
    if (m_fd < 0)
        return false;
    for (;;) {
        const ssize_t n = ::read(m_fd, m_buffer.data(), m_buffer.size());
        if (n > 0) {
            m_pos = 0;
            m_len = static_cast<size_t>(n);
            return true;
        }
        if (n == 0)
            return false;
        if (errno != EINTR)
            raiseReadError();
    }
}

int TextFileReader::peekByte()
{
    if (m_pos >= m_len && !fill())
        return -1;
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

bool TextFileReader::readLine(std::string &line)
{
    uint64_t length = 0;
    return readLine(line, length, std::string::npos);
}

bool TextFileReader::readLine(std::string &line, uint64_t &length, size_t keep)
{
    line.clear();
    length = 0;
    if (m_ended || m_fd < 0)
        return false;
    const int first = peekByte();
    if (first < 0 || first == kCtrlZ) {
        m_ended = true;
        return false;
    }
    for (;;) {
        if (m_pos >= m_len && !fill())
            return true; // last line without a line end
        // Copy the plain run up to the next special byte in one go.
        const char *start = m_buffer.data() + m_pos;
        const char *end = m_buffer.data() + m_len;
        const char *p = start;
        while (p < end && *p != '\n' && *p != '\r' && *p != kCtrlZ)
            ++p;
        const size_t run = static_cast<size_t>(p - start);
        if (line.size() < keep)
            line.append(start, std::min(run, keep - line.size()));
        length += run;
        m_pos += run;
        if (p == end)
            continue;
        const char c = *p;
        ++m_pos;
        if (c == '\n')
            return true;
        if (c == '\r') {
            if (peekByte() == '\n') {
                ++m_pos;
                return true;
            }
            continue; // a lone CR is dropped
        }
        // Ctrl-Z inside the line: skip to the end of the line.
        for (;;) {
            if (m_pos >= m_len && !fill())
                return true;
            const void *nl = std::memchr(m_buffer.data() + m_pos, '\n', m_len - m_pos);
            if (nl) {
                m_pos = static_cast<size_t>(static_cast<const char *>(nl) - m_buffer.data()) + 1;
                return true;
            }
            m_pos = m_len;
        }
    }
}

} // namespace prenso
