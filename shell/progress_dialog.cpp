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
    if (!Handle() && handle) {
        cancelSwitch_.Finish();
        PostMessageA(handle, WM_COMMAND, CMD_ABORTED, 0);
    }
}

ProgressDialog::~ProgressDialog()
{
    Wait();
}

void ProgressDialog::Run()
{
    RunInteractive(handle, cancelSwitch_, options_, log_);
}

namespace {

// Sent to the window itself once the dialog manager has laid it out for a new DPI.
const UINT WM_SETUP_RELAYOUT = WM_APP + 3;
// WM_DPICHANGED, which Windows 8.1 and later send; the program is built for older ones too.
const UINT WM_DPI_CHANGED = 0x02E0;

// The controls below the template's own, in dialog units, as the template places its own.
const struct {
    int id;
    RECT place;
} kAddedControls[] = {{IDC_STEP, {16, 36, 206, 44}}, {IDC_PROGRESS, {8, 56, 212, 66}},
                      {IDCANCEL, {162, 71, 212, 85}}};

HWND AddControl(HWND dialog, const char* className, const char* text, DWORD style, int id)
{
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

void ProgressDialog::PlaceAddedControls()
{
    const WPARAM font = SendMessageA(handle, WM_GETFONT, 0, 0);
    for (const auto& added : kAddedControls) {
        RECT place = added.place;
        MapDialogRect(handle, &place);
        HWND control = GetDlgItem(handle, added.id);
        SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(control, WM_SETFONT, font, TRUE);
    }
}

bool ProgressDialog::OnInitDialog(HWND, LPARAM)
{
    // The template is 57 units high; the bar and the button take 32 more, and the window stays
    // centred.
    RECT grow = {0, 0, 0, 32};
    MapDialogRect(handle, &grow);
    RECT frame;
    GetWindowRect(handle, &frame);
    SetWindowPos(handle, nullptr, frame.left, frame.top - grow.bottom / 2, frame.right - frame.left,
                 frame.bottom - frame.top + grow.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    step_ = AddControl(handle, "STATIC", "", SS_CENTER | SS_NOPREFIX, IDC_STEP);
    bar_ = AddControl(handle, PROGRESS_CLASSA, "", 0, IDC_PROGRESS);
    SendMessageA(bar_, PBM_SETRANGE32, 0, 1000);
    cancel_ = AddControl(handle, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                         IDCANCEL);
    PlaceAddedControls();
    return true;
}

LRESULT ProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETUP_STEP) {
        SetWindowTextA(step_, reinterpret_cast<const char*>(lParam));
        EnableWindow(cancel_, wParam != 0);
    } else if (message == WM_SETUP_PROGRESS) {
        SendMessageA(bar_, PBM_SETPOS, wParam, 0);
    } else if (message == WM_DPI_CHANGED) {
        // The dialog manager scales the window, the template's controls and the font after this;
        // the controls made here are placed again once it has.
        PostMessageA(handle, WM_SETUP_RELAYOUT, 0, 0);
    } else if (message == WM_SETUP_RELAYOUT) {
        PlaceAddedControls();
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

void ProgressDialog::AskToCancel()
{
    // The copy may have ended just before it could wait: then the run goes on to its end, whose
    // completion code may destroy the window, and this object with it, while the question is
    // open. So only the saved handles are used afterwards, and only if the window still exists.
    HWND window = handle;
    HWND cancel = cancel_;
    CancelSwitch& cancelSwitch = cancelSwitch_;
    // The copy may have ended since the button was enabled: then nothing is asked, and the next
    // step disables the button.
    if (!cancelSwitch.Asking())
        return;
    const bool yes = MessageBoxA(window, "Cancel the installation of Quillon?", "Setup",
                                 MB_YESNO | MB_ICONQUESTION) == IDYES;
    if (!IsWindow(window))
        return;
    cancelSwitch.Answered(yes);
    if (yes)
        EnableWindow(cancel, FALSE);
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
    } else if (id == CMD_ABORTED) {
        outcome.leftUntilRestart = LOWORD(lParam);
        outcome.leftUntilUninstall = HIWORD(lParam);
    }
    return outcome;
}

}  // namespace

void ProgressDialog::OnCommand(WORD id, WORD code, LPARAM lParam)
{
    // The close box and Escape come as IDCANCEL too, and do what the button does while it is
    // enabled; nothing otherwise.
    if (id == IDCANCEL && IsWindowEnabled(cancel_)) {
        AskToCancel();
        return;
    }
    if ((id < CMD_INSTALLED || id > CMD_INCOMPLETE) && id != CMD_UNINSTALL_INCOMPLETE)
        return;
    // A completion code that another program posts would destroy the window while the worker
    // runs, or waits for the answer to a question the window owns: only the worker's own counts.
    if (!cancelSwitch_.Finished())
        return;
    const std::string text = OutcomeText(PostedOutcome(id, code, lParam));
    const UINT icon = id == CMD_INCOMPLETE || id == CMD_UNINSTALL_INCOMPLETE ||
                              (id == CMD_ABORTED && lParam)
                          ? MB_ICONWARNING
                          : MB_ICONINFORMATION;
    // The object may be gone once the message box returns (its window destroyed meanwhile by a
    // second code), so only the saved window handle is used afterwards.
    HWND window = handle;
    MessageBoxA(window, text.c_str(), "Setup", MB_OK | icon);
    DestroyWindow(window);
}
