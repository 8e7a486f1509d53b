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

// Whether the folder holds anything. One that cannot be listed may hold the person's files, and
// counts as holding some.
bool HoldsEntries(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    FindSearch search(FindFirstFileA((folder + "\\*.*").c_str(), &entry));
    if (!search.IsOpen())
        return GetLastError() != ERROR_FILE_NOT_FOUND;
    do {
        if (lstrcmpA(entry.cFileName, ".") != 0 && lstrcmpA(entry.cFileName, "..") != 0)
            return true;
    } while (FindNextFileA(search.Get(), &entry));
    return GetLastError() != ERROR_NO_MORE_FILES;
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
std::string PrepareInstallFolder(InstallFolder& chosen, const std::string& recordedIdentity)
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
    // Only the folder an entry records by its identity is an earlier install: without an entry,
    // the default folder may hold a person's own files like any other.
    else if (RestartDeletesWithin(folder))
        refusal = "Error: an earlier uninstall removes this folder at the next restart:\n" +
                  folder + "\nRestart the computer, then install again.";
    else if (hadEntries && (recordedIdentity.empty() ||
                            RecordedIdentity(IdentifyFolder(normalized)) != recordedIdentity))
        refusal = "Error: the install folder must be new or empty:\n" + folder;
    if (!refusal.empty() && created)
        RemoveDirectoryA(folder.c_str());
    chosen.created = created;
    chosen.earlierInstall = hadEntries;
    return refusal;
}

