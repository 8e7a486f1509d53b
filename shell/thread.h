#pragma once
// Owner of one worker thread.

#include "win32/handle.h"

class Thread {
public:
    Thread() = default;
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    virtual void Run() = 0;

    // Creates the thread, once; a second call while a thread is held does nothing.
    void Start();
    // The running (or finished, not yet waited for) thread; null when none could be created.
    HANDLE Handle() const { return thread_.Get(); }

protected:
    // Waits for the thread to leave Run, then closes its handle. A derived class calls it from
    // its own destructor: by the time ~Thread runs, Run no longer dispatches to the derived body,
    // and a thread that had not yet entered it would call a pure function.
    void Wait();

private:
    KernelObject thread_;
};

DWORD WINAPI ThreadStart(LPVOID thread);
