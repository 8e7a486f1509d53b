#include "run_setup.h"

#include "commands.h"
#include "find_entries.h"
#include "help_registration.h"
#include "ide_layout.h"
#include "remove_tree.h"
#include "setup_ui.h"
#include "vc_directories.h"
#include "win32/reg_key.h"

#include <vector>

void RunUninstall(const std::string& recordedFolder, SetupUi& ui)
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
        RemoveFolderTree(OurWizardFolder(ideFolder));
        const std::string projects = WizardProjectsFolder(ideFolder) + "\\";
        std::vector<std::string> names;
        FindEntries((projects + OUR_WIZARD_PROJECT_FILES).c_str(), names, FilesOnly);
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

    SetupOutcome outcome;
    outcome.code = CMD_UNINSTALLED;
    ui.Finish(outcome);
}
