#pragma once
// Re-entrance guards of the report controls: a flag of the control's state
// that stays set for the life of the guard, also when an error leaves.

#include "report/controls/RLTypes.h"

namespace prenso {

class StateGuard {
public:
    StateGuard(TRLControlState &state, TRLControlStateType flag) : FState(state), FFlag(flag) { FState.include(flag); }
    ~StateGuard() { FState.exclude(FFlag); }
    StateGuard(const StateGuard &) = delete;
    StateGuard &operator=(const StateGuard &) = delete;

private:
    TRLControlState &FState;
    TRLControlStateType FFlag;
};

} // namespace prenso
