#include "thread.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

namespace {

// Counts its runs into counters owned by the test, so they can be read after the object went.
class GatedThread : public Thread {
public:
    GatedThread(volatile LONG& runs, volatile LONG& finished, DWORD finishDelayMs = 0)
        : gate(CreateEventA(nullptr, TRUE, FALSE, nullptr)), runs(runs), finished(finished),
          finishDelayMs(finishDelayMs)
    {
    }
    ~GatedThread() override
    {
        SetEvent(gate);
        Wait();
        CloseHandle(gate);
    }

    void Run() override
    {
        InterlockedIncrement(&runs);
        WaitForSingleObject(gate, INFINITE);
        Sleep(finishDelayMs);
        InterlockedIncrement(&finished);
    }

    HANDLE gate;
    volatile LONG& runs;
    volatile LONG& finished;
    DWORD finishDelayMs;
};

int ThreadsOfThisProcess()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

TEST(Thread, StartTwiceMakesOneThread)
{
    volatile LONG runs = 0, finished = 0;
    GatedThread thread(runs, finished);
    EXPECT_EQ(thread.Handle(), nullptr);
    const int before = ThreadsOfThisProcess();
    thread.Start();
    HANDLE first = thread.Handle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ThreadsOfThisProcess(), before + 1);
    thread.Start();
    EXPECT_EQ(thread.Handle(), first);
    EXPECT_EQ(ThreadsOfThisProcess(), before + 1);

    SetEvent(thread.gate);
    ASSERT_EQ(WaitForSingleObject(first, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(runs, 1);
    // ThreadStart's result is the thread's exit code.
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(GetExitCodeThread(first, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST(Thread, DestructionWaitsUntilTheBodyHasFinished)
{
    volatile LONG runs = 0, finished = 0;
    GatedThread* thread = new GatedThread(runs, finished, 300);
    thread->Start();
    SetEvent(thread->gate);
    EXPECT_EQ(finished, 0);
    delete thread;
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(runs, 1);
}

TEST(Thread, ANeverStartedThreadIsDestroyedWithoutWaiting)
{
    volatile LONG runs = 0, finished = 0;
    GatedThread* thread = new GatedThread(runs, finished);
    delete thread;
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(finished, 0);
}

}  // namespace
