#include "report/filters/pdf/RLPDFOutput.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/streams.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace prenso {
namespace {

constexpr size_t kFlushSize = 256 * 1024;

} // namespace

TRLPDFOutput::TRLPDFOutput(std::string *memory) : FMemory(memory), FMemoryStart(memory->size()), FBuffer(kFlushSize)
{}

TRLPDFOutput::TRLPDFOutput(TRLPDFSink *sink) : FSink(sink), FBuffer(kFlushSize)
{}

// The temporary name is on the program's list of temporary files, so that
// even a program stopped by a signal leaves nothing behind.
TRLPDFOutput::TRLPDFOutput(const QString &target) : FTarget(target), FBuffer(kFlushSize)
{
    if (target.isEmpty())
        fail(QStringLiteral("No file name was given."));
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        fail(QStringLiteral("The folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(folder)));
    if (info.isDir())
        fail(QStringLiteral("It is a folder."));
    // Replacing goes through a rename, which the target's own permission
    // would not stop; a file the user made read-only stays untouched.
    if (info.exists() && !info.isWritable())
        fail(SystemErrorMessage(EACCES));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = QStringLiteral("%1.%2.tmp")
                                      .arg(info.absoluteFilePath())
                                      .arg(QRandomGenerator::global()->bounded(1000000000));
        if (QFileInfo::exists(candidate))
            continue;
        FFile.setFileName(candidate);
        const files::TempFileCreation creating;
        if (FFile.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            FTemp = candidate;
            files::registerTempFile(FTemp);
            if (info.exists())
                QFile::setPermissions(FTemp, QFile::permissions(info.absoluteFilePath()));
            return;
        }
        if (!QFileInfo::exists(candidate))
            fail(FFile.errorString());
    }
    fail(QStringLiteral("No free temporary name beside it."));
}

TRLPDFOutput::~TRLPDFOutput()
{
    Discard();
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
    if (FMemory) {
        FMemory->append(FBuffer.data(), FUsed);
        FUsed = 0;
        return;
    }
    if (FSink) {
        // Whatever happens in the sink, these bytes are its now.
        const size_t used = FUsed;
        FUsed = 0;
        FSink->Write(std::string_view(FBuffer.data(), used));
        return;
    }
    // A write that stops short is tried again for the rest: the second
    // attempt is the one that reports why (a full disk, say).
    const char *data = FBuffer.data();
    qint64 left = static_cast<qint64>(FUsed);
    while (left > 0) {
        const qint64 n = FFile.write(data, left);
        if (n <= 0)
            throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(FTarget, FFile.errorString()));
        data += n;
        left -= n;
    }
    FUsed = 0;
}

void TRLPDFOutput::Commit()
{
    Flush();
    if (FMemory) {
        FMemory = nullptr; // complete: it stays
        return;
    }
    if (FSink) {
        FSink = nullptr;
        return;
    }
    FFile.close();
    if (FFile.error() != QFileDevice::NoError)
        throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(FTarget, FFile.errorString()));
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(FTemp).toStdString()),
                            std::filesystem::path(QFile::encodeName(FTarget).toStdString()), ec);
    if (ec)
        fail(QString::fromLocal8Bit(ec.message()));
    files::unregisterTempFile(FTemp);
    FTemp.clear();
}

void TRLPDFOutput::Discard()
{
    FUsed = 0;
    FSink = nullptr;
    if (FMemory) {
        FMemory->resize(FMemoryStart);
        FMemory = nullptr;
        return;
    }
    if (FTemp.isEmpty())
        return;
    FFile.close();
    QFile::remove(FTemp);
    files::unregisterTempFile(FTemp);
    FTemp.clear();
}

void TRLPDFOutput::fail(const QString &reason)
{
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(FTarget, reason));
}

} // namespace prenso
