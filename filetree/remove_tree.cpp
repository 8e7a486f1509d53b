#include "remove_tree.h"

#include "find_entries.h"
#include "folder_guard.h"
#include "win32/file_system.h"
#include "win32/system_functions.h"

namespace {

void RemoveOrSchedule(const std::string& folder, MoveFileExFunction moveFileEx)
{
    if (!RemoveDirectoryA(folder.c_str()) && moveFileEx)
        moveFileEx(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool DeleteFileClearingReadOnly(const std::string& path, ReadOnlyFiles readOnly)
{
    if (DeleteFileA(path.c_str()))
        return true;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (readOnly != ClearReadOnlyFiles || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    // Cleared even when the file is in use: the restart cannot delete a read-only file either.
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileA(path.c_str());
}

// path ends in a backslash.
void RemoveFolderLevel(const std::string& path, ReadOnlyFiles readOnly)
{
    for (const std::string& name : Subfolders(path)) {
        const std::string sub = path + name;
        // A junction or symbolic link is still a folder to the listing; only the walk stops
        // here, so that nothing outside the tree is ever deleted through it.
        if (IsLink(sub)) {
            RemoveOrSchedule(sub, LookUpMoveFileEx());
            continue;
        }
        RemoveFolderLevel(sub + "\\", readOnly);
    }

    const MoveFileExFunction moveFileEx = LookUpMoveFileEx();

    std::vector<std::string> files;
    FindEntries((path + "*.*").c_str(), files, FilesOnly);
    for (const std::string& name : files) {
        const std::string full = path + name;
        if (!DeleteFileClearingReadOnly(full, readOnly) && moveFileEx)
            moveFileEx(full.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }

    RemoveOrSchedule(path.substr(0, path.size() - 1), moveFileEx);
}

}  // namespace

bool RemoveFolderTree(const std::string& folder, ReadOnlyFiles readOnly)
{
    // A file under the folder's name is somebody's file, not our install folder; a missing
    // folder leaves nothing to remove, and no deletion is scheduled for a path that anybody
    // may create before the restart.
    if (!IsOwnableFolder(folder))
        return false;
    const std::string path = NormalizeFolder(folder);
    if (IsLink(path)) {
        RemoveOrSchedule(path, LookUpMoveFileEx());
        return true;
    }
    RemoveFolderLevel(path + "\\", readOnly);
    return true;
}
