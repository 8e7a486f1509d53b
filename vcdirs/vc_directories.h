#pragma once
// The install folder in the directory lists ("Include Dirs", "Library Dirs", ...) of every
// user's VCComponents.dat. Best effort: a file that cannot be read or replaced is skipped.

#include "win32/code_page.h"
#include "win32/file_event.h"

#include <string>
#include <vector>

// One candidate path per user key under HKEY_USERS that names a "Local AppData" folder, last
// key first, in UTF-16 as the system keeps the folder. The files need not exist.
void ListVcComponentsFiles(std::vector<WidePath>& paths);

// Both edits return false when a settings file exists but could not be opened (an IDE holds it),
// read or replaced; a user without a settings file, an empty one or one without the list is
// no failure. events, when given, receive what became of each user's file.

// Appends the folder (less one trailing backslash) to the first list of that name in each file.
bool AddVcDirectory(const std::string& listName, const std::string& folder,
                    FileEvents* events = nullptr);

// Removes every whole entry of the folder from each file, in whatever line it stands.
bool RemoveVcDirectory(const std::string& folder, FileEvents* events = nullptr);
