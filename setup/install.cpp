#include "run_setup.h"

#include "../help/help_registration.h"
#include "../shell/commands.h"
#include "../shell/folder_dialog.h"
#include "../vcdirs/vc_directories.h"
#include "copy_tree.h"
#include "find_entries.h"
#include "folder_guard.h"
#include "reg_key.h"

#include <vector>

namespace {

const char* const VISUAL_STUDIO_KEY = "SOFTWARE\\Microsoft\\VisualStudio";

// "Already exists" is also the answer for a file of that name, which is no folder to install in.
bool IsExistingFolder(const std::string& path)
{
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Asks until a folder exists; false when the user gave up.
bool ChooseInstallFolder(const std::string& recordedFolder, HWND progressWindow,
                         std::string& installFolder)
{
    for (;;) {
        FolderDialog dialog(recordedFolder);
        if (dialog.ShowModal(progressWindow, 0, GetModuleHandleA(nullptr)) != IDOK)
            return false;
        installFolder = dialog.folder;
        // The uninstall removes this folder with everything in it, so a drive root, a system
        // folder or a relative path is refused here like a folder that cannot be created.
        if (IsOwnableFolder(installFolder) &&
            (CreateDirectoryA(installFolder.c_str(), nullptr) || IsExistingFolder(installFolder)))
            return true;
        MessageBoxA(progressWindow, "Error: cannot create install folder", "Setup", MB_ICONERROR);
    }
}

// Copies the wizard into the first version, highest first, that has both wizard folders.
// Returns the "InstallDir" the search leaves: the taken version's, else the last one read.
std::string InstallWizard(const RegKey& visualStudio)
{
    std::string ideFolder;
    std::vector<std::string> versions;
    if (visualStudio.Get())
        visualStudio.EnumSubKeys(versions);
    for (const std::string& version : versions) {
        RegKey versionKey;
        const LONG opened = versionKey.Open(
            HKEY_LOCAL_MACHINE, (std::string(VISUAL_STUDIO_KEY) + "\\" + version).c_str(), KEY_READ);
        bool qualifies = false;
        if (opened == ERROR_SUCCESS)
            qualifies = versionKey.ReadString("InstallDir", ideFolder) == ERROR_SUCCESS;
        // "InstallDir" ends in a backslash, so no separator goes in between.
        const std::string projects = ideFolder + "..\\..\\vc7\\vcprojects";
        const std::string wizards = ideFolder + "..\\..\\vc7\\VCWizards";
        if (qualifies && PathExists(projects) && PathExists(wizards)) {
            CopyFolderTree("AppWizard\\vcprojects", projects);
            CopyFolderTree("AppWizard\\VCWizards", wizards);
            break;
        }
    }
    return ideFolder;
}

void SetText(const RegKey& key, const char* name, const std::string& text)
{
    RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

}  // namespace

void RunInstall(const std::string& recordedFolder, HWND progressWindow)
{
    std::string installFolder;
    if (!ChooseInstallFolder(recordedFolder, progressWindow, installFolder)) {
        PostMessageA(progressWindow, WM_COMMAND, CMD_ABORTED, 0);
        return;
    }

    CopyFolderTree("Quillon", installFolder);

    RegKey visualStudio;
    visualStudio.Open(HKEY_LOCAL_MACHINE, VISUAL_STUDIO_KEY, KEY_READ);
    const std::string ideFolder = InstallWizard(visualStudio);

    UnregisterHelp("Quillon");
    RegisterHelp(installFolder + "\\Help", "Quillon", "Quillon", "Quillon library help");

    RemoveVcDirectory(recordedFolder);
    AddVcDirectory("Include Dirs", installFolder);
    AddVcDirectory("Library Dirs", installFolder);

    RegKey entry;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, const_cast<char*>(""),
                    REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, entry.Slot(), nullptr);
    SetText(entry, "DisplayName", "Quillon library");
    SetText(entry, "UninstallString", "\"" + installFolder + "\\setup.exe\" /uninstall");
    SetText(entry, "InstallDir", installFolder);
    SetText(entry, "IDEDir", ideFolder);

    PostMessageA(progressWindow, WM_COMMAND, CMD_INSTALLED, 0);
}
