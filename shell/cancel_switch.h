#pragma once

#include "win32/handle.h"

#include <windows.h>

#include <atomic>

// A person's Cancel, between the progress window (main thread) and the worker. While the
// question is open the copy waits before its next file, so that No goes on where it was and Yes
// stops it there. The main thread never waits for the worker: the worker cannot end (and post
// its completion code) while it waits here, and it answers the messages sent to it meanwhile.
// The switch also tells the window which completion code is the worker's own.
class CancelSwitch {
public:
    CancelSwitch() : answered_(CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}

    // On the main thread, before the question shows: false when the cancellable step has ended
    // already, and nothing may be asked any more.
    bool Asking();
    void Answered(bool yes);
    // On the worker: whether Yes was answered, waiting while the question is open.
    bool Cancelled() const;
    // On the worker, when the cancellable step ends: whether Yes was answered before (waiting
    // for an open question's answer); from then on Asking refuses.
    bool Close();

    // The worker's completion code is on its way; any other is a stranger's.
    void Finish() { finished_ = true; }
    bool Finished() const { return finished_; }

private:
    enum State { RUNNING, ASKING, CANCELLED, CLOSED };
    std::atomic<int> state_{RUNNING};
    std::atomic<bool> finished_{false};
    KernelObject answered_;  // manual reset; not signalled while the question is open
};
