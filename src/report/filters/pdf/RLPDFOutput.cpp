#include "report/filters/pdf/RLPDFOutput.h"

#include "platform/io/safefile.h"

namespace prenso {
namespace {

constexpr size_t kFlushSize = 256 * 1024;

} // namespace

TRLPDFOutput::TRLPDFOutput(std::string *memory) : FFile(std::make_unique<files::SafeFile>(memory)), FBuffer(kFlushSize)
{}

TRLPDFOutput::TRLPDFOutput(TRLPDFSink *sink) : FSink(sink), FBuffer(kFlushSize)
{}

TRLPDFOutput::TRLPDFOutput(const QString &target)
    : FFile(std::make_unique<files::SafeFile>(target)), FBuffer(kFlushSize)
{}

TRLPDFOutput::~TRLPDFOutput()
{
    Discard();
}

const QString &TRLPDFOutput::TempName() const
{
    static const QString none;
    return FFile ? FFile->temporaryName() : none;
}

void TRLPDFOutput::MakeRoom(size_t n)
{
    Flush();
    if (n > FBuffer.size())
        FBuffer.resize(n);
}

void TRLPDFOutput::Flush()
{
    if (FUsed == 0)
        return;
    // Whatever happens where they go, these bytes are gone from the buffer.
    const size_t used = FUsed;
    FUsed = 0;
    const std::string_view bytes(FBuffer.data(), used);
    if (FSink)
        FSink->Write(bytes);
    else if (FFile)
        FFile->write(bytes);
}

void TRLPDFOutput::Commit()
{
    Flush();
    if (FFile)
        FFile->commit();
    FFile.reset();
    FSink = nullptr;
}

void TRLPDFOutput::Discard()
{
    FUsed = 0;
    FSink = nullptr;
    if (FFile)
        FFile->discard();
    FFile.reset();
}

} // namespace prenso
