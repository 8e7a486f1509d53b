#include "interactive_ui.h"

#include "folder_dialog.h"
#include "run_setup.h"

bool InteractiveUi::AskFolder(const std::string& proposal, std::string& folder)
{
    return AskInstallFolder(progressWindow_, proposal, folder);
}

void InteractiveUi::ShowRefusal(const std::string& reason)
{
    MessageBoxA(progressWindow_, reason.c_str(), "Setup", MB_ICONERROR);
}

void InteractiveUi::ShowEnd(const SetupOutcome& outcome)
{
    if (outcome.incomplete)
        PostMessageA(progressWindow_, WM_COMMAND,
                     MAKEWPARAM(outcome.code == CMD_INSTALLED ? CMD_INCOMPLETE : CMD_UNINSTALL_INCOMPLETE,
                                static_cast<WORD>(outcome.incomplete)),
                     static_cast<LPARAM>(outcome.filesNotCopied));
    else
        PostMessageA(progressWindow_, WM_COMMAND, outcome.code, 0);
}

void RunInteractive(HWND progressWindow, const SetupOptions& options, LogFile& log)
{
    InteractiveUi ui(progressWindow, log);
    RunSetup(options, ui);
}
