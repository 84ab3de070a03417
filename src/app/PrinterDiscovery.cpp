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

// Walks the installed printers once, in the platform's order: selects each in
// the printer object, takes it as the printer the run settings name when its
// trimmed, upper-cased name matches (a later match overrides an earlier one),
// lists it on the setup screen, and makes it the user's default printer, so
// that after the walk the last printer is both selected and the default.
void TfrmPrincipal::BuscaImpressora()
{
    printing::PlatformPrinter &printer = printing::thePrinter();
    const int count = static_cast<int>(printer.printers().size());
    for (int i = 0; i < count; ++i) {
        printer.select(i);
        const QString device = printer.selectedName().left(kDeviceNameLength);

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
}

} // namespace prenso
