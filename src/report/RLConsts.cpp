// Placeholder for the engine texts, only so that this branch links: the full
// record with its six language tables replaces this file.
#include "report/RLConsts.h"

namespace prenso {

const TRLLocaleStrings &LS()
{
    static const TRLLocaleStrings strings = [] {
        TRLLocaleStrings s;
        s.LS_PrinterNotFoundStr = QStringLiteral("Printer not found");
        s.LS_PrinterDriverErrorStr = QStringLiteral("Printer driver error");
        s.LS_AtStr = QStringLiteral("at");
        return s;
    }();
    return strings;
}

} // namespace prenso
