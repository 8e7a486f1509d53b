#include "interactive_ui.h"

#include "folder_dialog.h"
#include "run_setup.h"

bool InteractiveUi::AskFolder(const std::string& proposal, std::string& folder)
{
    return AskInstallFolder(progressWindow_, proposal, folder);
}

void InteractiveUi::ShowProgress(unsigned thousandths)
{
    // Each move of the bar costs the window a repaint, which under Wine takes milliseconds: ten a
    // second are as smooth to the eye, and the end is always shown.
    const DWORD now = GetTickCount();
    if (thousandths < 1000 && shown_ && now - lastShown_ < 100)
        return;
    shown_ = true;
    lastShown_ = now;
    PostMessageA(progressWindow_, WM_SETUP_PROGRESS, thousandths, 0);
}

bool InteractiveUi::Cancelled()
{
    return cancel_.Cancelled();
}

void InteractiveUi::ShowStep(const char* text, bool cancellable)
{
    PostMessageA(progressWindow_, WM_SETUP_STEP, cancellable ? 1 : 0, reinterpret_cast<LPARAM>(text));
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

void RunInteractive(HWND progressWindow, const CancelSwitch& cancel, const SetupOptions& options,
                    LogFile& log)
{
    InteractiveUi ui(progressWindow, cancel, log);
    RunSetup(options, ui);
}
