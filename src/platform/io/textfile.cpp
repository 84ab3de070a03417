#include "platform/io/textfile.h"

#include "platform/io/files.h"
#include "platform/system/errors.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__) || defined(_M_X64)
#define PRENSO_LINE_SCAN_SSE2 1
#include <emmintrin.h>
#endif

namespace prenso {
namespace {
constexpr size_t kBufferSize = 1 << 16;
constexpr char kCtrlZ = 26;

// The first line feed, carriage return or Ctrl-Z in [p, end), or end. A form
// is mostly long plain runs: sixteen bytes are looked at in one go where
// the processor can.
const char *findLineBreak(const char *p, const char *end)
{
#ifdef PRENSO_LINE_SCAN_SSE2
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i eof = _mm_set1_epi8(kCtrlZ);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)), _mm_cmpeq_epi8(v, eof));
        if (const int mask = _mm_movemask_epi8(hit))
            return p + std::countr_zero(static_cast<unsigned>(mask));
    }
#endif
    while (p < end && *p != '\n' && *p != '\r' && *p != kCtrlZ)
        ++p;
    return p;
}
} // namespace

TextFileReader::~TextFileReader()
{
    close();
}

void TextFileReader::open(const QString &path)
{
    close();
    m_path = path;
    const QByteArray native = files::encodeName(path);
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
        const char *p = findLineBreak(start, end);
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
