#pragma once
// Re-entrance guards of the report controls: a flag of the control's state
// that stays set for the life of the guard, also when an error leaves.

#include "report/controls/RLTypes.h"

namespace prenso {

class StateGuard {
public:
    StateGuard(TRLControlState &state, TRLControlStateType flag) : m_state(state), m_flag(flag) { m_state.include(flag); }
    ~StateGuard() { m_state.exclude(m_flag); }
    StateGuard(const StateGuard &) = delete;
    StateGuard &operator=(const StateGuard &) = delete;

private:
    TRLControlState &m_state;
    TRLControlStateType m_flag;
};

} // namespace prenso
