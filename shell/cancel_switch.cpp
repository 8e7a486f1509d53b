#include "cancel_switch.h"

void CancelSwitch::Asking()
{
    ResetEvent(answered_.Get());
    state_ = ASKING;
}

void CancelSwitch::Answered(bool yes)
{
    state_ = yes ? CANCELLED : RUNNING;
    SetEvent(answered_.Get());
}

bool CancelSwitch::Cancelled() const
{
    // The worker owned the folder dialog and so has a message queue that other threads may send
    // to; it answers while it waits, so that no sender ever waits on it.
    HANDLE answered = answered_.Get();
    while (state_ == ASKING &&
           MsgWaitForMultipleObjects(1, &answered, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    return state_ == CANCELLED;
}
