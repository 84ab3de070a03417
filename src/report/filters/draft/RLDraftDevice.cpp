#include "report/filters/draft/RLDraftDevice.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"

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
    m_target = target;
    m_raw = false;
    m_temporary = false;
    switch (target.Kind) {
    case TRLDeviceKind::dkPrinter:
        m_deviceFileName.clear();
        m_job.start(target.PrinterName, target.Title);
        m_raw = true;
        break;
    case TRLDeviceKind::dkPrinterPort: {
        m_deviceFileName = target.PrinterPort;
        bool isFileUri = false;
        const QString local = printing::localDeviceFileOfUri(target.PrinterPort, &isFileUri);
        if (local.isEmpty()) {
            // A network or USB port belongs to the print server: the bytes
            // reach it as a raw job on the same queue.
            m_job.start(target.PrinterName, target.Title);
            m_raw = true;
        } else if (isFileUri && !local.startsWith(QLatin1String("/dev/"))) {
            m_file.create(local);
        } else {
            // A port must exist; creating it would only make a stray file.
            m_file.openExisting(local);
        }
        break;
    }
    case TRLDeviceKind::dkProgram: {
        if (DraftProgramCommand(target.DevicePath, target.PrinterName, QString()).Program.isEmpty())
            throw Exception(QStringLiteral("No program is given to receive the printer's output."));
        QString path;
        const int fd = files::createTempFile(QStringLiteral("~qr"), QStringLiteral(".tmp"), path);
        m_file.adopt(fd, path);
        m_deviceFileName = path;
        m_temporary = true;
        break;
    }
    case TRLDeviceKind::dkFileName:
        if (target.DevicePath.isEmpty())
            throw EInOutError(QStringLiteral("No file name is given for the printer's output."));
        m_deviceFileName = target.DevicePath;
        m_file.create(target.DevicePath);
        break;
    }
    m_open = true;
}

void TRLDraftDevice::Write(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_raw)
        m_job.write(bytes);
    else
        m_file.write(bytes);
}

void TRLDraftDevice::Close()
{
    if (!m_open)
        return;
    try {
        if (m_raw) {
            m_job.finish();
        } else {
            m_file.close();
            if (m_temporary) {
                const TRLDraftProgramCommand command =
                    DraftProgramCommand(m_target.DevicePath, m_target.PrinterName, m_deviceFileName);
                // From here the started program owns the file: it is removed
                // once the program has finished reading it.
                process::startProgram(command.Program, command.Arguments, m_deviceFileName);
                m_temporary = false;
            }
        }
    } catch (...) {
        Abort();
        throw;
    }
    m_open = false;
}

void TRLDraftDevice::Abort() noexcept
{
    m_job.cancel();
    m_file.closeQuietly();
    if (m_temporary && !m_deviceFileName.isEmpty()) {
        files::deleteFile(m_deviceFileName);
        files::unregisterTempFile(m_deviceFileName);
    }
    m_temporary = false;
    m_open = false;
}

} // namespace prenso
