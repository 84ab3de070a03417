#include "platform/io/textfile.h"
#include "platform/system/errors.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace prenso;
using prenso::test::TempDir;

namespace {

std::vector<std::string> readAll(const std::string &content)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("form.txt"));
    test::writeFile(path, content);
    TextFileReader reader;
    reader.open(path);
    std::vector<std::string> lines;
    std::string line;
    while (reader.readLine(line))
        lines.push_back(line);
    return lines;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(TextFileReader, LineEnds)
{
    EXPECT_EQ(readAll("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(readAll("a\r\nb\r\n"), (Lines{"a", "b"}));
    // The last line needs no line end; a final line end adds no empty line.
    EXPECT_EQ(readAll("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(readAll(""), Lines{});
    EXPECT_EQ(readAll("\n"), Lines{""});
    EXPECT_EQ(readAll("\n\n"), (Lines{"", ""}));
    // A lone CR is dropped and the line goes on.
    EXPECT_EQ(readAll("ab\rcd\r\nef"), (Lines{"abcd", "ef"}));
    EXPECT_EQ(readAll("ab\r"), Lines{"ab"});
}

TEST(TextFileReader, CtrlZ)
{
    // At the start of a line it ends the file.
    EXPECT_EQ(readAll("a\n\x1A"
                      "b\nc\n"),
              Lines{"a"});
    EXPECT_EQ(readAll("\x1A"
                      "abc"),
              Lines{});
    // Inside a line it ends that line; the rest of the line is skipped.
    EXPECT_EQ(readAll("ab\x1A"
                      "cd\r\nef\n"),
              (Lines{"ab", "ef"}));
    EXPECT_EQ(readAll("ab\x1A"
                      "cd"),
              Lines{"ab"});
    // A file ending in Ctrl-Z after a line end.
    EXPECT_EQ(readAll("x\r\ny\r\n\x1A"), (Lines{"x", "y"}));
}

TEST(TextFileReader, BytesPassThrough)
{
    // Form feeds, tabs, NUL and accented Windows-1252 bytes are part of the line.
    EXPECT_EQ(readAll("\fP\xC1GINA\t2\n"), Lines{"\fP\xC1GINA\t2"});
    EXPECT_EQ(readAll(std::string("a\0b\n", 4)), Lines{std::string("a\0b", 3)});
}

TEST(TextFileReader, LongLinesAcrossBuffers)
{
    // A 1 MB line, and CR LF pairs split across the internal buffer boundary.
    std::string big(1 << 20, 'x');
    EXPECT_EQ(readAll(big + "\r\nz"), (Lines{big, "z"}));
    std::string split(65535, 'y');
    EXPECT_EQ(readAll(split + "\r\nq"), (Lines{split, "q"}));
    EXPECT_EQ(readAll(split + "\x1A" + std::string(70000, 'k') + "\nq"), (Lines{split, "q"}));
}

TEST(TextFileReader, LineEndsAtEveryPlaceOfALongRun)
{
    // The plain runs are scanned many bytes at a time: a line end at each
    // place inside and past such a stretch, and a byte just past the stretch.
    for (size_t at = 0; at <= 40; ++at) {
        SCOPED_TRACE(at);
        const std::string run(at, '\xE9');
        EXPECT_EQ(readAll(run + "\nb"), (Lines{run, "b"}));
        EXPECT_EQ(readAll(run + "\r\nb"), (Lines{run, "b"}));
        EXPECT_EQ(readAll(run + "\x1A" + "skipped\nb"), at == 0 ? Lines{} : (Lines{run, "b"}));
        EXPECT_EQ(readAll(run + "\rc"), Lines{run + "c"});
    }
}

TEST(TextFileReader, OpenErrors)
{
    TempDir dir;
    TextFileReader reader;
    try {
        reader.open(dir.file(QStringLiteral("missing.txt")));
        FAIL() << "a missing file must not open";
    } catch (const EInOutError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("missing.txt"))) << e.what();
    }
    // A folder is not a form.
    EXPECT_THROW(reader.open(dir.path()), EInOutError);
    if (::geteuid() != 0) { // root reads everything
        const QString locked = dir.file(QStringLiteral("locked.txt"));
        test::writeFile(locked, "x\n");
        ::chmod(locked.toLocal8Bit().constData(), 0);
        EXPECT_THROW(reader.open(locked), EInOutError);
    }
}

namespace {

// The largest resident size the process has had so far, in kilobytes.
long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

// A line without end (a file of a gigabyte without a line feed, or a pipe
// that goes on and on) is counted to its last byte while only the bytes
// asked for are kept: the memory does not grow with the line.
TEST(TextFileReader, LineWithoutEndIsCountedNotHeld)
{
    struct Case {
        const char *what;
        uint64_t bytes;
        bool pipe;
    };
    for (const Case &c : {Case{"sparse file", 1ull << 30, false}, Case{"pipe", 256ull << 20, true}}) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QString path = dir.file(QStringLiteral("form.txt"));
        const QByteArray native = path.toLocal8Bit();
        std::thread writer;
        if (c.pipe) {
            ASSERT_EQ(::mkfifo(native.constData(), 0600), 0);
            writer = std::thread([&] {
                const int fd = ::open(native.constData(), O_WRONLY);
                const std::string chunk(1 << 16, 'x');
                for (uint64_t sent = 0; fd >= 0 && sent < c.bytes; sent += chunk.size())
                    if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()))
                        break;
                ::close(fd);
            });
        } else {
            const int fd = ::open(native.constData(), O_WRONLY | O_CREAT, 0600);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(c.bytes)), 0);
            ::close(fd);
        }
        const long before = peakKilobytes();
        TextFileReader reader;
        reader.open(path);
        std::string line;
        uint64_t length = 0;
        EXPECT_TRUE(reader.readLine(line, length, 250));
        EXPECT_EQ(length, c.bytes);
        EXPECT_EQ(line.size(), 250u);
        EXPECT_LT(line.capacity(), 4096u);
        EXPECT_FALSE(reader.readLine(line, length, 250));
        reader.close();
        if (writer.joinable())
            writer.join();
        EXPECT_LT(peakKilobytes() - before, 32 * 1024) << "the line was held in memory";
    }
}
