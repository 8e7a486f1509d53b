#include "help_registration.h"

#include "help_record_list.h"
#include "win32/file_system.h"
#include "win32/handle.h"
#include "win32/reg_key.h"

#include <algorithm>

namespace {

const char* const kNamespaceList = "nslist.hxl";
const char* const kCollectionFile = "MS.VSCC.hxn";
const int32_t kNamespaceFileVersion = 4;
const uint32_t kEnglishUnitedStates = 1033;

// Erases the first record of the class that as() selects whose name is exactly name, and saves
// the list; a list without such a record is not rewritten. False when the save failed.
template <typename Record>
bool EraseFirstNamed(HelpRecordList& list, const Record* (HelpRecordList::*as)(size_t) const,
                     const std::string& name, const std::string& path)
{
    for (size_t index = 0; index < list.Count(); ++index) {
        const Record* record = (list.*as)(index);
        if (record && record->name.Narrow() == name) {
            list.Erase(index);
            return list.Save(path);
        }
    }
    return true;
}

// A list that could not be loaded is left alone. Missing or damaged (the registration never
// writes into a damaged one either), it holds no record of ours to take out; one that exists
// but cannot be read may.
bool Unreadable(const std::string& path)
{
    return Exists(path) && !FileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
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
                  const std::string& description)
{
    std::string folder = helpFolder;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    std::string dataFolder;
    if (!GetCommonHelpFolder(machineRoot, dataFolder) || !Exists(dataFolder))
        return true;

    HelpRecordList own(kNamespaceFileVersion);
    own.AppendTitle(namespaceName, fileBase + ".HxS", fileBase + ".HxI", "", "",
                    kEnglishUnitedStates, 1, 1, 0, 0);
    own.AppendFolder(1, folder, folder);
    if (!own.Save(dataFolder + namespaceName + ".hxn"))
        return false;

    HelpRecordList namespaces;
    if (!Exists(dataFolder + kNamespaceList))
        return true;
    if (!namespaces.Load(dataFolder + kNamespaceList))
        return false;
    namespaces.AppendNamespace(namespaceName, folder + fileBase + ".HxC", description);
    if (!namespaces.Save(dataFolder + kNamespaceList))
        return false;

    HelpRecordList collection;
    if (!Exists(dataFolder + kCollectionFile))
        return true;
    if (!collection.Load(dataFolder + kCollectionFile))
        return false;
    for (size_t index = 0; index < collection.Count(); ++index) {
        const PluginRecord* found = collection.AsPlugin(index);
        if (!found)
            continue;
        const HelpText sharedText = found->sharedText;
        std::string hxtPath = folder + fileBase + ".HxT";
        std::replace(hxtPath.begin(), hxtPath.end(), '\\', '/');
        collection.AppendPlugin(namespaceName, sharedText, hxtPath, folder + fileBase + ".HxA");
        return collection.Save(dataFolder + kCollectionFile);
    }
    return true;
}

bool UnregisterHelp(HKEY machineRoot, const std::string& namespaceName)
{
    std::string dataFolder;
    if (!GetCommonHelpFolder(machineRoot, dataFolder))
        return true;
    bool removed = DeleteFileA((dataFolder + namespaceName + ".hxn").c_str()) ||
                   GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;

    HelpRecordList namespaces;
    if (!namespaces.Load(dataFolder + kNamespaceList))
        return removed && !Unreadable(dataFolder + kNamespaceList);
    removed = EraseFirstNamed(namespaces, &HelpRecordList::AsNamespace, namespaceName,
                              dataFolder + kNamespaceList) && removed;

    HelpRecordList collection;
    if (!collection.Load(dataFolder + kCollectionFile))
        return removed && !Unreadable(dataFolder + kCollectionFile);
    return EraseFirstNamed(collection, &HelpRecordList::AsPlugin, namespaceName,
                           dataFolder + kCollectionFile) && removed;
}

bool RegisterHelp(const std::string& helpFolder, const std::string& namespaceName,
                  const std::string& fileBase, const std::string& description)
{
    return RegisterHelp(HKEY_LOCAL_MACHINE, helpFolder, namespaceName, fileBase, description);
}

bool UnregisterHelp(const std::string& namespaceName)
{
    return UnregisterHelp(HKEY_LOCAL_MACHINE, namespaceName);
}
