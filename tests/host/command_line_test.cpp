#include "command_line.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* line;
    bool changeDirectory;
    const char* directory;
    bool uninstall;
};

const Case kCases[] = {
    // Quoted program path.
    {"\"C:\\Pkg\\setup.exe\" /uninstall", true, "C:\\Pkg", true},
    {"\"C:\\Pkg\\setup.exe\"", true, "C:\\Pkg", false},
    {"\"C:\\My Pkg\\setup.exe\"", true, "C:\\My Pkg", false},
    {"\"C:\\My Pkg\\setup.exe\" /uninstall", true, "C:\\My Pkg", true},
    {"\"C:\\setup.exe\" /uninstall", true, "C:", true},
    {"\"C:\\Pkg\\setup.exe\r\" /uninstall", true, "C:\\Pkg", true},
    {"\"C:\\Pkg\\setup.exe", true, "C:\\Pkg", false},
    // Unquoted program path: it ends at the first blank.
    {"C:\\Pkg\\setup.exe /uninstall", true, "C:\\Pkg", true},
    {"C:\\Pkg\\setup.exe\t/uninstall", true, "C:\\Pkg", true},
    {"C:\\My Pkg\\setup.exe", true, "C:", false},
    {"C:\\My Pkg\\setup.exe /uninstall", true, "C:", true},
    {"C:\\Pkg\\setup.exe\r/uninstall", true, "C:\\Pkg", true},
    // No backslash: the directory stays; the argument text starts after the first character.
    {"setup.exe /uninstall", false, "", true},
    {"setup.exe", false, "", false},
    {"\\setup.exe /uninstall", false, "", true},
    // Only "/uninstall", case-sensitive, anywhere in the argument text.
    {"\"C:\\Pkg\\setup.exe\" /UNINSTALL", true, "C:\\Pkg", false},
    {"\"C:\\Pkg\\setup.exe\" -uninstall", true, "C:\\Pkg", false},
    {"\"C:\\Pkg\\setup.exe\" x/uninstallnow", true, "C:\\Pkg", true},
    {"\"C:\\Pkg\\setup.exe\" /uninstallnow", true, "C:\\Pkg", true},
    {"\"C:\\Pkg\\setup.exe\" /uninstal", true, "C:\\Pkg", false},
    {"\"C:\\Pkg\\setup.exe\" /install", true, "C:\\Pkg", false},
    // Leading blanks and tabs are skipped.
    {"  \t \"C:\\Pkg\\setup.exe\" /uninstall", true, "C:\\Pkg", true},
    {" \t C:\\Pkg\\setup.exe", true, "C:\\Pkg", false},
    // Empty program paths.
    {"\"", false, "", false},
    {"", false, "", false},
    {"   \t ", false, "", false},
    {"\"\"", false, "", false},
    {"\"\"/uninstall", false, "", true},
    {"\"\" /uninstall", false, "", true},
    // The argument text starts inside the program path, one character after the backslash.
    {"\"C:\\Pkg\\/uninstall\"", true, "C:\\Pkg", true},
    {"C:\\/uninstall", true, "C:", true},
};

class ScanCommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ScanCommandLineTest, GivesFolderAndSwitch)
{
    const Case& c = GetParam();
    const CommandLine result = ScanCommandLine(c.line);
    EXPECT_EQ(result.changeDirectory, c.changeDirectory);
    EXPECT_EQ(result.directory, c.directory);
    EXPECT_EQ(result.uninstall, c.uninstall);
}

INSTANTIATE_TEST_SUITE_P(Table, ScanCommandLineTest, ::testing::ValuesIn(kCases));

TEST(ScanCommandLine, NullTextIsAnEmptyLine)
{
    const CommandLine result = ScanCommandLine(nullptr);
    EXPECT_FALSE(result.changeDirectory);
    EXPECT_FALSE(result.uninstall);
}

}  // namespace
