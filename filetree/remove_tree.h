#pragma once
// Removing a folder with everything below it; what cannot go now is left to the system for
// deletion at the next restart. Best effort.

#include <string>

// Refuses (does nothing and returns false) for any folder that IsOwnableFolder rejects, and for
// a path that names a file.
bool RemoveFolderTree(const std::string& folder);
