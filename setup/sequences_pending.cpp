// The install and uninstall sequences are not built yet. Until they are, neither may claim
// work it has not done: both end the run as aborted.
#include "run_setup.h"

#include "../shell/commands.h"

void RunInstall(const std::string&, HWND progressWindow)
{
    PostMessageA(progressWindow, WM_COMMAND, CMD_ABORTED, 0);
}

void RunUninstall(const std::string&, HWND progressWindow)
{
    PostMessageA(progressWindow, WM_COMMAND, CMD_ABORTED, 0);
}
