#include "report/filters/draft/RLDraftDevice.h"

#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/process.h"

namespace prenso {

QString DraftExpandPlaceholders(const QString &text, const QString &printerName, const QString &fileName)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size()) {
            const QChar next = text[i + 1].toLower();
            if (next == u'p' || next == u'f') {
                out += next == u'p' ? printerName : fileName;
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

TRLDraftProgramCommand DraftProgramCommand(const QString &devicePath, const QString &printerName,
                                           const QString &fileName)
{
    QString program, parameters;
    if (devicePath.startsWith(u'"')) {
        const qsizetype close = devicePath.indexOf(u'"', 1);
        program = close < 0 ? devicePath.mid(1) : devicePath.mid(1, close - 1);
        parameters = close < 0 ? QString() : devicePath.mid(close + 1);
    } else {
        const qsizetype space = devicePath.indexOf(u' ');
        program = space < 0 ? devicePath : devicePath.left(space);
        parameters = space < 0 ? QString() : devicePath.mid(space + 1);
    }
    TRLDraftProgramCommand command;
    command.Program = DraftExpandPlaceholders(program, printerName, fileName);
    for (const QString &argument : process::splitArguments(parameters))
        command.Arguments.append(DraftExpandPlaceholders(argument, printerName, fileName));
    return command;
}

TRLDraftDevice::~TRLDraftDevice()
{
    Abort();
}

void TRLDraftDevice::Open(const TRLDraftDeviceTarget &target)
{
    Abort();
    FTarget = target;
    FRaw = false;
    FTemporary = false;
    switch (target.Kind) {
    case TRLDeviceKind::dkPrinter:
        FDeviceFileName.clear();
        FJob.start(target.PrinterName, target.Title);
        FRaw = true;
        break;
    case TRLDeviceKind::dkPrinterPort: {
        FDeviceFileName = target.PrinterPort;
        bool isFileUri = false;
        const QString local = printing::localDeviceFileOfUri(target.PrinterPort, &isFileUri);
        if (local.isEmpty() || !isFileUri) {
            // A network, USB, parallel or serial port belongs to the print
            // server: the bytes reach it as a raw job on the same queue, and
            // its backend opens the port with the settings the queue's URI
            // gives (speed, flow control) and with the server's rights.
            FJob.start(target.PrinterName, target.Title);
            FRaw = true;
        } else if (!local.startsWith(QLatin1String("/dev/"))) {
            FFile.create(local);
        } else {
            // A port must exist; creating it would only make a stray file.
            FFile.openExisting(local);
        }
        break;
    }
    case TRLDeviceKind::dkProgram: {
        if (DraftProgramCommand(target.DevicePath, target.PrinterName, QString()).Program.isEmpty())
            throw Exception(QStringLiteral("No program is given to receive the printer's output."));
        QString path;
        const int fd = files::createTempFile(QStringLiteral("~qr"), QStringLiteral(".tmp"), path);
        FFile.adopt(fd, path);
        FDeviceFileName = path;
        FTemporary = true;
        break;
    }
    case TRLDeviceKind::dkFileName:
        if (target.DevicePath.isEmpty())
            throw EInOutError(QStringLiteral("No file name is given for the printer's output."));
        FDeviceFileName = target.DevicePath;
        FFile.create(target.DevicePath);
        break;
    }
    FOpen = true;
}

void TRLDraftDevice::Write(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (FRaw)
        FJob.write(bytes);
    else
        FFile.write(bytes);
}

void TRLDraftDevice::Close()
{
    if (!FOpen)
        return;
    try {
        if (FRaw) {
            FJob.finish();
        } else {
            FFile.close();
            if (FTemporary) {
                const TRLDraftProgramCommand command =
                    DraftProgramCommand(FTarget.DevicePath, FTarget.PrinterName, FDeviceFileName);
                // From here the started program owns the file: it is removed
                // once the program has finished reading it.
                process::startProgram(command.Program, command.Arguments, FDeviceFileName);
                FTemporary = false;
            }
        }
    } catch (...) {
        Abort();
        throw;
    }
    FOpen = false;
}

void TRLDraftDevice::Abort() noexcept
{
    FJob.cancel();
    FFile.closeQuietly();
    if (FTemporary && !FDeviceFileName.isEmpty()) {
        files::deleteFile(FDeviceFileName);
        files::unregisterTempFile(FDeviceFileName);
    }
    FTemporary = false;
    FOpen = false;
}

} // namespace prenso
