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

namespace {

// Copies one file of the level; false when it failed (a read-only file kept in place is no
// failure). Only a file that was not there before is the copy's own to take back: one it
// overwrote (an earlier install's, or whatever a folder held) would be lost with it.
bool CopyOneFile(const std::string& source, const std::string& destination, const std::string& name,
                 CopyReport& report)
{
    const std::string target = destination + name;
    const std::string from = source + name;
    ++report.files;
    bool copied = CopyFileA(from.c_str(), target.c_str(), TRUE) != FALSE;
    DWORD error = copied ? 0 : GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
        copied = CopyFileA(from.c_str(), target.c_str(), FALSE) != FALSE;
        error = copied ? 0 : GetLastError();
    } else if (copied || GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        report.made.push_back(target);  // a failed copy may leave an empty file, ours too
    }
    const bool kept = copied || IsReadOnlyFile(target);
    if (kept)
        report.bytes += FileBytes(target);
    else
        AddEvent(&report.notCopied, "not copied", target, error);
    // A failed file may stop the copy as well: a full disk fails every file after it.
    if (report.listener && !report.listener->FileCopied(report.bytes))
        report.stopped = true;
    return kept;
}

}  // namespace

unsigned CopyFolderLevel(const std::string& source, const std::string& destination,
                         CopyReport& report)
{
    unsigned failed = 0;
    const std::string folder = destination.substr(0, destination.empty() ? 0 : destination.size() - 1);
    if (CreateDirectoryA(folder.c_str(), nullptr))
        report.made.push_back(destination);

    std::vector<std::string> files;
    FindEntries((source + "*.*").c_str(), files, FilesOnly);
    const std::string* first = nullptr;
    for (const std::string& name : files)
        if (!report.first.empty() && lstrcmpiA(name.c_str(), report.first.c_str()) == 0)
            first = &name;
    report.first.clear();
    if (first && !CopyOneFile(source, destination, *first, report))
        ++failed;
    for (const std::string& name : files) {
        if (report.stopped)
            return failed;
        if (&name != first && !CopyOneFile(source, destination, name, report))
            ++failed;
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
