#pragma once
// Byte streams: a seekable sequence of bytes in memory or in a file. Short
// reads and writes of the *Buffer calls raise errors; Read and Write return
// what they managed.

#include "platform/system/errors.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace prenso {

struct EWriteError : Exception {
    explicit EWriteError(QString m) : Exception(std::move(m), "EWriteError") {}
};

class TStream {
public:
    enum class Origin { soBeginning, soCurrent, soEnd };
    virtual ~TStream();

    virtual std::int64_t Read(void *buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void *buffer, std::int64_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, Origin origin) = 0;
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size) = 0;

    std::int64_t Position() { return Seek(0, Origin::soCurrent); }
    void SetPosition(std::int64_t pos) { Seek(pos, Origin::soBeginning); }

    // Raise EReadError "Stream read error" / EWriteError "Stream write error",
    // followed by what the stream can tell of the failure (a file's name and
    // the system's reason).
    void ReadBuffer(void *buffer, std::int64_t count);
    void WriteBuffer(const void *buffer, std::int64_t count);
    void WriteBuffer(std::string_view bytes) { WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); }

protected:
    // What went wrong with the last short read or write; empty by default.
    virtual QString FailureDetail() const { return QString(); }
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : m_data(std::move(bytes)) {}
    std::int64_t Read(void *buffer, std::int64_t count) override;
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, Origin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(m_data.size()); }
    void SetSize(std::int64_t size) override;
    const std::string &Data() const { return m_data; }

private:
    std::string m_data;
    std::int64_t m_pos = 0;
};

// A file opened by path, or adopted by descriptor (which it then closes).
class TFileStream : public TStream {
public:
    enum class Mode {
        fmCreate,   // created or truncated, read and write, others may not write
        fmOpenRead, // read only, others may not write
        fmOpenReadWrite,
    };
    TFileStream(const QString &path, Mode mode); // raises EFCreateError / EFOpenError
    // `path` names the file in error messages.
    explicit TFileStream(int fd, const QString &path = QString());
    ~TFileStream() override;
    TFileStream(const TFileStream &) = delete;
    TFileStream &operator=(const TFileStream &) = delete;

    std::int64_t Read(void *buffer, std::int64_t count) override;
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, Origin origin) override;
    std::int64_t Size() override;
    void SetSize(std::int64_t size) override;
    // At a given place, in one call and without moving the position (a
    // file of records that knows where each one is). ReadAt returns what it
    // could read, with the system's reason in `error` (0 at the end of the
    // file); WriteAt raises as WriteBuffer does.
    std::int64_t ReadAt(std::int64_t pos, void *buffer, std::int64_t count, int &error) const;
    void WriteAt(std::int64_t pos, std::string_view bytes);

protected:
    QString FailureDetail() const override;

private:
    int m_fd = -1;
    QString m_path;
    int m_lastError = 0;
};

} // namespace prenso
