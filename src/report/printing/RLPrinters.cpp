#include "report/printing/RLPrinters.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/valuetypes.h"
#include "platform/printing/printers.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "platform/system/session.h"
#include "report/RLConsts.h"
#include "report/RLUserInterface.h"
#include "report/printing/RLPaperSizes.h"

#include <QCoreApplication>
#include <QPainter>

#include <cmath>
#include <memory>

namespace prenso {

namespace {

QString cutAtOn(const QString &name)
{
    const int on = name.indexOf(QStringLiteral(" on "));
    return on < 0 ? name : name.left(on);
}

// Saturated: a paper size read from a file may be any number.
int tenthsOfMillimetre(double mm)
{
    return RoundCoord(mm * 10.0);
}

} // namespace

TRLPrinterWrapper::TRLPrinterWrapper() = default;
TRLPrinterWrapper::~TRLPrinterWrapper() = default;

void TRLPrinterWrapper::BuildPrinters()
{
    FPrinters.clear();
    FPrintersBuilt = true;
    AddNewPrinters();
}

// Advertised printers join the platform's list at its end; the entries
// before them, with their ports, stay as they are.
void TRLPrinterWrapper::AddNewPrinters()
{
    const QStringList &names = printing::thePrinter().printers();
    for (auto i = static_cast<qsizetype>(FPrinters.size()); i < names.size(); ++i)
        FPrinters.push_back(TRLPrinterEntry{names[i], std::nullopt});
}

const std::vector<TRLPrinterEntry> &TRLPrinterWrapper::Printers()
{
    if (!FPrintersBuilt)
        BuildPrinters();
    else if (static_cast<qsizetype>(FPrinters.size()) < printing::thePrinter().printers().size())
        AddNewPrinters();
    return FPrinters;
}

int TRLPrinterWrapper::AddAdvertisedPrinter(const printing::AdvertisedPrinter &printer)
{
    Printers();
    const int index = printing::thePrinter().addAdvertised(printer);
    AddNewPrinters();
    return index;
}

// Most operations work on "the selected printer": with none selected yet,
// the first one of the list stands in.
bool TRLPrinterWrapper::EnsureSelection()
{
    printing::PlatformPrinter &printer = printing::thePrinter();
    if (printer.index() == -1 && !Printers().empty())
        printer.select(0);
    return printer.index() != -1;
}

int TRLPrinterWrapper::PrinterIndex()
{
    EnsureSelection();
    return printing::thePrinter().index();
}

void TRLPrinterWrapper::SetPrinterIndex(int value)
{
    if (value >= 0 && value < static_cast<int>(Printers().size()))
        printing::thePrinter().select(value);
}

QString TRLPrinterWrapper::PrinterName()
{
    if (!EnsureSelection())
        return QString();
    const int index = printing::thePrinter().index();
    if (index < 0 || index >= static_cast<int>(Printers().size()))
        return QString();
    return FPrinters[static_cast<size_t>(index)].Name;
}

void TRLPrinterWrapper::SetPrinterName(const QString &value)
{
    // A name given as "name|port" is compared by its name part.
    const QString wanted = cutAtOn(value.section(u'|', 0, 0));
    const std::vector<TRLPrinterEntry> &entries = Printers();
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (cutAtOn(entries[static_cast<size_t>(i)].Name).compare(wanted, Qt::CaseInsensitive) == 0) {
            printing::thePrinter().select(i);
            return;
        }
    }
}

QString TRLPrinterWrapper::PrinterPort()
{
    if (!EnsureSelection())
        return QString();
    printing::PlatformPrinter &printer = printing::thePrinter();
    const int index = printer.index();
    if (index < 0 || index >= static_cast<int>(Printers().size()))
        return QString();
    TRLPrinterEntry &entry = FPrinters[static_cast<size_t>(index)];
    if (!entry.Port) {
        printer.reselectWithDefaults();
        const printing::PrinterInformation info = printing::readPrinterInformation(entry.Name);
        entry.Port = info.serverName.isEmpty() ? info.portName : info.serverName + u'\\' + info.shareName;
    }
    return *entry.Port;
}

