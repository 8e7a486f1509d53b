#pragma once
// The scan of the process command line: the folder that holds the program, and the switch.
// Platform-free: no Windows header here.

#include "win32/ansi_text.h"

#include <string>

struct CommandLine {
    bool changeDirectory = false;  // a backslash was found in the program path
    std::string directory;         // the program path up to that backslash
    bool uninstall = false;        // "/uninstall" occurs in the argument text
};

// isLead: which bytes open a two-byte character in the code page of text.
CommandLine ScanCommandLine(const char* text, LeadByteTest isLead);
