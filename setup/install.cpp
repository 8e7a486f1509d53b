#include "run_setup.h"

#include "commands.h"
#include "copy_tree.h"
#include "find_entries.h"
#include "folder_guard.h"
#include "help_registration.h"
#include "ide_layout.h"
#include "remove_tree.h"
#include "setup_ui.h"
#include "vc_directories.h"
#include "win32/file_system.h"
#include "win32/reg_key.h"

#include <vector>

namespace {

const char* const kCannotCreate = "Error: cannot create install folder";
const char* const kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";

// "Already exists" is also the answer for a file of that name, which is no folder to install in.
bool IsExistingFolder(const std::string& path)
{
    return GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path);
}

bool HoldsEntries(const std::string& folder)
{
    std::vector<std::string> names;
    FindEntries((folder + "\\*.*").c_str(), names, AnyEntry);
    for (const std::string& name : names)
        if (name != "." && name != "..")
            return true;
    return false;
}

std::string Lower(std::string text)
{
    if (!text.empty())
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// The package is the current folder; its library folder is copied from, never into.
bool IsInPackage(const std::string& folder)
{
    char current[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return IdentifyFolder(NormalizeFolder(folder)) == IdentifyFolder(NormalizeFolder(current)) ||
           IsSameOrBelow(folder, std::string(current) + "\\Quillon");
}

// True when a deletion that waits for the restart (an earlier uninstall's, whose program was
// still running) would take the folder or something in it.
bool RestartDeletesWithin(const std::string& folder)
{
    RegKey sessionManager;
    std::string data;
    if (sessionManager.Open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_READ) != ERROR_SUCCESS ||
        sessionManager.ReadString("PendingFileRenameOperations", data) != ERROR_SUCCESS)
        return false;
    // NUL-separated texts; the read took off the NUL that ends the last one.
    std::vector<std::string> strings;
    for (size_t start = 0; start < data.size();) {
        size_t end = data.find('\0', start);
        if (end == std::string::npos)
            end = data.size();
        strings.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    const std::string ours = Lower(NormalizeFolder(folder));
    // Pairs of source and target; an empty target is a deletion.
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        if (!strings[i + 1].empty())
            continue;
        std::string path = strings[i];
        if (path.compare(0, 4, "\\??\\") == 0)
            path.erase(0, 4);
        // What still exists is compared by identity; what is gone by its normalised text.
        const std::string pending = Lower(NormalizeFolder(path));
        if (IsSameOrBelow(path, folder) || pending == ours ||
            pending.compare(0, ours.size() + 1, ours + "\\") == 0)
            return true;
    }
    return false;
}

// The folder an install goes into, and what it was before.
struct InstallFolder {
    std::string path;
    bool created = false;        // this run made it
    bool earlierInstall = false;  // the recorded install folder, holding files already
};

// Creates the chosen folder if need be and says why it cannot be the install folder; empty
// when it can. A folder created here and then refused is removed again.
std::string PrepareInstallFolder(InstallFolder& chosen, const std::string& recordedFolder)
{
    const std::string& folder = chosen.path;
    const std::string normalized = NormalizeFolder(folder);
    // A relative path would be created inside the package, and the uninstall could never find it.
    if (normalized.empty())
        return kCannotCreate;
    const bool hadEntries = IdentifyFolder(normalized).valid && HoldsEntries(normalized);
    const bool created = CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
    if (!created && !IsExistingFolder(folder))
        return kCannotCreate;

    std::string refusal;
    // The uninstall removes this folder with everything in it, so a drive root or a system
    // folder, however spelled, is refused like a folder that cannot be created.
    if (!IsOwnableFolder(folder))
        refusal = kCannotCreate;
    else if (IsInPackage(folder))
        refusal = "Error: the install folder must lie outside the package:\n" + folder;
    else if (hadEntries &&
             !(IdentifyFolder(normalized) == IdentifyFolder(NormalizeFolder(recordedFolder))))
        refusal = "Error: the install folder must be new or empty:\n" + folder;
    else if (RestartDeletesWithin(folder))
        refusal = "Error: an earlier uninstall removes this folder at the next restart:\n" +
                  folder + "\nRestart the computer, then install again.";
    if (!refusal.empty() && created)
        RemoveDirectoryA(folder.c_str());
    chosen.created = created;
    chosen.earlierInstall = hadEntries;
    return refusal;
}

// Asks until a folder is ready; false when none is given any more.
bool ChooseInstallFolder(const std::string& recordedFolder, const std::string& proposal,
                         SetupUi& ui, InstallFolder& installFolder)
{
    for (;;) {
        if (!ui.AskFolder(proposal, installFolder.path))
            return false;
        const std::string refusal = PrepareInstallFolder(installFolder, recordedFolder);
        if (refusal.empty())
            return true;
        ui.Note({"install folder given: ", installFolder.path});
        ui.Refuse(refusal);
    }
}

// The bar's share of the library copy; each short step after it adds kShortStep.
const unsigned kCopyShare = 900;
const unsigned kShortStep = 25;

// Moves the bar with the bytes of the library copied and hands on a person's cancel.
class CopyProgress : public CopyListener {
public:
    CopyProgress(SetupUi& ui, unsigned long long total, bool cancellable)
        : ui_(ui), total_(total), cancellable_(cancellable)
    {
    }

    bool FileCopied(unsigned long long bytes) override
    {
        const unsigned shown =
            total_ ? static_cast<unsigned>(kCopyShare * (bytes < total_ ? bytes : total_) / total_) : 0;
        if (shown != shown_)
            ui_.ShowProgress(shown_ = shown);
        return !(cancellable_ && ui_.Cancelled());
    }

private:
    SetupUi& ui_;
    unsigned long long total_;
    bool cancellable_;
    unsigned shown_ = 0;
};

// Copies the library into the install folder. A person may cancel while it runs, unless it
// replaces an earlier install's files: then everything this run made is taken away again and
// the function returns false.
bool CopyLibrary(const InstallFolder& installFolder, CopyReport& copy, SetupUi& ui)
{
    const bool cancellable = !installFolder.earlierInstall;
    ui.Step(cancellable ? "Copying the library files"
                        : "Copying the library files over the earlier install (this cannot be cancelled)",
            cancellable);
    // One more walk of the package, for the size of the whole.
    CopyProgress progress(ui, TreeBytes("Quillon\\"), cancellable);
    copy.listener = &progress;
    CopyFolderTree("Quillon", installFolder.path, &copy);
    copy.listener = nullptr;
    if (!copy.stopped)
        return true;
    FileEvents undone;
    UndoCopy(copy, &undone);
    if (installFolder.created)
        RemoveEmptyFolder(installFolder.path, &undone);
    ui.Note("cancelled: what this run copied and made is taken away");
    ui.Note(undone);
    return false;
}

// Copies the wizard into the first version, highest first, that has both wizard folders.
// Returns the "InstallDir" the search leaves: the taken version's, else the last one read.
std::string InstallWizard(const RegKey& visualStudio, CopyReport& copy, SetupUi& ui)
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
        const std::string projects = WizardProjectsFolder(ideFolder);
        const std::string wizards = WizardsFolder(ideFolder);
        if (qualifies && PathExists(projects) && PathExists(wizards)) {
            ui.Note({"IDE version for the wizard: ", version, " (", ideFolder, ")"});
            CopyFolderTree("AppWizard\\vcprojects", projects, &copy);
            CopyFolderTree("AppWizard\\VCWizards", wizards, &copy);
            return ideFolder;
        }
    }
    ui.Note("IDE version for the wizard: none has both wizard folders");
    return ideFolder;
}

