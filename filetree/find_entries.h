#pragma once
// Listing a folder by wildcard: the bare names of the matching entries.

#include <string>
#include <vector>

// Which entries a listing accepts. Any value other than 0 and 1 acts as FoldersOnly.
typedef int EntryFilter;
enum : EntryFilter { AnyEntry = 0, FilesOnly = 1, FoldersOnly = 2 };

// names receives exactly the accepted names of this search, in the platform's order.
void FindEntries(const char* pattern, std::vector<std::string>& names, EntryFilter filter);

// The size of every file in folder (which ends in a backslash) and below it: one walk, the sizes
// read from the listing itself.
unsigned long long TreeBytes(const std::string& folder);

// The folders in folder (which ends in a backslash), "." and ".." left out, in the platform's
// order: the steps of every walk down a tree.
std::vector<std::string> Subfolders(const std::string& folder);
