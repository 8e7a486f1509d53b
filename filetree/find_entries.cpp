#include "find_entries.h"

#include "win32/handle.h"

#include <algorithm>

namespace {

// Appends each accepted entry's long name to a vector of names.
class NameCollector {
public:
    explicit NameCollector(std::vector<std::string>* names) : names_(names) {}
    void operator()(const WIN32_FIND_DATAA& entry) { names_->emplace_back(entry.cFileName); }

private:
    std::vector<std::string>* names_;
};

// Adds up the sizes of the entries, and keeps the names of the folders among them.
class SizeCollector {
public:
    void operator()(const WIN32_FIND_DATAA& entry)
    {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            const std::string name = entry.cFileName;
            if (name != "." && name != "..")
                folders.push_back(name);
        } else {
            bytes += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        }
    }

    unsigned long long bytes = 0;
    std::vector<std::string> folders;
};

// One open search and its current entry record; closes the search when it goes.
class FindHandle {
public:
    bool Open(const char* pattern)
    {
        *search_.Slot() = FindFirstFileA(pattern, &record_);
        return search_.IsOpen();
    }

    // Hands every entry that the filter accepts to the consumer, starting with the first one.
    template <typename Consumer>
    void ForEachEntry(Consumer& consumer, EntryFilter filter)
    {
        if (!search_.IsOpen())
            return;
        do {
            const bool isFolder = (record_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (filter == AnyEntry || (filter == FilesOnly ? !isFolder : isFolder))
                consumer(record_);
        } while (FindNextFileA(search_.Get(), &record_));
    }

private:
    FindSearch search_;
    WIN32_FIND_DATAA record_ = {};
};

}  // namespace

void FindEntries(const char* pattern, std::vector<std::string>& names, EntryFilter filter)
{
    FindHandle search;
    search.Open(pattern);
    // Swapping releases the old storage, not just the strings.
    std::vector<std::string>().swap(names);
    NameCollector collector(&names);
    search.ForEachEntry(collector, filter);
}

std::vector<std::string> Subfolders(const std::string& folder)
{
    std::vector<std::string> names;
    FindEntries((folder + "*.*").c_str(), names, FoldersOnly);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& name) { return name == "." || name == ".."; }),
                names.end());
    return names;
}

unsigned long long TreeBytes(const std::string& folder)
{
    FindHandle search;
    search.Open((folder + "*.*").c_str());
    SizeCollector sizes;
    search.ForEachEntry(sizes, AnyEntry);
    for (const std::string& name : sizes.folders)
        sizes.bytes += TreeBytes(folder + name + "\\");
    return sizes.bytes;
}
