#include "app/Principal.h"
#include "app/TextUtils.h"
#include "platform/printers.h"
#include "platform/widgets/radiogroup.h"

namespace prenso {

namespace {

// The device name is handed over in a buffer of 256 characters, so at most
// 255 of them arrive.
constexpr int kDeviceNameLength = 255;

} // namespace

// Walks the installed printers once, in the platform's order: takes each as
// the printer the run settings name when its trimmed, upper-cased name
// matches (a later match overrides an earlier one), lists it on the setup
// screen, and makes it the user's default printer, so that after the walk the
// last printer is both selected and the default. The list gives the names;
// selecting every printer on the way would only ask the print server about
// each in turn, so only the last one is selected, at the end.
void TfrmPrincipal::BuscaImpressora()
{
    printing::PlatformPrinter &printer = printing::thePrinter();
    const QStringList names = printer.printers();
    const int count = static_cast<int>(names.size());
    for (int i = 0; i < count; ++i) {
        const QString device = names[i].left(kDeviceNameLength);

        const QString trimmed = TrimControl(device);
        if (!sPbImpressora.isEmpty() && sPbImpressora == UpperAscii(trimmed))
            iPbImpressora = i;

        rgpImpressora->AddItem(trimmed);

        // The user's own default destination, never the system-wide one
        // (not even as root); whether the write worked does not matter here.
        printing::setUserDefaultPrinter(device);

        // There is no settings-changed broadcast to send: no program on this
        // platform listens for one. Others read the user's default
        // destination when they next ask for it.
    }
    if (count > 0)
        printer.select(count - 1);
}

} // namespace prenso
