#include "report/storage/RLMetaStream.h"

#include "platform/io/streams.h"
#include "report/storage/RLMetaRecords.h"

#include <algorithm>
#include <limits>

namespace prenso {

void TRLStreamWriter::String(std::string_view s)
{
    if (s.size() > static_cast<size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError(QStringLiteral("A text is too long to be stored"));
    I32(static_cast<std::int32_t>(s.size()));
    Bytes(s);
}

void TRLStreamWriter::PatchI32(size_t at, std::int32_t v)
{
    PutI32(FOut.data() + at, v);
}

void TRLStreamWriter::grow(size_t n)
{
    // Room ahead in proportion to what was written: a page's writer grows
    // its buffer a few times, a writer of one number by little more than it.
    FOut.resize(FPos + std::max({n, FPos - FStart, size_t{64}}));
}

void TRLStreamReader::Fail(const QString &message)
{
    throw EReadError(message);
}

void TRLStreamReader::FailPastEnd(const char *what)
{
    Fail(QStringLiteral("File is corrupted: %1 runs past the end of the data").arg(QLatin1String(what)));
}

std::int32_t TRLStreamReader::AtMost(std::int32_t count, std::int32_t limit, const char *what)
{
    if (count > limit)
        Fail(QStringLiteral("File is corrupted: %1 claims %2 entries, more than the %3 allowed")
                 .arg(QLatin1String(what))
                 .arg(count)
                 .arg(limit));
    return count;
}

std::string TRLStreamReader::String(const char *what)
{
    const std::int32_t n = I32(what);
    if (n < 0)
        Fail(QStringLiteral("File is corrupted: %1 has a negative length").arg(QLatin1String(what)));
    return std::string(Bytes(static_cast<size_t>(n), what));
}

TRLMetaColor TRLStreamReader::Color(const char *what)
{
    const std::string_view b = Bytes(3, what);
    return TRLMetaColor{static_cast<std::uint8_t>(b[0]), static_cast<std::uint8_t>(b[1]),
                        static_cast<std::uint8_t>(b[2])};
}

TRLMetaRect TRLStreamReader::Rect(const char *what)
{
    TRLMetaRect r;
    r.Left = I32(what);
    r.Top = I32(what);
    r.Right = I32(what);
    r.Bottom = I32(what);
    return r;
}

TRLMetaPoint TRLStreamReader::Point(const char *what)
{
    TRLMetaPoint p;
    p.X = I32(what);
    p.Y = I32(what);
    return p;
}

std::int32_t TRLStreamReader::Count(size_t minItemSize, const char *what)
{
    const std::int32_t n = I32(what);
    if (n < 0)
        Fail(QStringLiteral("File is corrupted: %1 has a negative count (%2)").arg(QLatin1String(what)).arg(n));
    if (minItemSize > 0 && static_cast<size_t>(n) > Remaining() / minItemSize)
        Fail(QStringLiteral("File is corrupted: %1 claims %2 entries, more than the data can hold")
                 .arg(QLatin1String(what))
                 .arg(n));
    return n;
}

TRLStreamIn::TRLStreamIn(TStream &s) : FStream(s), FSize(s.Size())
{}

std::int64_t TRLStreamIn::Remaining()
{
    return std::max<std::int64_t>(0, FSize - FStream.Position());
}

std::string TRLStreamIn::Bytes(std::int64_t n, const char *what)
{
    if (n < 0 || n > Remaining())
        TRLStreamReader::Fail(
            QStringLiteral("File is corrupted: %1 runs past the end of the file").arg(QLatin1String(what)));
    std::string out(static_cast<size_t>(n), '\0');
    FStream.ReadBuffer(out.data(), n);
    return out;
}

std::int32_t TRLStreamIn::I32(const char *what)
{
    const std::string b = Bytes(4, what);
    return TRLStreamReader(b).I32(what);
}

std::int32_t TRLStreamIn::Count(std::int64_t minItemSize, const char *what)
{
    const std::int32_t n = I32(what);
    if (n < 0 || static_cast<std::int64_t>(n) * minItemSize > Remaining())
        TRLStreamReader::Fail(QStringLiteral("File is corrupted: %1 claims %2 entries, more than the file can hold")
                                  .arg(QLatin1String(what))
                                  .arg(n));
    return n;
}

void TRLStreamIn::Seek(std::int64_t pos, const char *what)
{
    if (pos < 0 || pos > FSize)
        TRLStreamReader::Fail(QStringLiteral("File is corrupted: %1 points outside the file").arg(QLatin1String(what)));
    FStream.SetPosition(pos);
}

std::int64_t TRLStreamIn::Position()
{
    return FStream.Position();
}

} // namespace prenso
