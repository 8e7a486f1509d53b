#pragma once
// The install folder in the directory lists ("Include Dirs", "Library Dirs", ...) of every
// user's VCComponents.dat. Best effort: a file that cannot be read or replaced is skipped.

#include <windows.h>

#include <string>
#include <vector>

// One candidate path per user key under HKEY_USERS that names a "Local AppData" folder, last
// key first. The files need not exist.
void ListVcComponentsFiles(std::vector<std::string>& paths);

// True when the whole file, from the handle's position, came into text (resized to the file's
// size first). An empty file, a short read and a file of 4 GB or more give false.
bool ReadWholeFile(HANDLE file, std::string& text);

// Appends the folder (less one trailing backslash) to the first list of that name in each file.
void AddVcDirectory(const std::string& listName, const std::string& folder);

// Removes every whole entry of the folder from each file, in whatever line it stands.
void RemoveVcDirectory(const std::string& folder);
