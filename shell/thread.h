#pragma once
// Owner of one worker thread.

#include <windows.h>

class Thread {
public:
    Thread() = default;
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    virtual void Run() = 0;

    // Creates the thread, once; a second call while a thread is held does nothing.
    void Start();

    HANDLE threadHandle = nullptr;

protected:
    // Waits for the thread to leave Run, then closes its handle. A derived class calls it from
    // its own destructor: by the time ~Thread runs, Run no longer dispatches to the derived body,
    // and a thread that had not yet entered it would call a pure function.
    void Wait();
};

DWORD WINAPI ThreadStart(LPVOID thread);
