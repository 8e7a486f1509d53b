#include "folder_guard.h"

#include <windows.h>
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

std::string Lower(std::string text)
{
    if (!text.empty())
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// Number of path components after the root ("C:\a\b" has 2; "\\server\share\a" has 1).
size_t DepthBelowRoot(const std::string& normalized)
{
    size_t skip = 0;
    if (IsUnc(normalized)) {
        // Skip "\\server\share".
        const size_t server = normalized.find('\\', 2);
        if (server == std::string::npos)
            return 0;
        const size_t share = normalized.find('\\', server + 1);
        if (share == std::string::npos)
            return 0;
        skip = share;
    } else {
        skip = 2;
    }
    size_t depth = 0;
    for (size_t i = skip; i < normalized.size(); ++i)
        if (normalized[i] == '\\' && i + 1 < normalized.size())
            ++depth;
    return depth;
}

// a is b, or a folder above b.
bool IsSameOrAbove(const std::string& a, const std::string& b)
{
    if (a.size() > b.size())
        return false;
    if (b.compare(0, a.size(), a) != 0)
        return false;
    return a.size() == b.size() || b[a.size()] == '\\';
}

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return NormalizeFolder(path);
}

std::string ParentOf(const std::string& normalized)
{
    const size_t slash = normalized.rfind('\\');
    if (slash == std::string::npos || DepthBelowRoot(normalized) == 0)
        return std::string();
    return normalized.substr(0, slash);
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
    while (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    if (full.size() == 3 && full[1] == ':')
        full.pop_back();
    if (IsUnc(full) && full.size() > 2 && full.back() == '\\')
        full.pop_back();
    return full;
}

bool IsOwnableFolder(const std::string& folder)
{
    const std::string path = Lower(NormalizeFolder(folder));
    if (path.empty() || DepthBelowRoot(path) == 0)
        return false;

    static const int kFolders[] = {
        CSIDL_WINDOWS,           CSIDL_SYSTEM,         CSIDL_SYSTEMX86,
        CSIDL_PROGRAM_FILES,     CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA, CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_COMMON_DOCUMENTS,  CSIDL_PROFILE,        CSIDL_DESKTOPDIRECTORY,
        CSIDL_PERSONAL,          CSIDL_APPDATA,        CSIDL_LOCAL_APPDATA,
    };
    std::string profiles;
    for (int csidl : kFolders) {
        const std::string known = Lower(KnownFolder(csidl));
        if (known.empty())
            continue;
        if (IsSameOrAbove(path, known))
            return false;
        if (csidl == CSIDL_PROFILE)
            profiles = ParentOf(known);
    }

    // Other users' profiles are not in the lists above: every folder directly in the profiles
    // folder is somebody's profile, and its Desktop and Documents are theirs too.
    if (!profiles.empty() && IsSameOrAbove(profiles, path)) {
        const std::string rest = path.substr(profiles.size());  // "\user[\...]"
        const size_t next = rest.find('\\', 1);
        if (next == std::string::npos)
            return false;
        const std::string below = rest.substr(next + 1);
        for (const char* personal : {"desktop", "documents", "my documents"})
            if (below == personal)
                return false;
    }
    return true;
}
