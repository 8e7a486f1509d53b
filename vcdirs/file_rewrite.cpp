#include "file_rewrite.h"

namespace {

typedef BOOL(WINAPI* ReplaceFileFunction)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);
typedef BOOL(WINAPI* MoveFileExFunction)(LPCSTR, LPCSTR, DWORD);

// The attributes a caller can set; the others (compressed, encrypted, ...) come with the file.
const DWORD SETTABLE_ATTRIBUTES = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

template <typename Function>
Function Kernel32Function(const char* name)
{
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return nullptr;
    // By way of the parameterless function type, the compiler's agreed generic one.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

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
                       const std::string& temp)
{
    // With a backup name every failure leaves the old content at a known name: at its own, or
    // (when the new file could not be moved in after the old one was moved out) at the backup.
    const std::string backup = BackupFileFor(path);
    if (replace(path.c_str(), temp.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        DeleteFileA(backup.c_str());
        return true;
    }
    if (!Exists(path))
        MoveFileA(backup.c_str(), path.c_str());
    return false;
}

bool SwapByMoveFile(MoveFileExFunction move, const std::string& path, const std::string& temp)
{
    return move(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

bool Swap(ReplaceMethod method, const std::string& path, const std::string& temp)
{
    if (method != REPLACE_WITH_MOVEFILE) {
        const ReplaceFileFunction replace =
            Kernel32Function<ReplaceFileFunction>("ReplaceFileA");
        if (replace)
            return SwapByReplaceFile(replace, path, temp);
        if (method == REPLACE_WITH_REPLACEFILE)
            return false;
    }
    const MoveFileExFunction move = Kernel32Function<MoveFileExFunction>("MoveFileExA");
    return move && SwapByMoveFile(move, path, temp);
}

}  // namespace

std::string TempFileFor(const std::string& path) { return path + ".quillon-new"; }

std::string BackupFileFor(const std::string& path) { return path + ".quillon-old"; }

bool ReplaceFileContent(const std::string& path, FileHandle& file, const std::string& text,
                        ReplaceMethod method)
{
    const std::string temp = TempFileFor(path);
    FileHandle newFile(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    // Whatever stands at that name already (a folder, a read-only file) is not ours to remove.
    if (!newFile.IsOpen())
        return false;
    const bool written = WriteAll(newFile, text);
    newFile.Close();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    file.Close();
    if (!written || !Swap(method, path, temp)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    // Neither way of swapping is sure to carry the attributes over (Wine's ReplaceFileA does
    // not), so the old ones are put back on the new file.
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        const DWORD now = GetFileAttributesA(path.c_str());
        const DWORD wanted = attributes & SETTABLE_ATTRIBUTES;
        if ((now & SETTABLE_ATTRIBUTES) != wanted)
            SetFileAttributesA(path.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
    }
    return true;
}
