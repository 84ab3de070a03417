#include "report/RLUserInterface.h"

#include "platform/system/session.h"

namespace prenso {

TRLProgress::~TRLProgress() = default;
TRLPreviewTarget::~TRLPreviewTarget() = default;

TRLUserInterface &RLUserInterface()
{
    return Session::current().part<TRLUserInterface>();
}

} // namespace prenso
