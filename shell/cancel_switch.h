#pragma once

#include "win32/handle.h"

#include <windows.h>

#include <atomic>

// A person's Cancel, between the progress window (main thread) and the worker. While the
// question is open the copy waits before its next file, so that No goes on where it was and Yes
// stops it there. The main thread never waits for the worker: the worker cannot end (and post
// its completion code) while it waits here, and it answers the messages sent to it meanwhile.
class CancelSwitch {
public:
    CancelSwitch() : answered_(CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}

    void Asking();
    void Answered(bool yes);
    // On the worker: whether Yes was answered, waiting while the question is open.
    bool Cancelled() const;

private:
    enum State { RUNNING, ASKING, CANCELLED };
    std::atomic<int> state_{RUNNING};
    KernelObject answered_;  // manual reset; not signalled while the question is open
};
