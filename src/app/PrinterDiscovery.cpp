#include "app/Principal.h"
#include "app/TextUtils.h"
#include "platform/printing/printahead.h"
#include "platform/printing/printers.h"
#include "platform/widgets/radiogroup.h"
#include "report/printing/RLPrinters.h"

namespace prenso {

namespace {

// The device name is handed over in a buffer of 256 characters, so at most
// 255 of them arrive.
constexpr int kDeviceNameLength = 255;

// The name a printer is matched by: as handed over, trimmed, upper-cased.
QString matchingName(const QString &printer)
{
    return UpperAscii(TrimControl(printer.left(kDeviceNameLength)));
}

} // namespace

std::unique_ptr<printing::PrinterLookAhead> LookAheadForPrinter(const QStringList &arguments)
{
    TSwitches switches;
    try {
        switches = ReadSwitches(arguments);
    } catch (...) {
        // A switch that does not read ends the run with its message before
        // anything is printed: nothing to ask for.
        return nullptr;
    }
    // The setup screen lists the printers; a run with switches lists them
    // when it names one or prints. An archive file asks for none.
    const bool setupScreen = arguments.size() <= 1;
    const bool named = switches.impressora && !switches.impressora->isEmpty();
    if (switches.pdfGiven || (!setupScreen && !switches.autoPrint && !named))
        return nullptr;
    // Only an unattended print on a queue is sure to need that queue: the
    // print dialog and the preview may end without printing, and the draft
    // filter may write its commands into a file.
    const bool printsUnattended = !setupScreen && switches.autoPrint && !ShowsPrintDialog(switches.dialogo) &&
                                  switches.visualizar != QLatin1String("SIM") && switches.matricial.isEmpty();
    auto pick = [printsUnattended, named, switches](const QStringList &names) -> QString {
        if (!printsUnattended)
            return {};
        // As discovery chooses: the last printer the name matches, which
        // overrides the index; a name that matches no queue is no queue's.
        if (named) {
            for (qsizetype i = names.size() - 1; i >= 0; --i) {
                if (matchingName(names[i]) == *switches.impressora)
                    return names[i];
            }
            return {};
        }
        const int index = switches.impressoraIndex.value_or(0);
        return index >= 0 && index < names.size() ? names[index] : QString();
    };
    return std::make_unique<printing::PrinterLookAhead>(std::move(pick));
}

// Walks the installed printers once, in the platform's order: takes each as
// the printer the run settings name when its trimmed, upper-cased name
// matches (a later match overrides an earlier one) and lists it on the setup
// screen (when there is one: a run with switches has none). The list gives
// the names; only the last one is selected, at the end, where the walk has
// always left the printer object.
//
// The printer that a name asked for and found becomes the user's default
// printer, and no other: every queue in turn would leave the last one as the
// default of every program on the desktop, whatever was asked for.
void TfrmPrincipal::BuscaImpressora()
{
    printing::PlatformPrinter &printer = printing::thePrinter();
    const QStringList names = printer.printers();
    const int count = static_cast<int>(names.size());
    QString matched;
    for (int i = 0; i < count; ++i) {
        const QString device = names[i].left(kDeviceNameLength);
        const QString trimmed = TrimControl(device);
        if (!sPbImpressora.isEmpty() && sPbImpressora == matchingName(device)) {
            iPbImpressora = i;
            matched = device;
        }
        if (rgpImpressora)
            rgpImpressora->AddItem(trimmed);
    }
    if (count > 0)
        printer.select(count - 1);
    // A name that is no queue may be a printer the network advertises: it
    // prints as it would with the printing system's own commands, through
    // a temporary queue, and takes the place after the queues, so that no
    // queue's index moves for it. An archive file needs no printer: it does
    // not wait for the network.
    if (!sPbImpressora.isEmpty() && matched.isEmpty() && !bPbPdf) {
        auto named = [&](const printing::AdvertisedPrinter &p) {
            return sPbImpressora == UpperAscii(TrimControl(p.name.left(kDeviceNameLength))) ||
                   sPbImpressora == UpperAscii(TrimControl(p.serviceName.left(kDeviceNameLength)));
        };
        if (const auto advertised = printing::findAdvertisedPrinter(named)) {
            iPbImpressora = RLPrinter().AddAdvertisedPrinter(*advertised);
            matched = advertised->name;
        }
    }
    FPrinterMatched = !matched.isEmpty();
    // The user's own default destination, never the system-wide one (not
    // even as root); whether the write worked does not matter here. There is
    // no settings-changed broadcast to send: no program on this platform
    // listens for one; others read the default when they next ask for it.
    if (FPrinterMatched)
        printing::setUserDefaultPrinter(matched);
}

} // namespace prenso
