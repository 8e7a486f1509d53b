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

    const ItemList chosen(SHBrowseForFolderA(&info));
    if (!chosen)
        return;
    char path[MAX_PATH];
    if (!SHGetPathFromIDListA(chosen.get(), path))
        return;
    // Appended as it stands: the root of a drive already ends in a backslash and gets a second.
    const std::string text = std::string(path) + "\\Quillon";
    SetWindowTextA(editBox.handle, text.c_str());
}
