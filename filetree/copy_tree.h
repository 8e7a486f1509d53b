#pragma once
// Copying the contents of a folder, with all its subfolders, into another folder. Best effort.

#include <string>

// Returns the number of files that could not be copied; a read-only file already at the
// destination is kept on purpose and not counted.
unsigned CopyFolderTree(const std::string& source, const std::string& destination);
// Both paths end in a backslash.
unsigned CopyFolderLevel(const std::string& source, const std::string& destination);

// The path with one backslash appended unless it is empty or already ends in one.
std::string WithTrailingBackslash(const std::string& path);
