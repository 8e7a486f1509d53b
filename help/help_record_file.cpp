// The file halves of HelpRecordList, with the Win32 file calls.

#include "help_record_list.h"
#include "record_stream.h"

#include <windows.h>

namespace {

// Owns one file handle; INVALID_HANDLE_VALUE when empty.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    void Close()
    {
        if (Valid())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

const DWORD kSavedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

// Writes the image to a new file at path and makes sure it reached the disk; removes what it
// created when anything fails.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& image)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, kSavedAttributes, nullptr));
    if (!file.Valid())
        return false;
    const DWORD size = static_cast<DWORD>(image.size());
    DWORD written = 0;
    const bool complete = WriteFile(file.Get(), image.data(), size, &written, nullptr) &&
                          written == size && FlushFileBuffers(file.Get());
    file.Close();
    if (!complete)
        DeleteFileA(path.c_str());
    return complete;
}

}  // namespace

bool HelpRecordList::Load(const std::string& path)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_ARCHIVE,
                                nullptr));
    if (!file.Valid())
        return false;
    // Only the low half of the size fits one read: a larger file is refused, never read in part
    // and later saved back shortened.
    DWORD sizeHigh = 0;
    const DWORD size = GetFileSize(file.Get(), &sizeHigh);
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || sizeHigh != 0)
        return false;

    RecordStream stream;
    stream.Bytes().resize(size);
    DWORD read = 0;
    BYTE empty = 0;
    BYTE* buffer = size ? stream.Bytes().data() : &empty;
    if (!ReadFile(file.Get(), buffer, size, &read, nullptr) || read != size)
        return false;
    try {
        Parse(stream);
    } catch (const char*) {
        return false;
    }
    return true;
}

bool HelpRecordList::Save(const std::string& path) const
{
    RecordStream stream;
    try {
        Serialize(stream);
    } catch (const char*) {
        return false;
    }

    // CREATE_ALWAYS would refuse a read-only file; renaming over it is refused by Windows but
    // not by Wine, so the check is made here for both.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;

    // The file lists every help collection on the machine: it is never truncated in place, so
    // a full disk or a failed write leaves the old content.
    const std::string temp = path + ".tmp";
    if (!WriteWholeFile(temp, stream.Bytes()))
        return false;
    if (!MoveFileExA(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}
