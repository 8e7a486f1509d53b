// The real shell (application object, progress dialog, folder dialog, resources) in
// shell_probe.exe, driven from outside the way a user would work it.
#include "child_process.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

const char* const PROGRESS_TEXT = "Please wait while installing the Quillon library...";
const char* const PROPOSAL = "C:\\Program Files\\Quillon";
const std::vector<std::string> PROGRESS_STATICS{PROGRESS_TEXT};

// One run of the probe with its own result file.
struct Probe {
    TempFolder temp;
    std::string result = temp / "result.txt";
    ChildProcess child;

    bool Start(const std::string& args)
    {
        return child.Start(QUILLON_PROBE_EXE, args, temp.Path());
    }
    std::string Result() const { return FileExists(result) ? ReadFileBytes(result) : "<none>"; }

    HWND WaitForProgress()
    {
        HWND window = child.WaitForWindow("Setup");
        EXPECT_NE(window, nullptr) << child.Error();
        if (window) {
            EXPECT_EQ(ChildProcess::StaticTexts(window), PROGRESS_STATICS);
        }
        return window;
    }

    // Waits for the closing message box, checks that it is the only one, owned by the progress
    // window, with only an OK button, then closes it; returns its text.
    std::string CloseMessage(HWND progress)
    {
        HWND box = child.WaitForMessageBox();
        if (!box) {
            ADD_FAILURE() << child.Error();
            return "<none>";
        }
        EXPECT_EQ(ChildProcess::Caption(box), "Setup");
        EXPECT_EQ(GetWindow(box, GW_OWNER), progress);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, IDOK)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDCANCEL)));
        EXPECT_TRUE(IsWindowVisible(progress));
        int boxes = 0;
        for (HWND window : child.VisibleWindows())
            boxes += ChildProcess::IsMessageBox(window);
        EXPECT_EQ(boxes, 1);
        const std::string text = child.ReadMessageBox(box);
        EXPECT_TRUE(child.CloseMessageBox(box));
        return text;
    }

    DWORD ExitCode()
    {
        DWORD code = 0xDEAD;
        EXPECT_TRUE(child.WaitForExit(code)) << child.Error();
        return code;
    }
};

TEST(ProgressDialog, OtherCommandsEscapeEnterAndTheCloseBoxLeaveItOpen)
{
    Probe probe;
    ASSERT_TRUE(probe.Start("idle " + probe.result)) << probe.child.Error();
    HWND progress = probe.WaitForProgress();
    ASSERT_NE(progress, nullptr);

    const WPARAM ignored[] = {IDOK, IDCANCEL, 0, 122, 127, 1000, 0xFFFF, MAKEWPARAM(7, 1)};
    for (WPARAM command : ignored)
        EXPECT_TRUE(ChildProcess::PostCommand(progress, command));
    EXPECT_TRUE(PostMessageA(progress, WM_KEYDOWN, VK_ESCAPE, 0x00010001));
    EXPECT_TRUE(PostMessageA(progress, WM_KEYDOWN, VK_RETURN, 0x001C0001));
    EXPECT_TRUE(PostMessageA(progress, WM_CLOSE, 0, 0));
    EXPECT_TRUE(PostMessageA(progress, WM_SYSCOMMAND, SC_CLOSE, 0));
    // Posted messages are handled in order: if any of the above had closed the window or shown
    // a box, this code would not give the one and only box.
    EXPECT_TRUE(ChildProcess::PostCommand(progress, 124));

    EXPECT_EQ(probe.CloseMessage(progress), "Quillon uninstalled");
    EXPECT_EQ(probe.ExitCode(), 0u);
}

TEST(ProgressDialog, TheProcessWaitsForTheWorkerToFinish)
{
    const std::string eventName = "QuillonProbeHold" + std::to_string(GetCurrentProcessId()) + "_" +
                                  std::to_string(GetTickCount());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(release, nullptr);

    Probe probe;
    ASSERT_TRUE(probe.Start("hold 123 " + eventName + " " + probe.result)) << probe.child.Error();
    HWND progress = probe.WaitForProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(probe.CloseMessage(progress), "Quillon installed successfully");

    // The window goes, but the process stays while the worker is still inside RunSetup.
    EXPECT_TRUE(probe.child.WaitForWindowGone(progress));
    Sleep(1000);
    EXPECT_TRUE(probe.child.Running());
    EXPECT_EQ(probe.Result(), "window\n");

    SetEvent(release);
    EXPECT_EQ(probe.ExitCode(), 0u);
    EXPECT_EQ(probe.Result(), "window\nreleased\n");
    CloseHandle(release);
}

TEST(ProgressDialog, WithoutAWorkerThreadTheRunEndsAsAborted)
{
    Probe probe;
    ASSERT_TRUE(probe.Start("nothread")) << probe.child.Error();
    HWND progress = probe.WaitForProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(probe.CloseMessage(progress), "Installation aborted");
    EXPECT_EQ(probe.ExitCode(), 0u);
}

std::string DesktopFolder()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
    return path;
}

