// The real shell (application object, progress dialog, resources) in shell_probe.exe, around the
// workers that setup.exe cannot be made to have: one that goes on after its closing code, and
// one that cannot start.
#include "child_process.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Waits for the progress window and closes the message box over it; returns the box's text
// once the window has gone with it.
std::string CloseMessage(ChildProcess& child)
{
    HWND progress = child.WaitForWindow("Setup");
    HWND box = progress ? child.WaitForMessageBox() : nullptr;
    if (!box) {
        ADD_FAILURE() << child.Error();
        return "<none>";
    }
    EXPECT_EQ(GetWindow(box, GW_OWNER), progress);
    const std::string text = ChildProcess::ReadItem(box, ChildProcess::MESSAGE_TEXT);
    EXPECT_TRUE(ChildProcess::Press(box, IDOK));
    EXPECT_TRUE(child.WaitForWindowGone(progress)) << child.Error();
    return text;
}

TEST(ProgressDialog, TheProcessWaitsForTheWorkerToFinish)
{
    const std::string eventName = "QuillonProbeHold" + std::to_string(GetCurrentProcessId()) + "_" +
                                  std::to_string(GetTickCount());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(release, nullptr);
    TempFolder temp;
    const std::string result = temp / "result.txt";
    ChildProcess child;
    ASSERT_TRUE(child.Start(QUILLON_PROBE_EXE, "hold " + eventName + " " + result, temp.Path()))
        << child.Error();
    EXPECT_EQ(CloseMessage(child), "Quillon installed successfully");

    // The window has gone, but the process stays while the worker is still inside RunSetup.
    Sleep(1000);
    EXPECT_TRUE(child.Running());
    EXPECT_EQ(ReadFileBytes(result), "window\n");
    SetEvent(release);
    DWORD code = 0xDEAD;
    EXPECT_TRUE(child.WaitForExit(code)) << child.Error();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadFileBytes(result), "window\nreleased\n");
    CloseHandle(release);
}

TEST(ProgressDialog, WithoutAWorkerThreadTheRunEndsAsAborted)
{
    ChildProcess child;
    ASSERT_TRUE(child.Start(QUILLON_PROBE_EXE, "nothread", "")) << child.Error();
    EXPECT_EQ(CloseMessage(child), "Installation aborted");
    DWORD code = 0xDEAD;
    EXPECT_TRUE(child.WaitForExit(code)) << child.Error();
    EXPECT_EQ(code, 0u);
}

}  // namespace
