#include "progress_dialog.h"

#include "commands.h"
#include "resource.h"
#include "run_setup.h"

#include <commctrl.h>

ProgressDialog::ProgressDialog()
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
    RunSetup(handle);
}

void ProgressDialog::OnDestroy()
{
    PostQuitMessage(0);
}

namespace {

// A line per failed step: files and the entry belong to installs, the folder to uninstalls.
std::string IncompleteText(WORD id, WORD steps, LPARAM filesNotCopied)
{
    const bool install = id == CMD_INCOMPLETE;
    std::string text = install ? "The Quillon installation is incomplete:"
                               : "The Quillon uninstall is incomplete:";
    if (steps & INCOMPLETE_FILES)
        text += "\n" + std::to_string(static_cast<unsigned long>(filesNotCopied)) +
                " library files not copied";
    if (steps & INCOMPLETE_HELP)
        text += install ? "\nhelp not registered" : "\nhelp not unregistered";
    if (steps & INCOMPLETE_LISTS)
        text += "\ndirectory lists not updated";
    if (steps & INCOMPLETE_ENTRY)
        text += "\nuninstall entry not written";
    if (steps & INCOMPLETE_FOLDER)
        text += "\ninstall folder not removed: it is not the folder the install made";
    return text;
}

}  // namespace

void ProgressDialog::OnCommand(WORD id, WORD code, LPARAM lParam)
{
    std::string text;
    UINT icon = MB_ICONINFORMATION;
    switch (id) {
    case CMD_INSTALLED:
        text = "Quillon installed successfully";
        break;
    case CMD_UNINSTALLED:
        text = "Quillon uninstalled";
        break;
    case CMD_ABORTED:
        text = "Installation aborted";
        break;
    case CMD_INCOMPLETE:
    case CMD_UNINSTALL_INCOMPLETE:
        text = IncompleteText(id, code, lParam);
        icon = MB_ICONWARNING;
        break;
    default:
        return;
    }
    // The object may be gone once the message box returns (its window destroyed meanwhile by a
    // second code), so only the saved window handle is used afterwards.
    HWND window = handle;
    MessageBoxA(window, text.c_str(), "Setup", MB_OK | icon);
    DestroyWindow(window);
}
