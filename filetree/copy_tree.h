#pragma once
// Copying the contents of a folder, with all its subfolders, into another folder. Best effort.

#include "win32/file_event.h"

#include <string>
#include <vector>

// Hears of each file the copy tried, copied or not, and may stop the copy before the next one.
class CopyListener {
public:
    virtual ~CopyListener() = default;
    // bytes: the size of the files in place so far. False stops the copy.
    virtual bool FileCopied(unsigned long long bytes) = 0;
};

// What a copy did: every file of the source tree is either in place afterwards (copied, or a
// read-only file already there, kept on purpose) or listed as not copied, unless the listener
// stopped the copy.
struct CopyReport {
    unsigned files = 0;             // files in the source tree
    unsigned long long bytes = 0;   // the size of the files in place
    FileEvents notCopied;           // with the copy's error code
    CopyListener* listener = nullptr;
    // A file of the top folder copied before all others (any case); cleared once it is taken.
    std::string first;
    bool stopped = false;           // the listener stopped the copy
    // The folders the copy created (with a trailing backslash) and the files it created (not
    // those it overwrote), in order.
    std::vector<std::string> made;
};

// Takes away what the copy made, newest first: the files it created (read-only ones too) and the
// folders it created, once empty. Files it overwrote stay, with the copy's content. events, when given, receive each path as
// RemoveFolderTree's do.
void UndoCopy(const CopyReport& report, FileEvents* events);

// Returns the number of files that could not be copied; report, when given, is added to.
unsigned CopyFolderTree(const std::string& source, const std::string& destination,
                        CopyReport* report = nullptr);
// Both paths end in a backslash.
unsigned CopyFolderLevel(const std::string& source, const std::string& destination,
                         CopyReport& report);

