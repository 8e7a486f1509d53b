#include "remove_tree.h"

#include "find_entries.h"
#include "folder_guard.h"
#include "win32/file_system.h"
#include "win32/system_functions.h"

const char* const SCHEDULED_FOR_RESTART = "scheduled for the restart";

namespace {

const char* const kNotRemoved = "not removed";

// Where the removal tells what it did; nowhere when nobody asked.
class Record {
public:
    explicit Record(FileEvents* events) : events_(events) {}
    // deleted: the result of the attempt that went before, whose error is still the last one.
    void Outcome(bool deleted, const std::string& path, MoveFileExFunction moveFileEx)
    {
        if (deleted) {
            AddEvent(events_, "removed", path);
            return;
        }
        const DWORD error = GetLastError();
        const bool scheduled =
            moveFileEx && moveFileEx(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        AddEvent(events_, scheduled ? SCHEDULED_FOR_RESTART : kNotRemoved, path, error);
    }

private:
    FileEvents* events_;
};

void RemoveOrSchedule(const std::string& folder, MoveFileExFunction moveFileEx, Record& record)
{
    record.Outcome(RemoveDirectoryA(folder.c_str()) != FALSE, folder, moveFileEx);
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
void RemoveFolderLevel(const std::string& path, ReadOnlyFiles readOnly, Record& record)
{
    for (const std::string& name : Subfolders(path)) {
        const std::string sub = path + name;
        // A junction or symbolic link is still a folder to the listing; only the walk stops
        // here, so that nothing outside the tree is ever deleted through it.
        if (IsLink(sub)) {
            RemoveOrSchedule(sub, LookUpMoveFileEx(), record);
            continue;
        }
        RemoveFolderLevel(sub + "\\", readOnly, record);
    }

    const MoveFileExFunction moveFileEx = LookUpMoveFileEx();

    std::vector<std::string> files;
    FindEntries((path + "*.*").c_str(), files, FilesOnly);
    for (const std::string& name : files) {
        const std::string full = path + name;
        record.Outcome(DeleteFileClearingReadOnly(full, readOnly), full, moveFileEx);
    }

    RemoveOrSchedule(path.substr(0, path.size() - 1), moveFileEx, record);
}

}  // namespace

bool RemoveFolderTree(const std::string& folder, ReadOnlyFiles readOnly, FileEvents* events)
{
    Record record(events);
    // A file under the folder's name is somebody's file, not our install folder; a missing
    // folder leaves nothing to remove, and no deletion is scheduled for a path that anybody
    // may create before the restart.
    if (!IsOwnableFolder(folder))
        return false;
    const std::string path = NormalizeFolder(folder);
    if (IsLink(path)) {
        RemoveOrSchedule(path, LookUpMoveFileEx(), record);
        return true;
    }
    RemoveFolderLevel(path + "\\", readOnly, record);
    return true;
}

void RemoveFile(const std::string& path, ReadOnlyFiles readOnly, FileEvents* events)
{
    Record record(events);
    record.Outcome(DeleteFileClearingReadOnly(path, readOnly), path, LookUpMoveFileEx());
}

void RemoveEmptyFolder(const std::string& folder, FileEvents* events)
{
    Record record(events);
    RemoveOrSchedule(folder, LookUpMoveFileEx(), record);
}

bool IsNotRemoved(const FileEvent& event)
{
    return event.what == kNotRemoved;
}

bool AnyNotRemoved(const FileEvents& events)
{
    for (const FileEvent& event : events)
        if (IsNotRemoved(event))
            return true;
    return false;
}
