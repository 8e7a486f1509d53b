#include "file_system.h"

#include "handle.h"

bool PathExists(const std::string& path)
{
    WIN32_FIND_DATAA entry;
    return FindSearch(FindFirstFileA(path.c_str(), &entry)).IsOpen();
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Exists(const WidePath& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLink(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool ReadWholeFile(HANDLE file, std::string& text)
{
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD size = GetFileSize(file, &high);
    // Read by its low 32 bits alone, a larger file would come in short and be written back
    // short.
    if (high != 0 || (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)) {
        text.clear();
        return false;
    }
    text.resize(size);
    if (size == 0)
        return false;
    DWORD read = 0;
    return ReadFile(file, &text[0], size, &read, nullptr) && read == size;
}
