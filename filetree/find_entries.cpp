#include "find_entries.h"

FindHandle::~FindHandle()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        FindClose(handle_);
}

bool FindHandle::Open(const char* pattern)
{
    if (handle_ != INVALID_HANDLE_VALUE)
        FindClose(handle_);
    handle_ = FindFirstFileA(pattern, &record_);
    return handle_ != INVALID_HANDLE_VALUE;
}

void FindHandle::ForEachEntry(NameCollector& consumer, EntryFilter filter)
{
    if (handle_ == INVALID_HANDLE_VALUE)
        return;
    do {
        const bool isFolder = (record_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (filter == AnyEntry || (filter == FilesOnly ? !isFolder : isFolder))
            consumer(record_);
    } while (FindNextFileA(handle_, &record_));
}

void FindEntries(const char* pattern, std::vector<std::string>& names, EntryFilter filter)
{
    FindHandle search;
    search.Open(pattern);
    // Swapping releases the old storage, not just the strings.
    std::vector<std::string>().swap(names);
    NameCollector collector(&names);
    search.ForEachEntry(collector, filter);
}

bool PathExists(const std::string& path)
{
    FindHandle search;
    return search.Open(path.c_str());
}
