#pragma once
// Where the draft filter's bytes go, by device kind:
//   dkPrinter      a raw job on the selected print queue;
//   dkPrinterPort  the queue's port: a device URI that names a local device
//                  file (file:, parallel:, serial:) is opened and written,
//                  any other port gets the same bytes as a raw job;
//   dkFileName     the file DevicePath names, created or emptied;
//   dkProgram      a fresh temporary file, handed at the end to the program
//                  DevicePath names (started directly, never through a shell).
//
// Every failure raises an error. Abort gives up quietly: a raw job is
// cancelled, files are closed, a temporary file is removed and no program
// is started.

#include "platform/io/outputfile.h"
#include "platform/printing/printjob.h"
#include "platform/printing/rawspool.h"
#include "report/filters/draft/RLDraftTypes.h"

#include <QString>
#include <QStringList>

#include <string_view>

namespace prenso {

struct TRLDraftDeviceTarget {
    TRLDeviceKind Kind = TRLDeviceKind::dkPrinterPort;
    QString PrinterName; // the selected queue
    QString PrinterPort; // its device URI
    QString DevicePath;  // file name or command line
    QString Title;       // the raw job's name
};

// A dkProgram command line made into a program and its arguments: split at
// the first blank into the program and the parameter text (a program in
// double quotes may hold blanks), the parameters split into arguments, and
// then "%p" and "%f" (any case) replaced by the printer name and the file
// name inside each argument, so that what they hold stays one argument.
struct TRLDraftProgramCommand {
    QString Program;
    QStringList Arguments;
};
TRLDraftProgramCommand DraftProgramCommand(const QString &devicePath, const QString &printerName,
                                           const QString &fileName);
// "%p" and "%f" (any case) replaced in one pass, so that a replacement is
// never looked into again.
QString DraftExpandPlaceholders(const QString &text, const QString &printerName, const QString &fileName);

class TRLDraftDevice {
public:
    TRLDraftDevice() = default;
    ~TRLDraftDevice();
    TRLDraftDevice(const TRLDraftDevice &) = delete;
    TRLDraftDevice &operator=(const TRLDraftDevice &) = delete;

    void Open(const TRLDraftDeviceTarget &target);
    void Write(std::string_view bytes);
    // Ends the output: the raw job is finished, the file closed and, for
    // dkProgram, the program started with the file.
    void Close();
    void Abort() noexcept;

    // The file written (a port, a temporary file or DevicePath).
    const QString &DeviceFileName() const { return FDeviceFileName; }
    // Whether the bytes go to a raw job.
    bool SpoolsRaw() const { return FRaw; }

private:
    TRLDraftDeviceTarget FTarget;
    files::OutputFile FFile;
    printing::PrintServerJob FJob;
    QString FDeviceFileName;
    bool FOpen = false;
    bool FRaw = false;
    bool FTemporary = false;
};

} // namespace prenso
