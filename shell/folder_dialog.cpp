#include "folder_dialog.h"

#include "resource.h"
#include "win32/handle.h"

#include <shlobj.h>

FolderDialog::FolderDialog(const std::string& proposal)
    : Dialog(IDD_CHOOSE_FOLDER), folder(proposal)
{
}

bool FolderDialog::OnInitDialog(HWND, LPARAM)
{
    editBox = GetItem(IDC_FOLDER);
    SetWindowTextA(editBox.handle, folder.c_str());
    return true;
}

void FolderDialog::OnCommand(WORD id, WORD, LPARAM)
{
    switch (id) {
    case IDOK:
        folder = editBox.GetText();
        EndModal(IDOK);
        break;
    case IDCANCEL:
        EndModal(IDCANCEL);
        break;
    case IDC_BROWSE:
        Browse();
        break;
    }
}

void FolderDialog::Browse()
{
    BROWSEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.hwndOwner = handle;
    info.lpszTitle = "Select installation folder:\n(e.g. C:\\Program Files\\)";
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_NONEWFOLDERBUTTON;

    // The new dialog style needs COM on the calling thread, here the worker, apartment threaded.
    const HRESULT com = CoInitialize(nullptr);
    char path[MAX_PATH];
    bool found = false;
    {
        const ComMemory<ITEMIDLIST> chosen(SHBrowseForFolderA(&info));
        found = chosen && SHGetPathFromIDListA(chosen.Get(), path);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    if (!found)
        return;
    // Appended as it stands: the root of a drive already ends in a backslash and gets a second.
    const std::string text = std::string(path) + "\\Quillon";
    SetWindowTextA(editBox.handle, text.c_str());
}

bool AskInstallFolder(HWND owner, const std::string& proposal, std::string& folder)
{
    FolderDialog dialog(proposal);
    if (dialog.ShowModal(owner, 0, GetModuleHandleA(nullptr)) != IDOK)
        return false;
    folder = dialog.folder;
    return true;
}
