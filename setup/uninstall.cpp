#include "run_setup.h"

#include "../help/help_registration.h"
#include "../shell/commands.h"
#include "../vcdirs/vc_directories.h"
#include "find_entries.h"
#include "reg_key.h"
#include "remove_tree.h"

#include <vector>

void RunUninstall(const std::string& recordedFolder, HWND progressWindow)
{
    UnregisterHelp("Quillon");

    // An empty recorded folder names nothing of ours: removing it would empty the current
    // directory, so both steps that use it are skipped.
    if (!recordedFolder.empty())
        RemoveVcDirectory(recordedFolder);

    std::string ideFolder;
    {
        RegKey entry;
        entry.Open(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, KEY_ALL_ACCESS);
        entry.ReadString("IDEDir", ideFolder);
    }
    if (!ideFolder.empty()) {
        RemoveFolderTree(ideFolder + "..\\..\\vc7\\VCWizards\\QuillonWiz");
        const std::string projects = ideFolder + "..\\..\\vc7\\vcprojects\\";
        std::vector<std::string> names;
        FindEntries((projects + "QuillonWiz.*").c_str(), names, FilesOnly);
        for (const std::string& name : names)
            DeleteFileA((projects + name).c_str());
    }

    // The install folder is wholly ours (the install took only a new or empty one), so its
    // read-only files go too: the restart could not delete them.
    if (!recordedFolder.empty())
        RemoveFolderTree(recordedFolder, ClearReadOnlyFiles);

    RegKey uninstallKeys;
    uninstallKeys.Open(HKEY_LOCAL_MACHINE, UNINSTALL_PARENT_KEY, KEY_ALL_ACCESS);
    RegDeleteKeyA(uninstallKeys.Get(), "Quillon");

    PostMessageA(progressWindow, WM_COMMAND, CMD_UNINSTALLED, 0);
}
