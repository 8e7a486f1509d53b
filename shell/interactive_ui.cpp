#include "interactive_ui.h"

#include "folder_dialog.h"
#include "run_setup.h"

namespace {

// A count as a posted message carries it: 16 bits.
WORD Clipped(unsigned long count)
{
    return static_cast<WORD>(count < 0xFFFF ? count : 0xFFFF);
}

}  // namespace

bool InteractiveUi::AskFolder(const std::string& proposal, std::string& folder)
{
    return AskInstallFolder(progressWindow_, proposal, folder);
}

void InteractiveUi::ShowProgress(unsigned thousandths)
{
    // Each move of the bar costs the window a repaint, which under Wine takes milliseconds: ten a
    // second are as smooth to the eye. A position held back is shown when the step changes, and
    // the end is always shown.
    const DWORD now = GetTickCount();
    if (thousandths < 1000 && shown_ && now - lastShown_ < 100) {
        heldBack_ = thousandths;
        return;
    }
    shown_ = true;
    lastShown_ = now;
    heldBack_ = 0;
    PostMessageA(progressWindow_, WM_SETUP_PROGRESS, thousandths, 0);
}

void InteractiveUi::ShowHeldBack()
{
    if (heldBack_) {
        PostMessageA(progressWindow_, WM_SETUP_PROGRESS, heldBack_, 0);
        heldBack_ = 0;
        lastShown_ = GetTickCount();
    }
}

bool InteractiveUi::Cancelled()
{
    return cancel_.Cancelled();
}

bool InteractiveUi::EndCancellable()
{
    return cancel_.Close();
}

void InteractiveUi::ShowStep(const char* text, bool cancellable)
{
    ShowHeldBack();
    PostMessageA(progressWindow_, WM_SETUP_STEP, cancellable ? 1 : 0, reinterpret_cast<LPARAM>(text));
}

void InteractiveUi::ShowRefusal(const std::string& reason)
{
    MessageBoxA(progressWindow_, reason.c_str(), "Setup", MB_ICONERROR);
}

void InteractiveUi::ShowEnd(const SetupOutcome& outcome)
{
    ShowHeldBack();
    cancel_.Finish();
    if (outcome.code == CMD_ABORTED)
        PostMessageA(progressWindow_, WM_COMMAND, CMD_ABORTED,
                     MAKELPARAM(Clipped(outcome.leftUntilRestart), Clipped(outcome.leftUntilUninstall)));
    else if (outcome.incomplete)
        PostMessageA(progressWindow_, WM_COMMAND,
                     MAKEWPARAM(outcome.code == CMD_INSTALLED ? CMD_INCOMPLETE : CMD_UNINSTALL_INCOMPLETE,
                                static_cast<WORD>(outcome.incomplete)),
                     static_cast<LPARAM>(outcome.filesNotCopied));
    else
        PostMessageA(progressWindow_, WM_COMMAND, outcome.code, 0);
}

void RunInteractive(HWND progressWindow, CancelSwitch& cancel, const SetupOptions& options,
                    LogFile& log)
{
    InteractiveUi ui(progressWindow, cancel, log);
    RunSetup(options, ui);
}
