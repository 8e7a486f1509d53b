#include "copy_tree.h"

#include "find_entries.h"

std::string WithTrailingBackslash(const std::string& path)
{
    if (!path.empty() && path.back() != '\\')
        return path + '\\';
    return path;
}

void CopyFolderTree(const std::string& source, const std::string& destination)
{
    CopyFolderLevel(WithTrailingBackslash(source), WithTrailingBackslash(destination));
}

void CopyFolderLevel(const std::string& source, const std::string& destination)
{
    CreateDirectoryA(destination.substr(0, destination.empty() ? 0 : destination.size() - 1).c_str(),
                     nullptr);

    std::vector<std::string> files;
    FindEntries((source + "*.*").c_str(), files, FilesOnly);
    for (const std::string& name : files)
        CopyFileA((source + name).c_str(), (destination + name).c_str(), FALSE);

    std::vector<std::string> folders;
    FindEntries((source + "*.*").c_str(), folders, FoldersOnly);
    for (const std::string& name : folders) {
        if (name == "." || name == "..")
            continue;
        CopyFolderLevel(source + name + "\\", destination + name + "\\");
    }
}
