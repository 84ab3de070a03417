#pragma once
// Little-endian byte streams of the page storage: a writer into a growing
// buffer, a bounds-checked reader over bytes in memory, and a reader straight
// from a stream whose every count is checked against what the stream holds.

#include "platform/graphics/valuetypes.h"
#include "platform/system/errors.h"
#include "report/storage/RLMetaTypes.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace prenso {

class TStream;

// Little-endian writer at the end of a byte buffer. Every object of every
// page passes here, a few bytes at a time: the buffer is grown ahead by as
// much as the writer has written so far and the small writes go straight
// into it; the writer cuts it back to what was written when it goes (which
// cannot fail), so the buffer holds exactly the bytes written once the
// writer is gone, and only then may it be read or changed otherwise.
class TRLStreamWriter {
public:
    explicit TRLStreamWriter(std::string &out) : FOut(out), FStart(out.size()), FPos(out.size()) {}
    ~TRLStreamWriter() { FOut.resize(FPos); }
    TRLStreamWriter(const TRLStreamWriter &) = delete;
    TRLStreamWriter &operator=(const TRLStreamWriter &) = delete;

    void U8(std::uint8_t v) { *room(1) = static_cast<char>(v); }
    void I32(std::int32_t v) { PutI32(room(4), v); }
    void Bytes(std::string_view b)
    {
        if (!b.empty())
            std::memcpy(room(b.size()), b.data(), b.size());
    }
    void String(std::string_view s); // int32 byte count, then the bytes
    void Color(const TRLMetaColor &c)
    {
        char *p = room(3);
        p[0] = static_cast<char>(c.Red);
        p[1] = static_cast<char>(c.Green);
        p[2] = static_cast<char>(c.Blue);
    }
    void Point(const TRLMetaPoint &p)
    {
        char *q = room(8);
        PutI32(q, p.X);
        PutI32(q + 4, p.Y);
    }
    // Room for the next n bytes, which the caller fills (with the Put
    // functions): a record of fixed fields takes its room at once.
    char *Take(size_t n) { return room(n); }
    size_t Position() const { return FPos; }
    void PatchI32(size_t at, std::int32_t v);
    static void PutU16(char *p, std::uint16_t v)
    {
        p[0] = static_cast<char>(v & 255);
        p[1] = static_cast<char>(v >> 8);
    }
    static void PutColor(char *p, const TRLMetaColor &c)
    {
        p[0] = static_cast<char>(c.Red);
        p[1] = static_cast<char>(c.Green);
        p[2] = static_cast<char>(c.Blue);
    }
    // Writes v little-endian into the four bytes at p.
    static void PutI32(char *p, std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        p[0] = static_cast<char>(u & 255);
        p[1] = static_cast<char>((u >> 8) & 255);
        p[2] = static_cast<char>((u >> 16) & 255);
        p[3] = static_cast<char>(u >> 24);
    }

private:
    // Room for n more bytes at the end of what was written.
    char *room(size_t n)
    {
        if (FOut.size() - FPos < n)
            grow(n);
        char *p = FOut.data() + FPos;
        FPos += n;
        return p;
    }
    void grow(size_t n);
    std::string &FOut;
    size_t FStart; // where this writer began
    size_t FPos;
};

// Bounds-checked little-endian reader over bytes in memory. Every read past
// the end raises an error naming `what` was being read, so a damaged file
// gives a message rather than garbage.
class TRLStreamReader {
public:
    explicit TRLStreamReader(std::string_view data) : FData(data) {}
    size_t Remaining() const { return FData.size() - FPos; }
    size_t Position() const { return FPos; }
    std::string_view Data() const { return FData; }
    std::uint8_t U8(const char *what) { return static_cast<std::uint8_t>(Bytes(1, what)[0]); }
    std::uint16_t U16(const char *what)
    {
        const std::string_view b = Bytes(2, what);
        return static_cast<std::uint16_t>(static_cast<unsigned char>(b[0]) | (static_cast<unsigned char>(b[1]) << 8));
    }
    std::int32_t I32(const char *what)
    {
        const std::string_view b = Bytes(4, what);
        const std::uint32_t u = static_cast<std::uint32_t>(static_cast<unsigned char>(b[0])) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(b[1])) << 8) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(b[2])) << 16) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(b[3])) << 24);
        return static_cast<std::int32_t>(u);
    }
    std::uint32_t U32(const char *what) { return static_cast<std::uint32_t>(I32(what)); }
    std::string_view Bytes(size_t n, const char *what)
    {
        if (n > Remaining())
            FailPastEnd(what);
        const std::string_view out = FData.substr(FPos, n);
        FPos += n;
        return out;
    }
    std::string String(const char *what);
    TRLMetaColor Color(const char *what);
    TRLMetaRect Rect(const char *what);
    TRLMetaPoint Point(const char *what);
    // A count of items of at least `minItemSize` bytes each: negative counts
    // and counts the remaining bytes cannot hold are errors.
    std::int32_t Count(size_t minItemSize, const char *what);
    // Reads `n` bytes as a sub-reader.
    TRLStreamReader Sub(size_t n, const char *what) { return TRLStreamReader(Bytes(n, what)); }
    // The little-endian value of the four bytes at p.
    static std::int32_t GetI32(const char *p) { return TRLStreamReader(std::string_view(p, 4)).I32("a record"); }
    [[noreturn]] static void Fail(const QString &message);
    [[noreturn]] static void FailPastEnd(const char *what);
    // `count`, when it is at most `limit`; more is an error.
    static std::int32_t AtMost(std::int32_t count, std::int32_t limit, const char *what);

private:
    std::string_view FData;
    size_t FPos = 0;
};
// Reading straight from a stream, with every count checked against the
// bytes that are left, so nothing larger than the stream is ever allocated.
class TRLStreamIn {
public:
    explicit TRLStreamIn(TStream &s);
    std::int64_t Remaining();
    std::string Bytes(std::int64_t n, const char *what);
    std::int32_t I32(const char *what);
    std::int32_t Count(std::int64_t minItemSize, const char *what);
    std::string String(const char *what) { return Bytes(I32(what), what); }
    void Seek(std::int64_t pos, const char *what);
    std::int64_t Position();

private:
    TStream &FStream;
    std::int64_t FSize;
};

} // namespace prenso
