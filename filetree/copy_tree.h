#pragma once
// Copying the contents of a folder, with all its subfolders, into another folder. Best effort.

#include "win32/file_event.h"

#include <string>

// What a copy did: every file of the source tree is either in place afterwards (copied, or a
// read-only file already there, kept on purpose) or listed as not copied.
struct CopyReport {
    unsigned files = 0;             // files in the source tree
    unsigned long long bytes = 0;   // the size of the files in place
    FileEvents notCopied;           // with the copy's error code
};

// Returns the number of files that could not be copied; report, when given, is added to.
unsigned CopyFolderTree(const std::string& source, const std::string& destination,
                        CopyReport* report = nullptr);
// Both paths end in a backslash.
unsigned CopyFolderLevel(const std::string& source, const std::string& destination,
                         CopyReport& report);

