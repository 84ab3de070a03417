#include "report/RLUserInterface.h"

namespace prenso {

TRLProgress::~TRLProgress() = default;
TRLPreviewTarget::~TRLPreviewTarget() = default;

TRLUserInterface &RLUserInterface()
{
    static TRLUserInterface ui;
    return ui;
}

} // namespace prenso
