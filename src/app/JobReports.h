#pragma once
// The two report layouts the print job chooses between, as far as the job
// drives them: the default filter, the line text control's font and the
// action asked for. The report engine takes over these objects as it grows.

#include <QString>

namespace prenso {

class TRLCustomPrintFilter;

struct TJobReport {
    enum class Action { None, Print, Preview };

    QString Name;            // rlrRetrato or rlrPaisagem
    QString TextControlName; // rldbtxtLinha or rldbtxtLinhaP
    bool Landscape = false;
    TRLCustomPrintFilter *DefaultFilter = nullptr;
    QString FontName = QStringLiteral("Arial");
    int FontSize = 0;        // points; 0 until the job sets it
    int PrinterIndex = 0;    // the printer selected for the run
    int LineCount = 0;       // records the run would lay out
    Action LastAction = Action::None;
};

} // namespace prenso
