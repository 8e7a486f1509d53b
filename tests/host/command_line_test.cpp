#include "command_line.h"

#include <gtest/gtest.h>

namespace {

// directory null: no backslash was found, the current folder stays.
const struct Case { const char* line; const char* directory; bool uninstall; } kCases[] = {
    // Quoted program path: blanks belong to it, a carriage return or the line's end closes it.
    {"\"C:\\My Pkg\\setup.exe\" /uninstall", "C:\\My Pkg", true},
    {"\"C:\\Pkg\\setup.exe\r\\x\" /uninstall", "C:\\Pkg", true},
    {"\"C:\\Pkg\\setup.exe", "C:\\Pkg", false},
    // Unquoted program path: it ends at the first blank, tab or carriage return.
    {"C:\\My Pkg\\setup.exe /uninstall", "C:", true},
    {"C:\\Pkg\\setup.exe\t\\x/uninstall", "C:\\Pkg", true},
    {"C:\\Pkg\\setup.exe\r\\x/uninstall", "C:\\Pkg", true},
    // Leading blanks and tabs are skipped.
    {"  \t \"C:\\Pkg\\setup.exe\" /uninstall", "C:\\Pkg", true},
    // Without a backslash the argument text starts after the path's first character.
    {"setup.exe /uninstall", nullptr, true},
    {"/uninstall", nullptr, false},
    {"\\setup.exe /uninstall", nullptr, true},
    // Only "/uninstall", case-sensitive, anywhere in the argument text, which starts inside
    // the program path, one character after its last backslash.
    {"\"C:\\Pkg\\setup.exe\" /UNINSTALL", "C:\\Pkg", false},
    {"\"C:\\Pkg\\setup.exe\" x/uninstallnow", "C:\\Pkg", true},
    {"\"C:\\Pkg\\/uninstall\"", "C:\\Pkg", true},
    // Empty program paths.
    {"", nullptr, false},
    {"\"", nullptr, false},
    {"\"\"/uninstall", nullptr, true},
    {nullptr, nullptr, false},
};

TEST(ScanCommandLine, GivesFolderAndSwitch)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line ? c.line : "(null)");
        const CommandLine result = ScanCommandLine(c.line);
        EXPECT_EQ(result.changeDirectory, c.directory != nullptr);
        EXPECT_EQ(result.directory, c.directory ? c.directory : "");
        EXPECT_EQ(result.uninstall, c.uninstall);
    }
}

}  // namespace
