#include "copy_tree.h"

#include "find_entries.h"
#include "remove_tree.h"
#include "win32/code_page.h"

#include <windows.h>

namespace {

bool IsReadOnlyFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

unsigned long long FileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

unsigned CopyFolderTree(const std::string& source, const std::string& destination,
                        CopyReport* report)
{
    CopyReport local;
    return CopyFolderLevel(WithTrailingBackslash(source), WithTrailingBackslash(destination),
                           report ? *report : local);
}

unsigned CopyFolderLevel(const std::string& source, const std::string& destination,
                         CopyReport& report)
{
    unsigned failed = 0;
    const std::string folder = destination.substr(0, destination.empty() ? 0 : destination.size() - 1);
    if (CreateDirectoryA(folder.c_str(), nullptr))
        report.made.push_back(destination);

    std::vector<std::string> files;
    FindEntries((source + "*.*").c_str(), files, FilesOnly);
    for (const std::string& name : files) {
        if (report.stopped)
            return failed;
        const std::string target = destination + name;
        ++report.files;
        if (!CopyFileA((source + name).c_str(), target.c_str(), FALSE)) {
            const DWORD error = GetLastError();
            if (!IsReadOnlyFile(target)) {
                ++failed;
                AddEvent(&report.notCopied, "not copied", target, error);
                continue;
            }
        } else {
            report.made.push_back(target);
        }
        report.bytes += FileBytes(target);
        if (report.listener && !report.listener->FileCopied(report.bytes))
            report.stopped = true;
    }

    for (const std::string& name : Subfolders(source))
        if (!report.stopped)
            failed += CopyFolderLevel(source + name + "\\", destination + name + "\\", report);
    return failed;
}

void UndoCopy(const CopyReport& report, FileEvents* events)
{
    for (auto made = report.made.rbegin(); made != report.made.rend(); ++made) {
        if (EndsWithCharacter(*made, '\\', IsAnsiLeadByte))
            RemoveEmptyFolder(made->substr(0, made->size() - 1), events);
        else
            RemoveFile(*made, ClearReadOnlyFiles, events);
    }
}
