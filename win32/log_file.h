#pragma once
// The log of one run, appended to a file that a script or an administrator reads afterwards:
// one line per event, each stamped with the local time.

#include "code_page.h"
#include "handle.h"

#include <string>

class LogFile {
public:
    LogFile() = default;  // a log that writes nowhere
    // Opens path for appending, creating it; a path that cannot be opened gives a log that
    // writes nowhere, so that the log never changes the result of the run.
    // UTF-16, since the default folder lies in the user's profile, which need not fit the code page.
    explicit LogFile(const WidePath& path);

    void Write(const std::string& line);
    bool IsOpen() const { return file_.IsOpen(); }

private:
    FileHandle file_;
};

// Where a quiet run logs when no file is named: "Quillon setup.log" in the user's temporary folder.
WidePath DefaultLogPath();
