#pragma once
// Listing a folder by wildcard: the bare names of the matching entries.

#include <windows.h>

#include <string>
#include <vector>

// Which entries a listing accepts. Any value other than 0 and 1 acts as FoldersOnly.
typedef int EntryFilter;
enum : EntryFilter { AnyEntry = 0, FilesOnly = 1, FoldersOnly = 2 };

// Appends each accepted entry's long name to a vector of names.
class NameCollector {
public:
    explicit NameCollector(std::vector<std::string>* names) : names_(names) {}
    void operator()(const WIN32_FIND_DATAA& entry) { names_->emplace_back(entry.cFileName); }

private:
    std::vector<std::string>* names_;
};

// One open search and its current entry record; closes the search when it goes.
class FindHandle {
public:
    FindHandle() = default;
    ~FindHandle();
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool Open(const char* pattern);
    // Hands every entry that the filter accepts to the consumer, starting with the first one.
    void ForEachEntry(NameCollector& consumer, EntryFilter filter);

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA record_ = {};
};

// names receives exactly the accepted names of this search, in the platform's order.
void FindEntries(const char* pattern, std::vector<std::string>& names, EntryFilter filter);

// True when the platform finds the path (a folder path without trailing backslash finds the
// folder itself).
bool PathExists(const std::string& path);
