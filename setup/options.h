#pragma once
// The deployment options of the command line (/quiet, /dir=, /log=, /?): read as whole arguments.
// A line without any of them keeps the legacy switch scan of command_line.h.
// Platform-free: no Windows header here.

#include "win32/ansi_text.h"

#include <string>
#include <vector>

struct SetupOptions {
    bool extended = false;  // a new option is present: every argument was read as an option
    bool valid = true;      // false: the line is refused (exit code 1639 in a quiet run); the
                            // other fields still hold what the arguments said
    std::string error;      // why it was refused, one line for the log
    bool quiet = false;
    bool help = false;      // "/?" or "/help"
    bool uninstall = false; // legacy: "/uninstall" as a plain substring of the argument text;
                            // extended: a whole argument "/uninstall"
    bool hasFolder = false;
    std::string folder;     // /dir=FOLDER
    bool hasLog = false;
    std::string logFile;    // /log=FILE
};

// The arguments after the program path, split as the C runtime splits them: a lead byte and the
// byte after it are one character (isLead), so that byte is never a backslash before a quote.
std::vector<std::string> SplitArguments(const char* commandLine, LeadByteTest isLead);

SetupOptions ReadOptions(const char* commandLine, LeadByteTest isLead);

// The usage text shown by /? and after a refused line; lines separated by "\n".
extern const char* const SETUP_USAGE;
