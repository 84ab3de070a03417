#pragma once
// Reads an 8-bit text file line by line the way forms have always been read:
//  - a line ends at LF or CR LF; a CR not followed by LF is dropped;
//  - Ctrl-Z (26) where a line would begin ends the file;
//  - Ctrl-Z inside a line ends that line's text, and the rest of the line up
//    to and including its line end is skipped;
//  - a last line without a line end is still a line; lines have no length limit.
// Lines come back as raw bytes (Windows-1252); the caller decodes if it needs to.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

namespace prenso {

class TextFileReader {
public:
    TextFileReader() = default;
    ~TextFileReader();
    TextFileReader(const TextFileReader &) = delete;
    TextFileReader &operator=(const TextFileReader &) = delete;

    // Opens for reading only. Raises EInOutError naming the file and the reason.
    void open(const QString &path);
    void close();

    // Reads the next line into `line`; false at the end of the file.
    bool readLine(std::string &line);
    // The same, keeping only the first `keep` bytes of the line in `line`;
    // `length` is the whole line's length. A line without end (a file of
    // gigabytes without a line feed) is counted, never held.
    bool readLine(std::string &line, uint64_t &length, size_t keep);

private:
    bool fill();    // refills the buffer; false at end of file
    int peekByte(); // next byte or -1 at end of file
    void raiseReadError();

    int m_fd = -1;
    QString m_path;
    bool m_ended = false; // Ctrl-Z at a line start or end of file reached
    std::string m_buffer;
    size_t m_pos = 0;
    size_t m_len = 0;
};

} // namespace prenso
