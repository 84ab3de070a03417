#pragma once
// The installed printers as the printing system lists them.

#include <QString>
#include <QStringList>

namespace prenso::printing {

// The names of the installed printers (destinations), in the platform's order.
QStringList installedPrinterNames();

// Makes `name` the user's own default destination (what "lpoptions -d" does for
// an ordinary user: the user's lpoptions file, never the system-wide default).
// Returns false when it could not be written; callers ignore the outcome.
bool setUserDefaultPrinter(const QString &name);

} // namespace prenso::printing
