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

// One rename over the name: NTFS replaces in one step, Wine in one rename(2). ReplaceFileA
// moves the old file out before it moves the new one in, and a kill between the two would leave
// the name empty.
bool MoveOver(const WidePath& from, const WidePath& to)
{
    const MoveFileExWideFunction move = LookUpMoveFileExW();
    return move && move(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool IsFile(const WidePath& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A left-over of ours may have been left read-only by whoever copied the folder.
void DeleteLeftOver(const WidePath& path)
{
    if (!IsFile(path))
        return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

}  // namespace

HANDLE OpenForRewrite(const WidePath& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

bool ReplaceFileContent(const WidePath& path, FileHandle& heldOriginal, const std::string& text,
                        const RewriteOptions& options)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    // Windows refuses to replace a read-only file, and Wine does not: refused here for both.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    const WidePath temp = path + options.tempSuffix;
    FileHandle newFile(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   options.attributes ? options.attributes : FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    // Whatever else stands at that name already (a folder, a read-only file) is not ours to
    // remove.
    if (!newFile.IsOpen())
        return false;
    const bool written = WriteAll(newFile, text);
    newFile.Close();
    heldOriginal.Close();
    if (!written || !MoveOver(temp, path)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    // The rename carries the new file's attributes, so the wanted ones are put on it.
    const DWORD wanted = options.attributes ? options.attributes
                         : attributes != INVALID_FILE_ATTRIBUTES ? attributes & SETTABLE_ATTRIBUTES
                                                                  : FILE_ATTRIBUTE_NORMAL;
    if ((GetFileAttributesW(path.c_str()) & SETTABLE_ATTRIBUTES) != (wanted & SETTABLE_ATTRIBUTES))
        SetFileAttributesW(path.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
    return true;
}

bool FinishInterruptedRewrite(const WidePath& path, const RewriteOptions& options)
{
    // The temporary file was flushed before it was to take the name, but whether it was
    // complete cannot be told: the old content is the one to keep.
    DeleteLeftOver(path + options.tempSuffix);
    const WidePath backup = path + options.backupSuffix;
    if (!IsFile(backup))
        return true;
    if (Exists(path)) {
        DeleteLeftOver(backup);
        return true;
    }
    return MoveOver(backup, path);
}
