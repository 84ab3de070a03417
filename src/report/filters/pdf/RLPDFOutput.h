#pragma once
// Where the bytes of a PDF document go: a file, memory, or a sink such as a
// print job that takes the document as it is written.
//
// A file is never written in place (platform/io/safefile.h): it is built under a
// temporary name beside the target and renamed over it only once complete
// and on the disk; a document dropped before that leaves any earlier file of
// that name as it was.
//
// Writes are buffered: Room gives space at the end of the buffer and Advance
// takes what was put there, so content streams are formatted in place.

#include <QString>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace prenso {

namespace files {
class SafeFile;
}

// A taker of the document's bytes as they are written (a print job).
// Write raises an Exception when the bytes cannot be taken.
class TRLPDFSink {
public:
    virtual ~TRLPDFSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

class TRLPDFOutput {
public:
    // Into memory: the document is appended to `memory` as it is written;
    // dropped, it takes back what it appended.
    explicit TRLPDFOutput(std::string *memory);
    // Into `sink`, which must outlive the output. What the sink took cannot
    // be taken back: dropping the document is the sink owner's business.
    explicit TRLPDFOutput(TRLPDFSink *sink);
    // Into a temporary file beside `target`, which takes the target's name on
    // Commit. Raises EFCreateError when the file cannot be created.
    explicit TRLPDFOutput(const QString &target);
    // Drops an uncommitted document.
    ~TRLPDFOutput();
    TRLPDFOutput(const TRLPDFOutput &) = delete;
    TRLPDFOutput &operator=(const TRLPDFOutput &) = delete;

    // Room for `n` more bytes at the end of the buffer; what is put there
    // counts once Advance says how much it was.
    char *Room(size_t n)
    {
        if (FUsed + n > FBuffer.size())
            MakeRoom(n);
        return FBuffer.data() + FUsed;
    }
    void Advance(size_t n) { FUsed += n; }

    // Hands the buffered bytes on. Raises EWriteError when they cannot be
    // written (a full disk, say).
    void Flush();
    // The document is complete: the file takes its name, memory keeps it.
    void Commit();
    // Drops the document: the temporary file goes, memory is restored.
    void Discard();

    // The temporary file being written, empty when none.
    const QString &TempName() const;

private:
    void MakeRoom(size_t n);

    std::unique_ptr<files::SafeFile> FFile; // a file or memory
    TRLPDFSink *FSink = nullptr;
    std::vector<char> FBuffer;
    size_t FUsed = 0;
};

} // namespace prenso