int TRLPrinterWrapper::Copies() const
{
    return printing::thePrinter().copies();
}

void TRLPrinterWrapper::SetCopies(int value)
{
    printing::thePrinter().setCopies(value);
}

void TRLPrinterWrapper::BeginDoc(const QString &title)
{
    if (!EnsureSelection())
        throw Exception(LS().LS_PrinterNotFoundStr);
    printing::PlatformPrinter &printer = printing::thePrinter();
    if (!printer.beginDocument(title))
        throw Exception(LS().LS_PrinterDriverErrorStr);
    // Sizes in points must come out in the printer's own pixels.
    printing::DeviceMetrics device;
    const int ppi = printer.readMetrics(device) ? device.ppiY : printer.painter()->device()->logicalDpiY();
    FCanvas = std::make_unique<TCanvas>(*printer.painter(), ppi);
}

bool TRLPrinterWrapper::TakesDocuments()
{
    return EnsureSelection() && printing::thePrinter().printsThroughServer();
}

std::unique_ptr<printing::PrintServerJob> TRLPrinterWrapper::StartDocument(const QString &title, const char *format)
{
    if (!EnsureSelection())
        throw Exception(LS().LS_PrinterNotFoundStr);
    printing::PlatformPrinter &printer = printing::thePrinter();
    auto job = std::make_unique<printing::PrintServerJob>();
    try {
        if (auto described = printer.queueDescription())
            job->start(std::move(described), title, format, printer.documentOptions());
        else
            job->start(printer.queueName(), title, format, printer.documentOptions());
    } catch (const Exception &e) {
        throw Exception(LS().LS_PrinterDriverErrorStr + QStringLiteral(": ") + e.message());
    }
    return job;
}

void TRLPrinterWrapper::NewPage()
{
    // A break that did not happen would draw the next page over this one.
    printing::PlatformPrinter &printer = printing::thePrinter();
    if (!printer.newPage())
        throw Exception(LS().LS_PrinterDriverErrorStr + QStringLiteral(": ") + printer.lastError());
}

void TRLPrinterWrapper::EndDoc()
{
    FCanvas.reset();
    printing::PlatformPrinter &printer = printing::thePrinter();
    const bool handedOver = printer.endDocument();
    const QString refusal = printer.lastError();
    // The same printer stays selected as it is: selecting it again would
    // load its defaults and lose the copies, orientation and paper that the
    // next job (the rest of a report after a change of paper) still needs.
    if (!handedOver && !refusal.isEmpty())
        throw Exception(LS().LS_PrinterDriverErrorStr + QStringLiteral(": ") + refusal);
}

QPainter *TRLPrinterWrapper::Painter() const
{
    return printing::thePrinter().painter();
}

QPrinter &TRLPrinterWrapper::Printer() const
{
    return printing::thePrinter().qprinter();
}

void TRLPrinterWrapper::Refresh()
{
    FPrinters.clear();
    FPrintersBuilt = false;
    printing::PlatformPrinter &printer = printing::thePrinter();
    int index = printer.index();
    printer.refreshPrinters();
    printer.select(-1);
    const int last = static_cast<int>(printer.printers().size()) - 1;
    if (index > last)
        index = last;
    printer.select(index);
}

bool TRLPrinterWrapper::ExecuteSetup()
{
    printing::PlatformPrinter &printer = printing::thePrinter();
    // A second look starts from what the operator chose the first time.
    if (!printer.hasOperatorLayout())
        Refresh();
    // An advertised printer is there to be read once its queue is made.
    if (!EnsureSelection() || !printer.hasDeviceSettings())
        return false;
    try {
        printing::readPrinterInformation(printer.selectedName());
    } catch (const Exception &) {
        return false;
    }
    const auto &setup = RLUserInterface().ExecutePrinterSetup;
    if (!setup || !printer.hasDeviceSettings())
        return false;
    switch (setup(printer.qprinter())) {
    case TRLSetupOutcome::soNotShown: return false;
    case TRLSetupOutcome::soCanceled: return true;
    case TRLSetupOutcome::soAccepted: break;
    }
    printer.keepOperatorLayout();
    return true;
}

