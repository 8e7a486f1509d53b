#include "safe_rewrite.h"

#include "file_system.h"
#include "system_functions.h"

namespace {

// The attributes a caller can set; the others (compressed, encrypted, ...) come with the file.
const DWORD SETTABLE_ATTRIBUTES = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool WriteAll(FileHandle& file, const std::string& text)
{
    DWORD written = 0;
    if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        return false;
    // The new text must be on the disk before it takes the place of the old one.
    return FlushFileBuffers(file.Get()) && file.Close();
}

bool SwapByReplaceFile(ReplaceFileFunction replace, const std::string& path,
                       const std::string& temp, const std::string& backup)
{
    // With a backup name every failure leaves the old content at a known name: at its own, or
    // (when the new file could not be moved in after the old one was moved out) at the backup.
    if (replace(path.c_str(), temp.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        DeleteFileA(backup.c_str());
        return true;
    }
    if (!Exists(path))
        MoveFileA(backup.c_str(), path.c_str());
    return false;
}

bool Swap(const RewriteOptions& options, const std::string& path, const std::string& temp)
{
    // ReplaceFileA replaces a file; there is none yet when a file is first written.
    if (options.method != REPLACE_WITH_MOVEFILE && Exists(path)) {
        const ReplaceFileFunction replace = LookUpReplaceFile();
        if (replace)
            return SwapByReplaceFile(replace, path, temp, path + options.backupSuffix);
        if (options.method == REPLACE_WITH_REPLACEFILE)
            return false;
    }
    const MoveFileExFunction move = LookUpMoveFileEx();
    return move &&
           move(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

bool ReplaceFileContent(const std::string& path, FileHandle& heldOriginal, const std::string& text,
                        const RewriteOptions& options)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    // Windows refuses to replace a read-only file, and Wine does not: refused here for both.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const std::string temp = path + options.tempSuffix;
    FileHandle newFile(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   options.attributes ? options.attributes : FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    // Whatever else stands at that name already (a folder, a read-only file) is not ours to
    // remove.
    if (!newFile.IsOpen())
        return false;
    const bool written = WriteAll(newFile, text);
    newFile.Close();
    heldOriginal.Close();
    if (!written || !Swap(options, path, temp)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    // Neither way of swapping is sure to carry the attributes over (Wine's ReplaceFileA does
    // not), so the wanted ones are put on the new file.
    const DWORD wanted = options.attributes ? options.attributes
                         : attributes != INVALID_FILE_ATTRIBUTES ? attributes & SETTABLE_ATTRIBUTES
                                                                  : FILE_ATTRIBUTE_NORMAL;
    if ((GetFileAttributesA(path.c_str()) & SETTABLE_ATTRIBUTES) != (wanted & SETTABLE_ATTRIBUTES))
        SetFileAttributesA(path.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
    return true;
}
