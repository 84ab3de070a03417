#pragma once
// A file written safely, or into memory: the one way the program writes a
// file that may already be there (a saved PDF, a launcher, the job's
// scratch file).
//
// The bytes go into a new file beside the target, created exclusively and
// listed as temporary, so that a program stopped halfway leaves nothing.
// Commit flushes it to disk and renames it over the target: after a crash
// the name holds the old file or the new one, never an empty or half one
// (unless the caller asks for no flush, for a file that dies with the job).
// Discard (or the object going without Commit) removes it and leaves the
// target as it was. Into memory, the bytes are appended to a string, and
// discarding takes them back out.

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace prenso::files {

class SafeFile {
public:
    // Creates the new file for `target`: a missing folder, a target that is
    // a folder or that its owner made read-only (the rename would not ask)
    // raise EFCreateError ("Cannot create file "target". reason"). An
    // `executable` file gets the execute bits of its read bits.
    // Whether commit flushes the file to disk before it takes its name. A
    // scratch file that is deleted within the job that wrote it need not
    // survive a crash, and flushing it only makes the job wait for the disk.
    enum class Durability { Flushed, Unflushed };
    explicit SafeFile(const QString &target, bool executable = false, Durability durability = Durability::Flushed);
    explicit SafeFile(std::string *memory);
    ~SafeFile();
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    // Appends bytes. Raises EWriteError ("Cannot write file "target".
    // reason") when they cannot be written; the file is discarded then.
    void write(std::string_view bytes);
    // Takes room on the disk for `bytes` bytes in all, so that writing them
    // cannot fail for want of room; false with the reason when there is none.
    bool reserve(std::uint64_t bytes, QString *reason);
    // Gives the file its name (or keeps the bytes in memory). Raises
    // EWriteError when the file cannot be finished; it is discarded then.
    void commit();
    void discard() noexcept;

    // The new file's own name while it is written; empty in memory or once
    // committed or discarded.
    const QString &temporaryName() const { return m_temp; }

private:
    [[noreturn]] void failWrite(int error);

    QString m_target;
    QString m_temp;
    int m_fd = -1;
    bool m_executable = false;
    Durability m_durability = Durability::Flushed;
    std::string *m_memory = nullptr;
    size_t m_memoryStart = 0;
    static constexpr std::uint64_t kWriteBackStretch = 4u << 20;
    std::uint64_t m_written = 0;     // bytes written so far
    std::uint64_t m_writtenBack = 0; // of which the disk was asked to start on
};

} // namespace prenso::files
