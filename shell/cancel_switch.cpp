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
    if (state_ == ASKING)
        WaitForSingleObject(answered_.Get(), INFINITE);
    return state_ == CANCELLED;
}
