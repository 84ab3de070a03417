// Test helper: hands a temporary file to a program that reads it only after
// this program has returned from main, then ends. Prints the file's name.
// With "--leave" it only makes a temporary file and returns from main with
// the file still listed, for the clean-up at exit to remove.
#include "platform/io/files.h"
#include "platform/system/process.h"

#include <QString>

#include <cstdio>
#include <string_view>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    using namespace prenso;
    QString path;
    const int fd = files::createTempFile(QStringLiteral("~qr"), QStringLiteral(".tmp"), path);
    if (std::string_view(argv[1]) == "--leave") {
        ::close(fd);
        std::printf("%s\n", path.toLocal8Bit().constData());
        return 0;
    }
    const char text[] = "handed to a program at the very end";
    if (::write(fd, text, sizeof text - 1) != static_cast<ssize_t>(sizeof text - 1))
        return 3;
    ::close(fd);
    process::startProgram(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("sleep 0.5; cp \"$0\" \"$1\""), path, QString::fromLocal8Bit(argv[1])},
        path);
    std::printf("%s\n", path.toLocal8Bit().constData());
    return 0;
}
