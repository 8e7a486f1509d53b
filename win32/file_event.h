#pragma once
// What a service did to one file or folder, as a value for whoever keeps the record of the run.

#include <string>
#include <vector>

struct FileEvent {
    const char* what;         // "removed", "scheduled for the restart", "not copied", ...
    std::string path;
    unsigned long error = 0;  // the system's error code; 0 when there is none to give
};

typedef std::vector<FileEvent> FileEvents;

// Adds an event to events; nothing when events is null (nobody asked).
void AddEvent(FileEvents* events, const char* what, const std::string& path, unsigned long error = 0);

// "what: path", and " (error N)" when there is a code.
std::string DescribeEvent(const FileEvent& event);
