#include "copy_tree.h"

#include "find_entries.h"

#include <windows.h>

std::string WithTrailingBackslash(const std::string& path)
{
    if (!path.empty() && path.back() != '\\')
        return path + '\\';
    return path;
}

namespace {

bool IsReadOnlyFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

unsigned CopyFolderTree(const std::string& source, const std::string& destination)
{
    return CopyFolderLevel(WithTrailingBackslash(source), WithTrailingBackslash(destination));
}

unsigned CopyFolderLevel(const std::string& source, const std::string& destination)
{
    unsigned failed = 0;
    CreateDirectoryA(destination.substr(0, destination.empty() ? 0 : destination.size() - 1).c_str(),
                     nullptr);

    std::vector<std::string> files;
    FindEntries((source + "*.*").c_str(), files, FilesOnly);
    for (const std::string& name : files) {
        const std::string target = destination + name;
        if (!CopyFileA((source + name).c_str(), target.c_str(), FALSE) && !IsReadOnlyFile(target))
            ++failed;
    }

    for (const std::string& name : Subfolders(source))
        failed += CopyFolderLevel(source + name + "\\", destination + name + "\\");
    return failed;
}
