#pragma once
// The scan of the process command line: the folder that holds the program, and the switch.
// Platform-free: no Windows header here.

#include <string>

struct CommandLine {
    bool changeDirectory = false;  // a backslash was found in the program path
    std::string directory;         // the program path up to that backslash
    bool uninstall = false;        // "/uninstall" occurs in the argument text
};

CommandLine ScanCommandLine(const char* text);
