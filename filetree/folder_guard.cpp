#include "folder_guard.h"

#include "find_entries.h"
#include "win32/code_page.h"
#include "win32/file_system.h"
#include "win32/handle.h"
#include "win32/reg_key.h"
#include "win32/system_functions.h"

#include <shlobj.h>

#include <vector>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveAbsolute(const std::string& path)
{
    return path.size() >= 3 && IsCharAlphaA(path[0]) && path[1] == ':' && IsSeparator(path[2]);
}

bool IsUnc(const std::string& path)
{
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// Number of path components after the root ("C:\a\b" has 2; "\\server\share\a" has 1).
size_t DepthBelowRoot(const std::string& normalized)
{
    // Where each backslash starts, walking by characters.
    std::vector<size_t> backslashes;
    for (size_t at = 0; at < normalized.size(); at = NextCharacter(normalized, at, IsAnsiLeadByte))
        if (normalized[at] == '\\')
            backslashes.push_back(at);
    // The root of a share ends at its fourth backslash, "\\server\share\".
    size_t root = 0;
    if (IsUnc(normalized)) {
        if (backslashes.size() < 4)
            return 0;
        root = 3;
    }
    size_t depth = 0;
    for (size_t i = root; i < backslashes.size(); ++i)
        if (backslashes[i] >= 2 && backslashes[i] + 1 < normalized.size())
            ++depth;
    return depth;
}

std::string ParentOf(const std::string& normalized)
{
    const size_t slash = FindLastCharacter(normalized, '\\', IsAnsiLeadByte);
    if (slash == std::string::npos || DepthBelowRoot(normalized) == 0)
        return std::string();
    return normalized.substr(0, slash);
}

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return path;
}

// A folder of the native (64-bit) registry view, which a 32-bit program is not shown.
std::string NativeFolder(const char* value)
{
    RegKey key;
    std::string path;
    if (key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                 KEY_READ | KEY_WOW64_64KEY) != ERROR_SUCCESS ||
        key.ReadString(value, path) != ERROR_SUCCESS)
        return std::string();
    return path;
}

// The identities of every protected folder and of every folder above one, however the
// machine's paths happen to be spelled.
class ProtectedFolders {
public:
    ProtectedFolders()
    {
        static const int kFolders[] = {
            CSIDL_WINDOWS,          CSIDL_SYSTEM,           CSIDL_SYSTEMX86,
            CSIDL_PROGRAM_FILES,    CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
            CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA, CSIDL_COMMON_DESKTOPDIRECTORY,
            CSIDL_COMMON_DOCUMENTS, CSIDL_PROFILE,          CSIDL_DESKTOPDIRECTORY,
            CSIDL_PERSONAL,         CSIDL_APPDATA,          CSIDL_LOCAL_APPDATA,
        };
        for (int csidl : kFolders)
            AddWithAncestors(KnownFolder(csidl));
        if (IsWow64()) {
            // A 32-bit program is shown the 32-bit folders; the native ones are reached all
            // the same through their own names and through "Sysnative".
            AddWithAncestors(NativeFolder("ProgramFilesDir"));
            AddWithAncestors(NativeFolder("CommonFilesDir"));
            AddWithAncestors(KnownFolder(CSIDL_WINDOWS) + "\\Sysnative");
        }
        AddProfiles();
        AddDriveRoots();
    }

    bool Contains(const FolderIdentity& identity) const
    {
        for (const FolderIdentity& known : identities_)
            if (known == identity)
                return true;
        return false;
    }

private:
    void Add(const std::string& path)
    {
        const FolderIdentity identity = IdentifyFolder(path);
        if (identity.valid)
            identities_.push_back(identity);
    }

    void AddWithAncestors(const std::string& path)
    {
        for (std::string folder = NormalizeFolder(path); !folder.empty(); folder = ParentOf(folder))
            Add(folder);
    }