// Asks until a folder is ready; false when none is given any more.
bool ChooseInstallFolder(const std::string& recordedIdentity, const std::string& proposal,
                         SetupUi& ui, InstallFolder& installFolder)
{
    for (;;) {
        if (!ui.AskFolder(proposal, installFolder.path))
            return false;
        const std::string refusal = PrepareInstallFolder(installFolder, recordedIdentity);
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

// Counts what a rollback left: files and folders that wait for the restart, and those that
// neither went nor wait.
void CountLeft(const FileEvents& undone, SetupOutcome& outcome)
{
    for (const FileEvent& event : undone) {
        if (event.what == SCHEDULED_FOR_RESTART)
            ++outcome.leftUntilRestart;
        else if (IsNotRemoved(event))
            ++outcome.leftUntilUninstall;
    }
}

// Copies the library into the install folder. A person may cancel while it runs, unless it
// replaces an earlier install's files: then what this run made is taken away again, outcome
// says what stayed, and the function returns false. The copy of setup.exe comes first, so that
// the entry's command can start as soon as anything else is there.
bool CopyLibrary(const InstallFolder& installFolder, CopyReport& copy, SetupUi& ui,
                 SetupOutcome& outcome)
{
    const bool cancellable = !installFolder.earlierInstall;
    ui.Step(cancellable ? "Copying the library files"
                        : "Copying the library files over the earlier install (this cannot be cancelled)",
            cancellable);
    // One more walk of the package, for the size of the whole.
    CopyProgress progress(ui, TreeBytes("Quillon\\"), cancellable);
    copy.listener = &progress;
    copy.first = "setup.exe";
    CopyFolderTree("Quillon", installFolder.path, &copy);
    copy.listener = nullptr;
    // A Yes that came after the last file is honoured all the same; from here on Cancel is
    // refused.
    if (cancellable && ui.EndCancellable())
        copy.stopped = true;
    if (!copy.stopped)
        return true;
    FileEvents undone;
    UndoCopy(copy, &undone);
    if (installFolder.created)
        RemoveEmptyFolder(installFolder.path, &undone);
    CountLeft(undone, outcome);
    ui.Note(outcome.leftUntilRestart || outcome.leftUntilUninstall
                ? "cancelled: what this run copied and made is taken away, but for what is left below"
                : "cancelled: what this run copied and made is taken away");
    ui.Note(undone);
    return false;
}

// Finds the first version, highest first, that has both wizard folders; false when none has.
// ideFolder: the "InstallDir" the search leaves: the taken version's, else the last one read.
bool FindWizardVersion(const RegKey& visualStudio, std::string& ideFolder, SetupUi& ui)
{
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
        if (qualifies && PathExists(WizardProjectsFolder(ideFolder)) &&
            PathExists(WizardsFolder(ideFolder))) {
            ui.Note({"IDE version for the wizard: ", version, " (", ideFolder, ")"});
            return true;
        }
    }
    ui.Note("IDE version for the wizard: none has both wizard folders");
    return false;
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

// The values of the entry for an install into installFolder. ideFolder and libraryBytes are
// known only later in the run: null leaves those values as they are.
bool WriteEntry(const RegKey& entry, const std::string& installFolder,
                const std::string* ideFolder, const unsigned long long* libraryBytes, SetupUi& ui)
{
    const std::string program = installFolder + "\\setup.exe";
    bool written = entry.Get() != nullptr;
    written = SetText(entry, "DisplayName", "Quillon library", ui) && written;
    written = SetText(entry, "UninstallString", "\"" + program + "\" /uninstall", ui) && written;
    written = SetText(entry, "InstallDir", installFolder, ui) && written;
    if (ideFolder)
        written = SetText(entry, "IDEDir", *ideFolder, ui) && written;
    // What the uninstall will remove: this very folder, not whatever "InstallDir" names then.
    written = SetIdentity(entry, RecordedIdentity(IdentifyFolder(NormalizeFolder(installFolder))),
                          ui) && written;
    // What Add/Remove Programs and deployment tools read besides.
    written = SetText(entry, "QuietUninstallString", "\"" + program + "\" /uninstall /quiet", ui) &&
              written;
    written = SetText(entry, "InstallLocation", installFolder, ui) && written;
    written = SetText(entry, "DisplayIcon", program + ",0", ui) && written;
    if (libraryBytes)
        written = SetNumber(entry, "EstimatedSize", static_cast<DWORD>((*libraryBytes + 1023) / 1024),
                            ui) && written;
    written = SetNumber(entry, "NoModify", 1, ui) && written;
    written = SetNumber(entry, "NoRepair", 1, ui) && written;
    return written;
}

// A value is on the disk, not only in memory, before the run goes on as if it were.
bool Flush(const RegKey& entry)
{
    return entry.Get() && RegFlushKey(entry.Get()) == ERROR_SUCCESS;
}

// The entry as it stood before this run, put back when a person cancels: an earlier install
// in another folder keeps its record, and a machine without one gets none.
class EntryBefore {
public:
    explicit EntryBefore(const RegKey& entry) : existed_(entry.Get() != nullptr)
    {
        for (int i = 0; i < kCount; ++i)
            present_[i] = existed_ && entry.ReadValue(kNames[i], data_[i], &type_[i]) == ERROR_SUCCESS;
    }

    void PutBack(const RegKey& entry, SetupUi& ui) const
    {
        if (!existed_) {
            RegKey uninstallKeys;
            uninstallKeys.Open(HKEY_LOCAL_MACHINE, UNINSTALL_PARENT_KEY, KEY_ALL_ACCESS);
            const LONG deleted = RegDeleteKeyA(uninstallKeys.Get(), "Quillon");
            ui.Note({deleted == ERROR_SUCCESS ? "entry removed: " : "entry not removed: ", UNINSTALL_KEY});
            return;
        }
        for (int i = 0; i < kCount; ++i) {
            if (present_[i])
                RegSetValueExA(entry.Get(), kNames[i], 0, type_[i],
                               reinterpret_cast<const BYTE*>(data_[i].data()),
                               static_cast<DWORD>(data_[i].size()));
            else
                RegDeleteValueA(entry.Get(), kNames[i]);
        }
        Flush(entry);
        ui.Note({"entry put back as it was: ", UNINSTALL_KEY});
    }

private:
    static const int kCount = 12;
    static constexpr const char* kNames[kCount] = {
        "DisplayName",  "UninstallString", "InstallDir",    "IDEDir",   "InstallDirId",
        "QuietUninstallString", "InstallLocation", "DisplayIcon", "EstimatedSize", "NoModify",
        "NoRepair",     "InstallUnfinished"};
    bool existed_;
    bool present_[kCount] = {};
    DWORD type_[kCount] = {};
    std::string data_[kCount];
};

}  // namespace

void RunInstall(const std::string& recordedFolder, const std::string& proposal, SetupUi& ui)
{
    RegKey entry;
    entry.Open(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, KEY_ALL_ACCESS);
    InstallFolder chosen;
    if (!ChooseInstallFolder(ReadRecordedIdentity(entry), proposal, ui, chosen)) {
        ui.Finish(SetupOutcome());
        return;
    }
    const std::string& installFolder = chosen.path;
    ui.Note({"install folder: ", installFolder});

    // Before the first file the entry records the install, marked unfinished until the last
    // step, so that a run stopped at any moment leaves a way back: the entry's command, or this
    // program run again, removes or completes whatever is there. The mark keeps the earlier
    // folder, whose directory list entries go only in a later step; an unfinished run before
    // this one named it already.
    const EntryBefore before(entry);
    std::string earlier;
    if (entry.ReadString(INSTALL_UNFINISHED, earlier) != ERROR_SUCCESS)
        earlier = recordedFolder;
    if (!entry.Get())
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, const_cast<char*>(""),
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, entry.Slot(), nullptr);
    SetText(entry, INSTALL_UNFINISHED, earlier, ui);
    WriteEntry(entry, installFolder, nullptr, nullptr, ui);
    Flush(entry);

    CopyReport copy;
    SetupOutcome outcome;
    if (!CopyLibrary(chosen, copy, ui, outcome)) {
        // What stays beyond the restart keeps the entry, whose command removes it.
        if (outcome.leftUntilUninstall)
            ui.Note({"entry kept: ", UNINSTALL_KEY});
        else
            before.PutBack(entry, ui);
        ui.Finish(outcome);
        return;
    }
    const unsigned long long libraryBytes = copy.bytes;

    ui.Step("Copying the wizard files");
    RegKey visualStudio;
    visualStudio.Open(HKEY_LOCAL_MACHINE, VISUAL_STUDIO_KEY, KEY_READ);
    std::string ideFolder;
    const bool wizardTaken = FindWizardVersion(visualStudio, ideFolder, ui);
    // The uninstall finds the wizard files by this value: it is recorded before they come.
    SetText(entry, "IDEDir", ideFolder, ui);
    Flush(entry);
    if (wizardTaken) {
        CopyFolderTree("AppWizard\\vcprojects", WizardProjectsFolder(ideFolder), &copy);
        CopyFolderTree("AppWizard\\VCWizards", WizardsFolder(ideFolder), &copy);
    }
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
    if (!earlier.empty() && earlier != recordedFolder)
        listsUpdated = RemoveVcDirectory(earlier, &settings) && listsUpdated;
    listsUpdated = AddVcDirectory("Include Dirs", installFolder, &settings) && listsUpdated;
    listsUpdated = AddVcDirectory("Library Dirs", installFolder, &settings) && listsUpdated;
    ui.Note(settings);
    ui.ShowProgress(kCopyShare + 3 * kShortStep);

    // Written even after failures, so that the uninstall can clean up; the mark of an
    // unfinished install goes last.
    ui.Step("Writing the uninstall entry");
    bool entryWritten = WriteEntry(entry, installFolder, &ideFolder, &libraryBytes, ui);
    const LONG unmarked = RegDeleteValueA(entry.Get(), INSTALL_UNFINISHED);
    entryWritten = (unmarked == ERROR_SUCCESS || unmarked == ERROR_FILE_NOT_FOUND) && Flush(entry) &&
                   entryWritten;
    ui.Note(entryWritten ? "entry finished" : "entry not finished");

    ui.ShowProgress(kCopyShare + 4 * kShortStep);

    outcome.code = CMD_INSTALLED;
    outcome.incomplete = (notCopied ? INCOMPLETE_FILES : 0) | (helpRegistered ? 0 : INCOMPLETE_HELP) |
                         (listsUpdated ? 0 : INCOMPLETE_LISTS) | (entryWritten ? 0 : INCOMPLETE_ENTRY);
    outcome.filesNotCopied = notCopied;
    ui.Finish(outcome);
}