bool TRLPrinterWrapper::LayoutChosenInSetup() const
{
    return printing::thePrinter().hasOperatorLayout();
}

void TRLPrinterWrapper::SetPaperSize(double paperWidthMM, double paperHeightMM, TRLPageOrientation orientation,
                                     bool /*forceEmulation*/, bool /*setPaperBin*/)
{
    const TRLPaperRequest request = PaperRequest(paperWidthMM, paperHeightMM, orientation);
    printing::PlatformPrinter &printer = printing::thePrinter();
    if (EnsureSelection()) {
        if (!printer.hasDeviceSettings())
            printer.reselectWithDefaults();
        // The queue went away since the list was read: say so, rather than
        // ending the print with nothing printed and nothing said.
        if (!printer.hasDeviceSettings()) {
            const QString &why = printer.selectionProblem();
            throw Exception(LS().LS_PrinterNotFoundStr + QStringLiteral(": ") + printer.selectedName() +
                            (why.isEmpty() ? QString() : QStringLiteral(" (") + why + u')'));
        }
        const bool custom = request.PaperCode == kUserDefinedPaperCode;
        printer.setPaper(request.PaperCode, custom ? tenthsOfMillimetre(request.Width) : 0,
                         custom ? tenthsOfMillimetre(request.Height) : 0, QSizeF(request.Width, request.Height));
    }
    printer.setLandscape(request.Orientation == TRLPageOrientation::poLandscape);
    // Other programs learn of a changed printer setting by a broadcast on some
    // systems; nothing here listens for one, so none is sent.
    FCustomWidth = paperWidthMM;
    FCustomHeight = paperHeightMM;
}

void TRLPrinterWrapper::LoadMetrics(TRLPrinterMetrics &metrics)
{
    metrics = kFallbackPrinterMetrics;
    if (!EnsureSelection())
        return;
    printing::PlatformPrinter &printer = printing::thePrinter();
    if (!printer.hasDeviceSettings())
        printer.reselectWithDefaults();
    printing::DeviceMetrics device;
    if (!printer.readMetrics(device))
        return;
    metrics.PPIX = device.ppiX;
    metrics.PPIY = device.ppiY;
    metrics.PhysicalWidth = device.paper.width();
    metrics.PhysicalHeight = device.paper.height();
    metrics.MarginLeft = device.printable.x();
    metrics.MarginTop = device.printable.y();
    metrics.ClientWidth = device.printable.width();
    metrics.ClientHeight = device.printable.height();
    metrics.MarginRight = metrics.PhysicalWidth - metrics.MarginLeft - metrics.ClientWidth;
    metrics.MarginBottom = metrics.PhysicalHeight - metrics.MarginTop - metrics.ClientHeight;
}

QString TRLPrinterWrapper::PrinterDisplayName(int index)
{
    const std::vector<TRLPrinterEntry> &entries = Printers();
    if (index < 0 || index >= static_cast<int>(entries.size()))
        return QString();
    const TRLPrinterEntry &entry = entries[static_cast<size_t>(index)];
    if (!entry.Port || *entry.Port == entry.Name)
        return entry.Name;
    return entry.Name + u' ' + LS().LS_AtStr + u' ' + *entry.Port;
}

namespace {

struct WrapperOfTheSession {
    std::unique_ptr<TRLPrinterWrapper> wrapper;
};

std::unique_ptr<TRLPrinterWrapper> &wrapperSlot()
{
    return Session::current().part<WrapperOfTheSession>().wrapper;
}

} // namespace

TRLPrinterWrapper &RLPrinter()
{
    auto &slot = wrapperSlot();
    if (!slot)
        slot = std::make_unique<TRLPrinterWrapper>();
    return *slot;
}

void ResetRLPrinterForTesting()
{
    wrapperSlot().reset();
    printing::resetPrinterForTesting();
}

} // namespace prenso
