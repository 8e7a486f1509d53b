#include "folder_dialog.h"

#include "resource.h"

#include <shlobj.h>

#include <memory>

namespace {

struct ItemListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
typedef std::unique_ptr<ITEMIDLIST, ItemListFree> ItemList;

}  // namespace

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
        const ItemList chosen(SHBrowseForFolderA(&info));
        found = chosen && SHGetPathFromIDListA(chosen.get(), path);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    if (!found)
        return;
    // Appended as it stands: the root of a drive already ends in a backslash and gets a second.
    const std::string text = std::string(path) + "\\Quillon";
    SetWindowTextA(editBox.handle, text.c_str());
}
