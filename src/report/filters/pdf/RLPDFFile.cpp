#include "report/filters/pdf/RLPDFFile.h"

#include "report/filters/pdf/RLPDFFormat.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace prenso {

char *PDFPutTail(char *p, std::string_view tail)
{
    std::memcpy(p, tail.data(), tail.size());
    p += tail.size();
    *p++ = '\r';
    *p++ = '\n';
    return p;
}

TRLPDFFile::TRLPDFFile(std::unique_ptr<TRLPDFOutput> output) : FOutput(std::move(output))
{}

int TRLPDFFile::ReserveObjNumber()
{
    const int n = std::max(FObjectCount, FMaxReserved) + 1;
    FReserveds.push_back(n); // always above every earlier one: the list stays sorted
    FMaxReserved = n;
    return n;
}

int TRLPDFFile::AllocObjNumber()
{
    int n = FObjectCount + 1;
    while (std::binary_search(FReserveds.begin(), FReserveds.end(), n))
        ++n;
    FObjectCount = n;
    return n;
}

int TRLPDFFile::StartObj(int number)
{
    if (number == 0)
        number = AllocObjNumber();
    if (static_cast<int>(FObjects.size()) < number)
        FObjects.resize(static_cast<size_t>(number), -1);
    FObjects[static_cast<size_t>(number - 1)] = FWritePos;
    return number;
}

int TRLPDFFile::BeginDictionaryObj(int number)
{
    number = StartObj(number);
    WriteLn(std::to_string(number) + (FStrict ? " 0 obj\r\n<<" : " 0 obj <<"));
    return number;
}

void TRLPDFFile::EndDictionaryObj()
{
    WriteLn(FStrict ? ">>\r\nendobj" : ">> endobj");
}

int TRLPDFFile::BeginPlainObj(int number)
{
    number = StartObj(number);
    WriteLn(std::to_string(number) + " 0 obj");
    return number;
}

void TRLPDFFile::EndPlainObj()
{
    WriteLn("endobj");
}

void TRLPDFFile::BeginStream()
{
    WriteLn(">>");
    WriteLn("stream");
    FStreamStart = FWritePos;
}

std::int64_t TRLPDFFile::EndStream()
{
    const std::int64_t length = FWritePos - FStreamStart;
    // "endstream" must start a line; an end of line added here is not data.
    if ((length > 0 && FLastByte != '\n') || FStrict)
        Write("\r\n");
    WriteLn("endstream");
    WriteLn("endobj");
    return length;
}

void TRLPDFFile::WriteLengthObj(int number, std::int64_t length)
{
    BeginPlainObj(number);
    WriteLn(std::to_string(length));
    EndPlainObj();
}

int TRLPDFFile::WriteStreamObj(int number, std::string_view keys, std::string_view data)
{
    number = BeginDictionaryObj(number);
    if (!keys.empty())
        WriteLn(keys);
    WriteLn("/Length " + std::to_string(data.size()));
    BeginStream();
    Write(data);
    EndStream();
    return number;
}

void TRLPDFFile::Write(std::string_view bytes)
{
    if (bytes.empty())
        return;
    char *p = Room(bytes.size());
    std::memcpy(p, bytes.data(), bytes.size());
    Advance(p + bytes.size(), p);
}

void TRLPDFFile::WriteLn(std::string_view line)
{
    char *const start = Room(line.size() + 2);
    std::memcpy(start, line.data(), line.size());
    char *p = start + line.size();
    *p++ = '\r';
    *p++ = '\n';
    Advance(p, start);
}

void TRLPDFFile::WriteNumbers(std::initializer_list<double> values, std::string_view tail)
{
    char *const start = Room(values.size() * (kPDFFloatChars + 1) + kPDFLineRoom);
    char *p = start;
    for (const double v : values) {
        if (p != start)
            *p++ = ' ';
        p = PDFFormatFloat(p, v);
    }
    Advance(PDFPutTail(p, tail), start);
}

void TRLPDFFile::WritePixels(std::initializer_list<long long> pixels, std::string_view tail)
{
    char *const start = Room(pixels.size() * 26 + kPDFLineRoom);
    char *p = start;
    for (const long long v : pixels) {
        if (p != start)
            *p++ = ' ';
        p = PDFFormatPixels(p, v);
    }
    Advance(PDFPutTail(p, tail), start);
}

void TRLPDFFile::WriteInt(long long value)
{
    char *const start = Room(24);
    Advance(std::to_chars(start, start + 24, value).ptr, start);
}

void TRLPDFFile::WriteEncodedText(std::string_view text)
{
    char *const start = Room(text.size() * 4);
    Advance(PDFEncodeText(start, text), start);
}

void TRLPDFFile::Finish(int catalog, int info, std::string_view trailerExtra)
{
    const int highest = std::max(FObjectCount, FMaxReserved);
    for (int n = 1; n <= highest; ++n)
        if (n > static_cast<int>(FObjects.size()) || FObjects[static_cast<size_t>(n - 1)] < 0)
            throw std::logic_error("PDF object " + std::to_string(n) + " was reserved but never written");
    const std::int64_t xref = FWritePos;
    WriteLn("xref");
    WriteLn("0 " + std::to_string(highest + 1));
    WriteLn("0000000000 65535 f");
    for (int n = 1; n <= highest; ++n)
        WriteLn(PDF_Zeros(FObjects[static_cast<size_t>(n - 1)], 10) + " 00000 n");
    WriteLn("trailer");
    WriteLn("<<");
    WriteLn("/Size " + std::to_string(highest + 1));
    WriteLn("/Root " + PDF_IndirectObjStr(catalog));
    WriteLn("/Info " + PDF_IndirectObjStr(info));
    if (!trailerExtra.empty())
        WriteLn(trailerExtra);
    WriteLn(">>");
    WriteLn("startxref");
    WriteLn(std::to_string(xref));
    WriteLn("%%EOF");
    FOutput->Commit();
}

} // namespace prenso
