#include "thread.h"

DWORD WINAPI ThreadStart(LPVOID thread)
{
    static_cast<Thread*>(thread)->Run();
    return 0;
}

Thread::~Thread()
{
    Wait();
}

void Thread::Start()
{
    if (thread_)
        return;
    DWORD threadId = 0;
    *thread_.Slot() = CreateThread(nullptr, 0, ThreadStart, this, 0, &threadId);
}

void Thread::Wait()
{
    if (!thread_)
        return;
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Close();
}
