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
    if (threadHandle)
        return;
    DWORD threadId = 0;
    threadHandle = CreateThread(nullptr, 0, ThreadStart, this, 0, &threadId);
}

void Thread::Wait()
{
    if (!threadHandle)
        return;
    WaitForSingleObject(threadHandle, INFINITE);
    CloseHandle(threadHandle);
    threadHandle = nullptr;
}
