#pragma once
// Removing a folder with everything below it; what cannot go now is left to the system for
// deletion at the next restart. Best effort.

#include "win32/file_event.h"

#include <string>

// What happens to a read-only file that the removal meets: kept (deleted at the restart only if
// the system can), or made writable first, for a tree that is wholly the program's own.
enum ReadOnlyFiles { KeepReadOnlyFiles, ClearReadOnlyFiles };

// What the events call a file or folder left to the system for the next restart.
extern const char* const SCHEDULED_FOR_RESTART;

// Refuses (does nothing and returns false) for any folder that IsOwnableFolder rejects, a missing
// one and a path that names a file among them. events, when given, receive each file and folder
// as "removed", SCHEDULED_FOR_RESTART (with the error that kept it) or "not removed".
bool RemoveFolderTree(const std::string& folder, ReadOnlyFiles readOnly = KeepReadOnlyFiles,
                      FileEvents* events = nullptr);

// Removes one file as RemoveFolderTree removes each one, its event going to events.
void RemoveFile(const std::string& path, ReadOnlyFiles readOnly, FileEvents* events);

// Removes one folder if it is empty (a link, as a link), as RemoveFolderTree removes each one.
void RemoveEmptyFolder(const std::string& folder, FileEvents* events);

// Whether the event, or any of events, is a file or folder that neither went nor waits for the
// restart.
bool IsNotRemoved(const FileEvent& event);
bool AnyNotRemoved(const FileEvents& events);
