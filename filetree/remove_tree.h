#pragma once
// Removing a folder with everything below it; what cannot go now is left to the system for
// deletion at the next restart. Best effort.

#include "win32/file_event.h"

#include <string>

// What happens to a read-only file that the removal meets: kept (deleted at the restart only if
// the system can), or made writable first, for a tree that is wholly the program's own.
enum ReadOnlyFiles { KeepReadOnlyFiles, ClearReadOnlyFiles };

// Refuses (does nothing and returns false) for any folder that IsOwnableFolder rejects, a missing
// one and a path that names a file among them. events, when given, receive each file and folder
// as "removed", "scheduled for the restart" (with the error that kept it) or "not removed".
bool RemoveFolderTree(const std::string& folder, ReadOnlyFiles readOnly = KeepReadOnlyFiles,
                      FileEvents* events = nullptr);