// One value of the Uninstall entry, logged as written or not; true when written.
bool SetValue(const RegKey& key, const char* name, DWORD type, const std::string& data,
              const std::string& shown, SetupUi& ui)
{
    const bool written =
        !data.empty() && RegSetValueExA(key.Get(), name, 0, type,
                                        reinterpret_cast<const BYTE*>(data.data()),
                                        static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    ui.Note({"entry value ", name, " = ", shown, written ? "" : " (not written)"});
    return written;
}

bool SetText(const RegKey& key, const char* name, const std::string& text, SetupUi& ui)
{
    return SetValue(key, name, REG_SZ, text + '\0', text, ui);
}

bool SetNumber(const RegKey& key, const char* name, DWORD number, SetupUi& ui)
{
    return SetValue(key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4),
                    std::to_string(number), ui);
}

// The identity is shown in hex; one that could not be read is no value to write.
bool SetIdentity(const RegKey& key, const std::string& identity, SetupUi& ui)
{
    std::string shown;
    for (unsigned char byte : identity) {
        shown += "0123456789abcdef"[byte >> 4];
        shown += "0123456789abcdef"[byte & 15];
    }
    return SetValue(key, INSTALL_DIR_ID, REG_BINARY, identity, shown, ui);
}

}  // namespace

void RunInstall(const std::string& recordedFolder, const std::string& proposal, SetupUi& ui)
{
    InstallFolder chosen;
    if (!ChooseInstallFolder(recordedFolder, proposal, ui, chosen)) {
        ui.Finish(SetupOutcome());
        return;
    }
    const std::string& installFolder = chosen.path;
    ui.Note({"install folder: ", installFolder});

    CopyReport copy;
    if (!CopyLibrary(chosen, copy, ui)) {
        ui.Finish(SetupOutcome());
        return;
    }
    const unsigned long long libraryBytes = copy.bytes;

    ui.Step("Copying the wizard files");
    RegKey visualStudio;
    visualStudio.Open(HKEY_LOCAL_MACHINE, VISUAL_STUDIO_KEY, KEY_READ);
    const std::string ideFolder = InstallWizard(visualStudio, copy, ui);
    ui.ShowProgress(kCopyShare + kShortStep);
    const unsigned long notCopied = static_cast<unsigned long>(copy.notCopied.size());
    ui.Note("files copied: " + std::to_string(copy.files - notCopied) + " of " +
            std::to_string(copy.files));
    ui.Note(copy.notCopied);

    ui.Step("Registering the help");
    FileEvents help;
    UnregisterHelp("Quillon", &help);
    const bool helpRegistered =
        RegisterHelp(installFolder + "\\Help", "Quillon", "Quillon", "Quillon library help", &help);
    ui.Note(help);
    ui.ShowProgress(kCopyShare + 2 * kShortStep);

    // Each edit runs whatever the one before it did.
    ui.Step("Updating the directory lists");
    FileEvents settings;
    bool listsUpdated = RemoveVcDirectory(recordedFolder, &settings);
    listsUpdated = AddVcDirectory("Include Dirs", installFolder, &settings) && listsUpdated;
    listsUpdated = AddVcDirectory("Library Dirs", installFolder, &settings) && listsUpdated;
    ui.Note(settings);
    ui.ShowProgress(kCopyShare + 3 * kShortStep);

    // Written even after failures, so that the uninstall can clean up.
    ui.Step("Writing the uninstall entry");
    RegKey entry;
    bool entryWritten =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, const_cast<char*>(""),
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, entry.Slot(),
                        nullptr) == ERROR_SUCCESS;
    const std::string program = installFolder + "\\setup.exe";
    entryWritten = SetText(entry, "DisplayName", "Quillon library", ui) && entryWritten;
    entryWritten = SetText(entry, "UninstallString", "\"" + program + "\" /uninstall", ui) && entryWritten;
    entryWritten = SetText(entry, "InstallDir", installFolder, ui) && entryWritten;
    entryWritten = SetText(entry, "IDEDir", ideFolder, ui) && entryWritten;
    // What the uninstall will remove: this very folder, not whatever "InstallDir" names then.
    entryWritten = SetIdentity(entry, RecordedIdentity(IdentifyFolder(NormalizeFolder(installFolder))),
                               ui) && entryWritten;
    // What Add/Remove Programs and deployment tools read besides.
    entryWritten = SetText(entry, "QuietUninstallString", "\"" + program + "\" /uninstall /quiet", ui) &&
                   entryWritten;
    entryWritten = SetText(entry, "InstallLocation", installFolder, ui) && entryWritten;
    entryWritten = SetText(entry, "DisplayIcon", program + ",0", ui) && entryWritten;
    entryWritten = SetNumber(entry, "EstimatedSize", static_cast<DWORD>((libraryBytes + 1023) / 1024),
                             ui) && entryWritten;
    entryWritten = SetNumber(entry, "NoModify", 1, ui) && entryWritten;
    entryWritten = SetNumber(entry, "NoRepair", 1, ui) && entryWritten;

    ui.ShowProgress(kCopyShare + 4 * kShortStep);

    SetupOutcome outcome;
    outcome.code = CMD_INSTALLED;
    outcome.incomplete = (notCopied ? INCOMPLETE_FILES : 0) | (helpRegistered ? 0 : INCOMPLETE_HELP) |
                         (listsUpdated ? 0 : INCOMPLETE_LISTS) | (entryWritten ? 0 : INCOMPLETE_ENTRY);
    outcome.filesNotCopied = notCopied;
    ui.Finish(outcome);
}
