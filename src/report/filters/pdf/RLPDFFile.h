#pragma once
// The structure of a PDF file as it is written in one forward pass: numbered
// objects whose offsets are recorded for the cross-reference table, streams
// with their lengths, and the table and trailer at the end. Object numbers
// that something written earlier has to refer to (the page tree, a stream's
// length, a font) are reserved ahead and written later; allocation skips
// the reserved ones. Every line ends with CR LF.

#include "report/filters/pdf/RLPDFOutput.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace prenso {

class TRLPDFFile {
public:
    explicit TRLPDFFile(std::unique_ptr<TRLPDFOutput> output);

    // The strict layout archive readers check: "obj" and "endobj" on lines
    // of their own, and an end of line before "endstream" that the stream's
    // length does not count. Off, objects are written "n 0 obj <<" …
    // ">> endobj" and data that ends a line runs up to "endstream".
    void SetStrictLayout(bool strict) { FStrict = strict; }

    // The largest number in use or reserved, plus one, kept for later.
    int ReserveObjNumber();
    // The next number in sequence that is not reserved.
    int AllocObjNumber();
    // "n 0 obj <<" … ">> endobj"; 0 allocates the number, which is returned.
    int BeginDictionaryObj(int number);
    void EndDictionaryObj();
    // "n 0 obj" … "endobj".
    int BeginPlainObj(int number);
    void EndPlainObj();
    // Ends a dictionary and starts its stream; EndStream closes stream and
    // object and returns the length of the data.
    void BeginStream();
    std::int64_t EndStream();
    // Object `number` holding `length`, for a stream that referred to it.
    void WriteLengthObj(int number, std::int64_t length);
    // A whole stream object: the dictionary lines `keys`, then /Length and
    // the data.
    int WriteStreamObj(int number, std::string_view keys, std::string_view data);

    void Write(std::string_view bytes);
    void WriteLn(std::string_view line);
    // Numbers as PDF_FloatToStr writes them, separated by spaces, then
    // `tail` and the end of line.
    void WriteNumbers(std::initializer_list<double> values, std::string_view tail);
    // The same for lengths in pixels, written in points.
    void WritePixels(std::initializer_list<long long> pixels, std::string_view tail);
    void WriteInt(long long value);
    // A Windows-1252 text escaped for a literal string (without the parentheses).
    void WriteEncodedText(std::string_view text);

    // Formatting in place: Room gives space for n bytes in the output
    // buffer, Advance takes what was put between start and end.
    char *Room(size_t n) { return FOutput->Room(n); }
    void Advance(const char *end, const char *start)
    {
        const auto n = static_cast<size_t>(end - start);
        if (n == 0)
            return;
        FOutput->Advance(n);
        FWritePos += static_cast<std::int64_t>(n);
        FLastByte = end[-1];
    }

    // Cross-reference table and trailer; then the output is committed.
    // Raises std::logic_error for a number reserved and never written.
    void Finish(int catalog, int info, std::string_view trailerExtra = {});

    std::int64_t WritePos() const { return FWritePos; }
    const TRLPDFOutput &Output() const { return *FOutput; }

private:
    int StartObj(int number);

    std::unique_ptr<TRLPDFOutput> FOutput;
    std::int64_t FWritePos = 0;
    char FLastByte = 0;
    std::vector<std::int64_t> FObjects; // offset by object number - 1; -1 until written
    int FObjectCount = 0;
    std::vector<int> FReserveds;
    int FMaxReserved = 0;
    std::int64_t FStreamStart = 0;
    bool FStrict = false;
};

// The end of a line and the longest operator tail fit in this.
inline constexpr size_t kPDFLineRoom = 32;
// Writes `tail` and the end of line at p; returns the end.
char *PDFPutTail(char *p, std::string_view tail);

} // namespace prenso
