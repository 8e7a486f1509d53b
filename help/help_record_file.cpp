// The file halves of HelpRecordList, with the Win32 file calls.
#include "help_record_list.h"
#include "record_stream.h"
#include "win32/file_system.h"
#include "win32/handle.h"
#include "win32/safe_rewrite.h"

namespace {

// Help registration files are hidden, as the help system keeps them.
const DWORD kSavedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

RewriteOptions HelpFileRewrite()
{
    RewriteOptions options;
    options.tempSuffix = L".tmp";
    options.attributes = kSavedAttributes;
    return options;
}

}  // namespace

bool HelpRecordList::Load(const std::string& path)
{
    // A save that was stopped between its steps is finished first: the file read is the one the
    // help system sees.
    if (!FinishInterruptedRewrite(Widen(path), HelpFileRewrite()))
        return false;
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING,
                                      FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_ARCHIVE, nullptr));
    // A file of 4 GiB or more is refused, never read in part and later saved back shortened.
    // An empty one is parsed like any other, and found damaged.
    std::string text;
    DWORD sizeHigh = 0;
    if (!ReadWholeFile(file.Get(), text) &&
        !(file.IsOpen() && GetFileSize(file.Get(), &sizeHigh) == 0 && sizeHigh == 0))
        return false;
    RecordStream stream(std::vector<uint8_t>(text.begin(), text.end()));
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
    // The file lists every help collection on the machine: it is never truncated in place, so
    // a full disk or a failed write leaves the old content.
    FileHandle notHeld;
    return ReplaceFileContent(
        Widen(path), notHeld, std::string(stream.Bytes().begin(), stream.Bytes().end()), HelpFileRewrite());
}
