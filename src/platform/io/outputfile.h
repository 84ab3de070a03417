#pragma once
// A file or device written byte by byte, with every failure raised as the
// input/output error the user is shown: creating, writing (a short write is
// retried, a full disk is an error) and closing (where delayed write errors
// show up).

#include <QString>

#include <string_view>

namespace prenso::files {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile(); // closes without raising
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Creates or empties a file. Raises EInOutError.
    void create(const QString &path);
    // Opens an existing file or device for writing, without creating or
    // emptying it (a printer port). Raises EInOutError.
    void openExisting(const QString &path);
    // Takes a descriptor that is already open (a fresh temporary file).
    void adopt(int fd, const QString &path);

    // Raises EInOutError.
    void write(std::string_view bytes);
    // Raises EInOutError when the system reports an error on closing.
    void close();
    void closeQuietly() noexcept;

private:
    int m_fd = -1;
    QString m_path;
};

} // namespace prenso::files
