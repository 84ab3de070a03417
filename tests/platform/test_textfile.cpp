#include "platform/errors.h"
#include "platform/textfile.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
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
