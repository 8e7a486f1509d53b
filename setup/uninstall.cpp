#include "run_setup.h"

#include "commands.h"
#include "find_entries.h"
#include "folder_guard.h"
#include "help_registration.h"
#include "ide_layout.h"
#include "remove_tree.h"
#include "setup_ui.h"
#include "vc_directories.h"
#include "win32/code_page.h"
#include "win32/file_system.h"
#include "win32/reg_key.h"

#include <vector>

namespace {

// What the uninstall may do with the recorded folder: remove it and take it out of the
// directory lists, only take it out of the lists (it is gone, or no entry records an install
// there), or leave both alone.
enum FolderClaim { NOT_OURS, OURS, GONE, NOT_RECORDED };

std::string ProgramPath()
{
    char path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

std::string ProgramFolder()
{
    const std::string program = ProgramPath();
    const size_t slash = FindLastCharacter(program, '\\', IsAnsiLeadByte);
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

// The package a user starts setup.exe from holds the only copy of the library and of the
// program, whatever the entry says. Its "Quillon" folder alone would not tell: a library may
// hold a folder of that name, so the copy of setup.exe in it decides.
bool IsPackageOrWithin(const std::string& folder, const std::string& programFolder)
{
    const std::string library = programFolder + "\\Quillon";
    return Exists(library + "\\setup.exe") &&
           (IsSameOrBelow(programFolder, folder) || IsSameOrBelow(folder, library));
}

// "InstallDir" may have been edited since the install. It counts only as the text the install
// wrote (REG_SZ) naming the folder whose identity it recorded. An entry without the identity,
// from an earlier setup.exe, is believed for the folder its recorded command runs from and no
// other. Without any entry no folder is: the install records its entry before its first file,
// so a folder no entry names holds nothing of ours (the default folder may hold a person's own).
FolderClaim ClaimInstallFolder(const RegKey& entry, const std::string& folder)
{
    const std::string programFolder = ProgramFolder();
    const std::string path = NormalizeFolder(folder);
    if (IsPackageOrWithin(path, programFolder))
        return NOT_OURS;
    if (!entry.Get())
        return NOT_RECORDED;
    std::string data, recorded;
    DWORD type = REG_NONE;
    if (path.empty() || entry.ReadValue("InstallDir", data, &type) != ERROR_SUCCESS ||
        type != REG_SZ)
        return NOT_OURS;
    const FolderIdentity identity = IdentifyFolder(path);
    const LONG read = entry.ReadValue(INSTALL_DIR_ID, recorded, &type);
    if (read == ERROR_FILE_NOT_FOUND)
        return identity == IdentifyFolder(NormalizeFolder(programFolder)) ? OURS : NOT_OURS;
    if (read != ERROR_SUCCESS || type != REG_BINARY || recorded.size() != 12)
        return NOT_OURS;
    if (identity.valid)
        return RecordedIdentity(identity) == recorded ? OURS : NOT_OURS;
    return Exists(path) ? NOT_OURS : GONE;
}

const char* ClaimText(FolderClaim claim)
{
    return claim == OURS ? "the folder the install made"
         : claim == GONE ? "gone; only its directory list entries are taken out"
         : claim == NOT_RECORDED
             ? "no entry records an install; only its directory list entries are taken out"
             : "not the folder the install made; left as it is";
}

// Files that wait for the restart other than the running program and the folder it runs from,
// which the recorded command always leaves so.
bool LeavesLibraryForRestart(const FileEvents& removal)
{
    const std::string program = ProgramPath();
    const FolderIdentity programFolder = IdentifyFolder(NormalizeFolder(ProgramFolder()));
    for (const FileEvent& event : removal) {
        if (event.what != SCHEDULED_FOR_RESTART)
            continue;
        const FolderIdentity folder = IdentifyFolder(NormalizeFolder(event.path));
        if (folder.valid ? !(folder == programFolder)
                         : lstrcmpiA(event.path.c_str(), program.c_str()) != 0)
            return true;
    }
    return false;
}

}  // namespace

void RunUninstall(const std::string& recordedFolder, SetupUi& ui)
{
    RegKey entry;
    entry.Open(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, KEY_ALL_ACCESS);
    const FolderClaim claim = ClaimInstallFolder(entry, recordedFolder);
    std::string ideFolder;
    entry.ReadString("IDEDir", ideFolder);
    // An install stopped before its last step may have left an earlier folder in the lists.
    std::string earlier;
    entry.ReadString(INSTALL_UNFINISHED, earlier);
    entry.Close();

    ui.Note({"install folder: ", recordedFolder, " (", ClaimText(claim), ")"});

    ui.Step("Removing the help");
    FileEvents help;
    const bool helpRemoved = UnregisterHelp("Quillon", &help);
    ui.Note(help);
    ui.ShowProgress(200);
    ui.Step("Removing the directory list entries");
    FileEvents settings;
    bool listsUpdated = claim == NOT_OURS || RemoveVcDirectory(recordedFolder, &settings);
    if (claim != NOT_OURS && !earlier.empty() && earlier != recordedFolder)
        listsUpdated = RemoveVcDirectory(earlier, &settings) && listsUpdated;
    ui.Note(settings);
    ui.ShowProgress(400);

    // The wizard files are ours alone (only our names are taken), so a read-only copy from
    // read-only media goes too.
    ui.Step("Removing the wizard files");
    FileEvents removal;
    if (!ideFolder.empty()) {
        RemoveFolderTree(OurWizardFolder(ideFolder), ClearReadOnlyFiles, &removal);
        const std::string projects = WizardProjectsFolder(ideFolder) + "\\";
        std::vector<std::string> names;
        FindEntries((projects + OUR_WIZARD_PROJECT_FILES).c_str(), names, FilesOnly);
        for (const std::string& name : names)
            RemoveFile(projects + name, ClearReadOnlyFiles, &removal);
    }
    const bool wizardsRemoved = !AnyNotRemoved(removal);
    ui.ShowProgress(600);

    // The install folder is wholly ours (the install took only a new or empty one), so its
    // read-only files go too: the restart could not delete them.
    ui.Step("Removing the library files");
    if (claim == OURS)
        RemoveFolderTree(recordedFolder, ClearReadOnlyFiles, &removal);
    ui.Note(removal);
    ui.ShowProgress(900);

    SetupOutcome outcome;
    outcome.code = CMD_UNINSTALLED;
    outcome.incomplete = (helpRemoved ? 0 : INCOMPLETE_HELP) | (listsUpdated ? 0 : INCOMPLETE_LISTS) |
                         (claim == NOT_OURS ? INCOMPLETE_FOLDER : 0) |
                         (wizardsRemoved ? 0 : INCOMPLETE_WIZARD);
    outcome.restartNeeded = LeavesLibraryForRestart(removal);
    ui.Step("Removing the uninstall entry");
    if (outcome.incomplete) {
        // The entry stays, so that its command (or the package's setup.exe) can finish the work.
        ui.Note({"entry kept: ", UNINSTALL_KEY});
    } else {
        RegKey uninstallKeys;
        uninstallKeys.Open(HKEY_LOCAL_MACHINE, UNINSTALL_PARENT_KEY, KEY_ALL_ACCESS);
        const LONG deleted = RegDeleteKeyA(uninstallKeys.Get(), "Quillon");
        if (deleted == ERROR_SUCCESS)
            RegFlushKey(uninstallKeys.Get());
        ui.Note({deleted == ERROR_SUCCESS ? "entry removed: " : "entry not removed: ", UNINSTALL_KEY});
    }
    ui.ShowProgress(1000);
    ui.Finish(outcome);
}