    // Every folder in the profiles folder is somebody's profile, with a Desktop and Documents.
    void AddProfiles()
    {
        const std::string profiles = ParentOf(NormalizeFolder(KnownFolder(CSIDL_PROFILE)));
        if (profiles.empty())
            return;
        for (const std::string& name : Subfolders(profiles + "\\")) {
            const std::string profile = profiles + "\\" + name;
            Add(profile);
            for (const char* personal : {"\\Desktop", "\\Documents", "\\My Documents"})
                Add(profile + personal);
        }
    }

    // Drive roots also under other names (on Wine, drive C is a folder of drive Z).
    void AddDriveRoots()
    {
        const DWORD drives = GetLogicalDrives();
        for (int letter = 0; letter < 26; ++letter) {
            if (!(drives & (1u << letter)))
                continue;
            const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
            // Asking a removable drive without a medium would only bring up a prompt.
            const UINT type = GetDriveTypeA(root.c_str());
            if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK)
                Add(root);
        }
    }

    std::vector<FolderIdentity> identities_;
};

// True when a folder below path, reached without crossing a link, is protected: a drive that
// the file system shows as a folder of another drive, for instance.
bool HoldsProtectedFolder(const std::string& path, const ProtectedFolders& protectedFolders)
{
    for (const std::string& name : Subfolders(path + "\\")) {
        const std::string sub = path + "\\" + name;
        if (IsLink(sub))
            continue;  // the removal never walks through a link either
        if (protectedFolders.Contains(IdentifyFolder(sub)) ||
            HoldsProtectedFolder(sub, protectedFolders))
            return true;
    }
    return false;
}

}  // namespace

std::string NormalizeFolder(const std::string& folder)
{
    if (!IsDriveAbsolute(folder) && !IsUnc(folder))
        return std::string();
    // For an absolute path this is pure text work: "." and ".." are resolved, "/" becomes "\".
    char buffer[MAX_PATH * 2];
    const DWORD length = GetFullPathNameA(folder.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer)
        return std::string();
    std::string full(buffer, length);
    while (full.size() > 3 && EndsWithCharacter(full, '\\', IsAnsiLeadByte))
        full.pop_back();
    if (full.size() == 3 && full[1] == ':')
        full.pop_back();
    if (IsUnc(full) && full.size() > 2 && EndsWithCharacter(full, '\\', IsAnsiLeadByte))
        full.pop_back();
    return full;
}

FolderIdentity IdentifyFolder(const std::string& path)
{
    FolderIdentity identity;
    std::string name = path;
    // "C:" alone names the current folder of drive C, not its root.
    if (DepthBelowRoot(name) == 0)
        name = WithTrailingBackslash(name);
    // Backup semantics open folders; links are followed to what they reach.
    const FileHandle handle(CreateFileA(name.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (handle.IsOpen() && GetFileInformationByHandle(handle.Get(), &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        identity.volume = info.dwVolumeSerialNumber;
        identity.indexHigh = info.nFileIndexHigh;
        identity.indexLow = info.nFileIndexLow;
        identity.valid = true;
    }
    return identity;
}

bool IsSameOrBelow(const std::string& inner, const std::string& outer)
{
    const FolderIdentity target = IdentifyFolder(NormalizeFolder(outer));
    if (!target.valid)
        return false;
    for (std::string folder = NormalizeFolder(inner); !folder.empty(); folder = ParentOf(folder))
        if (IdentifyFolder(folder) == target)
            return true;
    return false;
}

bool IsOwnableFolder(const std::string& folder)
{
    const std::string path = NormalizeFolder(folder);
    if (path.empty() || DepthBelowRoot(path) == 0)
        return false;
    const FolderIdentity identity = IdentifyFolder(path);
    if (!identity.valid)
        return false;
    const ProtectedFolders protectedFolders;
    return !protectedFolders.Contains(identity) && !HoldsProtectedFolder(path, protectedFolders);
}