// What the test does to the folder dialog, and what the worker then got back.
struct FolderCase {
    const char* name;
    std::vector<std::string> steps;
    std::string boxAfterSteps;   // the edit box once the steps are done
    std::string result;          // "<ShowModal result>|<folder>"
    const char* closing;
};

void PerformStep(Probe& probe, HWND dialog, const std::string& step)
{
    ChildProcess& child = probe.child;
    if (step.compare(0, 5, "type ") == 0) {
        EXPECT_TRUE(child.TypeFolder(dialog, step.substr(5)));
    } else if (step.compare(0, 6, "browse") == 0) {
        // "browse ok", "browse cancel", or "browse to PATH" (then OK)
        EXPECT_TRUE(ChildProcess::Press(dialog, 1001));
        HWND browser = child.WaitForWindow("Browse for Folder");
        ASSERT_NE(browser, nullptr) << child.Error();
        EXPECT_EQ(GetWindow(browser, GW_OWNER), dialog);
        if (step.compare(0, 10, "browse to ") == 0) {
            EXPECT_TRUE(child.SelectInBrowser(browser, step.substr(10)));
        }
        EXPECT_TRUE(ChildProcess::Press(browser, step == "browse cancel" ? IDCANCEL : IDOK));
        EXPECT_TRUE(child.WaitForWindowGone(browser)) << child.Error();
        // The dialog handles the browse inside one command; a read after it sees its effect.
        EXPECT_TRUE(IsWindowVisible(dialog));
    } else if (step == "escape") {
        EXPECT_TRUE(PostMessageA(GetDlgItem(dialog, 1000), WM_KEYDOWN, VK_ESCAPE, 0x00010001));
    } else if (step == "close box") {
        EXPECT_TRUE(PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
    } else {
        ADD_FAILURE() << "unknown step " << step;
    }
}

TEST(FolderDialog, ShowsTheProposalAndReturnsWhatTheUserLeftInTheBox)
{
    const std::string desktopQuillon = DesktopFolder() + "\\Quillon";
    ASSERT_GT(desktopQuillon.size(), std::string("\\Quillon").size());
    const std::string proposal = PROPOSAL;
    const FolderCase cases[] = {
        {"OK untouched", {}, proposal, "1|" + proposal, "Quillon installed successfully"},
        {"OK after clearing", {"type "}, "", "1|", "Quillon installed successfully"},
        {"OK with a typed folder", {"type D:\\Libraries\\Quillon\\"}, "D:\\Libraries\\Quillon\\",
         "1|D:\\Libraries\\Quillon\\", "Quillon installed successfully"},
        {"Cancel after editing", {"type E:\\Elsewhere"}, "E:\\Elsewhere", "2|" + proposal,
         "Installation aborted"},
        {"Escape after editing", {"type E:\\Elsewhere", "escape"}, "", "2|" + proposal,
         "Installation aborted"},
        {"close box", {"close box"}, "", "2|" + proposal, "Installation aborted"},
        {"Browse then cancel keeps the text", {"type F:\\Typed", "browse cancel"}, "F:\\Typed",
         "1|F:\\Typed", "Quillon installed successfully"},
        {"Browse then OK appends the library name", {"browse ok"}, desktopQuillon,
         "1|" + desktopQuillon, "Quillon installed successfully"},
        {"Browse to a folder", {"browse to C:\\Program Files"}, "C:\\Program Files\\Quillon",
         "1|C:\\Program Files\\Quillon", "Quillon installed successfully"},
        {"Browse to a drive root doubles the backslash", {"browse to C:\\"}, "C:\\\\Quillon",
         "1|C:\\\\Quillon", "Quillon installed successfully"},
        {"the last of several browses wins", {"browse to C:\\", "browse cancel", "browse ok"},
         desktopQuillon, "1|" + desktopQuillon, "Quillon installed successfully"},
        {"browsing alone changes nothing on Cancel", {"browse ok"}, desktopQuillon,
         "2|" + proposal, "Installation aborted"},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        Probe probe;
        ASSERT_TRUE(probe.Start("folder \"" + proposal + "\" " + probe.result))
            << probe.child.Error();
        HWND progress = probe.WaitForProgress();
        ASSERT_NE(progress, nullptr);
        HWND dialog = probe.child.WaitForWindow("Choose Folder");
        ASSERT_NE(dialog, nullptr) << probe.child.Error();
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), progress);
        EXPECT_EQ(probe.child.ReadFolderBox(dialog), proposal);

        bool closed = false;
        for (const std::string& step : c.steps) {
            PerformStep(probe, dialog, step);
            closed = closed || step == "escape" || step == "close box";
        }
        if (!closed) {
            EXPECT_EQ(probe.child.ReadFolderBox(dialog), c.boxAfterSteps);
            const bool ok = c.result[0] == '1';
            EXPECT_TRUE(ChildProcess::Press(dialog, ok ? IDOK : IDCANCEL));
        }
        EXPECT_EQ(probe.CloseMessage(progress), c.closing);
        EXPECT_EQ(probe.ExitCode(), 0u);
        EXPECT_EQ(probe.Result(), "window\n" + c.result + "\n");
    }
}

}  // namespace
