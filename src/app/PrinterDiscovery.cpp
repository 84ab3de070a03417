#include "app/Principal.h"

#include "app/TextUtils.h"
#include "platform/printers.h"
#include "platform/radiogroup.h"

namespace prenso {

// Walks the installed printers once: fills the printer list of the setup
// screen, finds the printer the run settings name, and makes each printer in
// turn the user's default destination (so the last one of the list stays).
void TfrmPrincipal::BuscaImpressora()
{
    const QStringList printers = printing::installedPrinterNames();
    for (int i = 0; i < printers.size(); ++i) {
        const QString device = printers[i].left(255);
        const QString trimmed = TrimControl(device);
        if (!sPbImpressora.isEmpty() && sPbImpressora == UpperAscii(trimmed))
            iPbImpressora = i;
        rgpImpressora->AddItem(trimmed);
        printing::setUserDefaultPrinter(device);
        // No settings broadcast exists here; the user's default destination
        // file is what other programs read when they start.
    }
}

} // namespace prenso
