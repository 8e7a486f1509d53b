#include "help_registration.h"

#include "help_record_list.h"
#include "win32/code_page.h"
#include "win32/file_system.h"
#include "win32/handle.h"
#include "win32/reg_key.h"

namespace {

const char* const kNamespaceList = "nslist.hxl";
const char* const kCollectionFile = "MS.VSCC.hxn";
const int32_t kNamespaceFileVersion = 4;
const uint32_t kEnglishUnitedStates = 1033;

// The help system reads UTF-16: a folder named in the user's code page is handed over as the
// characters it names, not as its bytes each taken for a character.
HelpText AnsiHelpText(const std::string& ansi)
{
    HelpText text;
    text.bytes = AnsiToUtf16Le(ansi);
    return text;
}

// A file counts as there while an interrupted save keeps its old content under the backup name.
bool Present(const std::string& path)
{
    return Exists(path) || Exists(path + ".quillon-old");
}

// Where the registration tells what became of each file; nowhere when nobody asked.
class Record {
public:
    explicit Record(FileEvents* events) : events_(events) {}
    void Add(const char* what, const std::string& path, unsigned long error = 0)
    {
        AddEvent(events_, what, path, error);
    }
    bool Saved(const HelpRecordList& list, const std::string& path)
    {
        const bool saved = list.Save(path);
        Add(saved ? "help file written" : "help file not written", path, saved ? 0 : GetLastError());
        return saved;
    }
    bool Loaded(HelpRecordList& list, const std::string& path)
    {
        const bool loaded = list.Load(path);
        if (!loaded)
            Add(Present(path) ? "help file left as it is, it cannot be read as one"
                             : "help file skipped, there is none", path);
        return loaded;
    }

private:
    FileEvents* events_;
};

// Erases the first record of the class that as() selects whose name is exactly name, and saves
// the list; a list without such a record is not rewritten. False when the save failed.
template <typename Entry>
bool EraseFirstNamed(HelpRecordList& list, const Entry* (HelpRecordList::*as)(size_t) const,
                     const std::string& name, const std::string& path, Record& record)
{
    for (size_t index = 0; index < list.Count(); ++index) {
        const Entry* entry = (list.*as)(index);
        if (entry && entry->name.bytes == AnsiToUtf16Le(name)) {
            list.Erase(index);
            return record.Saved(list, path);
        }
    }
    record.Add("help file unchanged, it holds no record of ours", path);
    return true;
}

// A list that could not be loaded is left alone. Missing or damaged (the registration never
// writes into a damaged one either), it holds no record of ours to take out; one that exists
// but cannot be read may.
bool Unreadable(const std::string& path)
{
    return Present(path) && !FileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                    nullptr, OPEN_EXISTING, 0, nullptr));
}

}  // namespace

bool GetCommonHelpFolder(HKEY machineRoot, std::string& folder)
{
    RegKey key;
    if (key.Open(machineRoot, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 KEY_READ) != ERROR_SUCCESS)
        return false;
    if (key.ReadString("Common AppData", folder) != ERROR_SUCCESS)
        return false;
    folder += "\\Microsoft Help\\";
    return true;
}

bool GetCommonHelpFolder(std::string& folder)
{
    return GetCommonHelpFolder(HKEY_LOCAL_MACHINE, folder);
}

bool RegisterHelp(HKEY machineRoot, const std::string& helpFolder,
                  const std::string& namespaceName, const std::string& fileBase,
                  const std::string& description, FileEvents* events)
{
    Record record(events);
    const std::string folder = WithTrailingBackslash(helpFolder);
    std::string dataFolder;
    if (!GetCommonHelpFolder(machineRoot, dataFolder) || !Exists(dataFolder)) {
        record.Add("help not registered, the machine has no help data folder", dataFolder);
        return true;
    }

    HelpRecordList own(kNamespaceFileVersion, AnsiHelpText);
    own.AppendTitle(namespaceName, fileBase + ".HxS", fileBase + ".HxI", "", "",
                    kEnglishUnitedStates, 1, 1, 0, 0);
    own.AppendFolder(1, folder, folder);
    if (!record.Saved(own, dataFolder + namespaceName + ".hxn"))
        return false;

    HelpRecordList namespaces(HelpRecordList::kNotLoaded, AnsiHelpText);
    if (!record.Loaded(namespaces, dataFolder + kNamespaceList))
        return !Present(dataFolder + kNamespaceList);
    namespaces.AppendNamespace(namespaceName, folder + fileBase + ".HxC", description);
    if (!record.Saved(namespaces, dataFolder + kNamespaceList))
        return false;

    HelpRecordList collection(HelpRecordList::kNotLoaded, AnsiHelpText);
    if (!record.Loaded(collection, dataFolder + kCollectionFile))
        return !Present(dataFolder + kCollectionFile);
    for (size_t index = 0; index < collection.Count(); ++index) {
        const PluginRecord* found = collection.AsPlugin(index);
        if (!found)
            continue;
        const HelpText sharedText = found->sharedText;
        std::string hxtPath = folder + fileBase + ".HxT";
        ReplaceCharacters(hxtPath, '\\', '/', IsAnsiLeadByte);
        collection.AppendPlugin(namespaceName, sharedText, hxtPath, folder + fileBase + ".HxA");
        return record.Saved(collection, dataFolder + kCollectionFile);
    }
    record.Add("help file unchanged, it holds no plug-in to copy from", dataFolder + kCollectionFile);
    return true;
}

bool UnregisterHelp(HKEY machineRoot, const std::string& namespaceName, FileEvents* events)
{
    Record record(events);
    std::string dataFolder;
    if (!GetCommonHelpFolder(machineRoot, dataFolder))
        return true;
    const std::string own = dataFolder + namespaceName + ".hxn";
    bool removed = DeleteFileA(own.c_str()) != FALSE;
    const DWORD error = removed ? 0 : GetLastError();
    if (removed)
        record.Add("help file removed", own);
    else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        record.Add("help file not removed", own, error);
    removed = removed || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;

    HelpRecordList namespaces;
    if (!record.Loaded(namespaces, dataFolder + kNamespaceList))
        return removed && !Unreadable(dataFolder + kNamespaceList);
    removed = EraseFirstNamed(namespaces, &HelpRecordList::AsNamespace, namespaceName,
                              dataFolder + kNamespaceList, record) && removed;

    HelpRecordList collection;
    if (!record.Loaded(collection, dataFolder + kCollectionFile))
        return removed && !Unreadable(dataFolder + kCollectionFile);
    return EraseFirstNamed(collection, &HelpRecordList::AsPlugin, namespaceName,
                           dataFolder + kCollectionFile, record) && removed;
}

bool RegisterHelp(const std::string& helpFolder, const std::string& namespaceName,
                  const std::string& fileBase, const std::string& description, FileEvents* events)
{
    return RegisterHelp(HKEY_LOCAL_MACHINE, helpFolder, namespaceName, fileBase, description, events);
}

bool UnregisterHelp(const std::string& namespaceName, FileEvents* events)
{
    return UnregisterHelp(HKEY_LOCAL_MACHINE, namespaceName, events);
}
