#include "cancel_switch.h"

bool CancelSwitch::Asking()
{
    ResetEvent(answered_.Get());
    int running = RUNNING;
    if (state_.compare_exchange_strong(running, ASKING))
        return true;
    SetEvent(answered_.Get());
    return false;
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

bool CancelSwitch::Close()
{
    // A question may open between the look and the close: then the close waits for its answer.
    for (;;) {
        if (Cancelled())
            return true;
        int running = RUNNING;
        if (state_.compare_exchange_strong(running, CLOSED) || running == CLOSED)
            return false;
    }
}
