#include "progress_dialog.h"

#include "interactive_ui.h"
#include "resource.h"

#include <commctrl.h>

ProgressDialog::ProgressDialog(const SetupOptions& options, LogFile& log)
    : options_(options), log_(log)
{
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    // WM_INITDIALOG runs inside this call, so the handle is stored before the worker exists.
    ShowModeless(IDD_PROGRESS, nullptr, 0, GetModuleHandleA(nullptr));
    Start();

    // Without a worker no completion code would ever come and nothing could end the program.
    if (!Handle() && handle)
        PostMessageA(handle, WM_COMMAND, CMD_ABORTED, 0);
}

ProgressDialog::~ProgressDialog()
{
    Wait();
}

void ProgressDialog::Run()
{
    RunInteractive(handle, options_, log_);
}

void ProgressDialog::OnDestroy()
{
    PostQuitMessage(0);
}

namespace {

// The outcome that a posted completion code carries: the incomplete codes hold their
// IncompleteStep flags in the notification code, an install's also the files not copied.
SetupOutcome PostedOutcome(WORD id, WORD code, LPARAM lParam)
{
    SetupOutcome outcome;
    outcome.code = id == CMD_INCOMPLETE             ? CMD_INSTALLED
                   : id == CMD_UNINSTALL_INCOMPLETE ? CMD_UNINSTALLED
                                                    : static_cast<CompletionCode>(id);
    if (id == CMD_INCOMPLETE || id == CMD_UNINSTALL_INCOMPLETE) {
        outcome.incomplete = code;
        outcome.filesNotCopied = static_cast<unsigned long>(lParam);
    }
    return outcome;
}

}  // namespace

void ProgressDialog::OnCommand(WORD id, WORD code, LPARAM lParam)
{
    if ((id < CMD_INSTALLED || id > CMD_INCOMPLETE) && id != CMD_UNINSTALL_INCOMPLETE)
        return;
    const std::string text = OutcomeText(PostedOutcome(id, code, lParam));
    const UINT icon =
        id == CMD_INCOMPLETE || id == CMD_UNINSTALL_INCOMPLETE ? MB_ICONWARNING : MB_ICONINFORMATION;
    // The object may be gone once the message box returns (its window destroyed meanwhile by a
    // second code), so only the saved window handle is used afterwards.
    HWND window = handle;
    MessageBoxA(window, text.c_str(), "Setup", MB_OK | icon);
    DestroyWindow(window);
}
