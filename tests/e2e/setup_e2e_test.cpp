// setup.exe itself, started from a folder of its own. Only what holds whatever the sequences do
// is asserted: the progress window, one closing message box captioned "Setup", exit code 0. An
// install that asks for the folder is cancelled, which ends it as aborted.
#include "child_process.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SetupExe, ShowsTheProgressWindowThenEndsWithAClosingMessageAndExitCodeZero)
{
    TempFolder temp;
    const std::string exe = temp / "setup.exe";
    ASSERT_TRUE(CopyFileA(QUILLON_SETUP_EXE, exe.c_str(), FALSE));

    ChildProcess child;
    ASSERT_TRUE(child.Start(exe, "", temp.Path())) << child.Error();
    HWND progress = child.WaitForWindow("Setup");
    ASSERT_NE(progress, nullptr) << child.Error();
    EXPECT_EQ(ChildProcess::StaticTexts(progress),
              std::vector<std::string>{"Please wait while installing the Quillon library..."});
    EXPECT_EQ(GetWindow(progress, GW_OWNER), nullptr);

    HWND next = child.WaitFor(
        [](HWND window) {
            return ChildProcess::IsMessageBox(window) ||
                   ChildProcess::Caption(window) == "Choose Folder";
        },
        "a message box or the folder dialog");
    ASSERT_NE(next, nullptr) << child.Error();
    if (!ChildProcess::IsMessageBox(next)) {
        EXPECT_TRUE(ChildProcess::Press(next, IDCANCEL));
        next = child.WaitForMessageBox();
        ASSERT_NE(next, nullptr) << child.Error();
    }
    EXPECT_EQ(ChildProcess::Caption(next), "Setup");
    EXPECT_EQ(GetWindow(next, GW_OWNER), progress);
    EXPECT_EQ(child.ReadMessageBox(next), "Installation aborted");
    EXPECT_TRUE(child.CloseMessageBox(next));

    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(child.WaitForExit(exitCode)) << child.Error();
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
