#include "platform/printers.h"

#include <QPrinterInfo>
#include <cups/cups.h>

namespace prenso::printing {

QStringList installedPrinterNames()
{
    return QPrinterInfo::availablePrinterNames();
}

bool setUserDefaultPrinter(const QString &name)
{
    // Mark the destination as default in the user's own lpoptions and write
    // only that file: cupsSetDests writes ~/.cups/lpoptions for every user,
    // root included, and leaves the server's default alone.
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    const QByteArray wanted = name.toUtf8();
    bool found = false;
    for (int i = 0; i < count; ++i) {
        const bool match = !found && dests[i].instance == nullptr && wanted == dests[i].name;
        dests[i].is_default = match ? 1 : 0;
        found = found || match;
    }
    const bool ok = found && cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests) == 0;
    cupsFreeDests(count, dests);
    return ok;
}

} // namespace prenso::printing
