#include "code_pages.h"
#include "command_line.h"
#include "options.h"

#include <gtest/gtest.h>

namespace {

// directory null: no backslash was found, the current folder stays. cp932: the line is in code
// page 932, where the second byte of "表" (95 5C) is no backslash.
const struct Case { const char* line; const char* directory; bool uninstall; bool cp932 = false; } kCases[] = {
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
    // The program's folder ends at its last backslash character.
    {"\"C:\\Pkg\\\x95\x5C.exe\" /uninstall", "C:\\Pkg", true, true},
    {"C:\\\x83\x5C\\\x95\x5Csetup.exe", "C:\\\x83\x5C", false, true},
    {"\"\x95\x5Csetup.exe\"", nullptr, false, true},
};

TEST(ScanCommandLine, GivesFolderAndSwitch)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line ? c.line : "(null)");
        const CommandLine result = ScanCommandLine(c.line, c.cp932 ? Cp932Lead : NoLeadBytes);
        EXPECT_EQ(result.changeDirectory, c.directory != nullptr);
        EXPECT_EQ(result.directory, c.directory ? c.directory : "");
        EXPECT_EQ(result.uninstall, c.uninstall);
    }
}

// Everything ReadOptions found, as one text: the failure shows the whole difference at once.
std::string Describe(const SetupOptions& o)
{
    std::string text = o.extended ? "extended" : "legacy";
    if (!o.valid)
        text += " refused";
    if (!o.error.empty())
        text += " {" + o.error + "}";
    if (o.quiet)
        text += " quiet";
    if (o.help)
        text += " help";
    if (o.uninstall)
        text += " uninstall";
    if (o.hasFolder)
        text += " dir=[" + o.folder + "]";
    if (o.hasLog)
        text += " log=[" + o.logFile + "]";
    return text;
}

const std::string kHyou = "\x95\x5C";  // "表" in code page 932

// cp932: the line is in code page 932.
const struct OptionsCase { std::string line; std::string expected; bool cp932 = false; } kOptionsCases[] = {
    // Quotes group blanks and tabs; a quote may open or close anywhere in an argument.
    {R"("C:\Pkg\setup.exe" /quiet "/dir=C:\My Lib")", R"(extended quiet dir=[C:\My Lib])"},
    {R"("C:\Pkg\setup.exe" /dir="C:\My Lib"\x "/log=a)" "\t" R"(b")",
     "extended dir=[C:\\My Lib\\x] log=[a\tb]"},
    {" \t" R"(C:\Pkg\setup.exe)" "\t/QUIET\t" R"(/Log=D:\l.txt)", R"(extended quiet log=[D:\l.txt])"},
    {R"("C:\Pkg\setup.exe"/quiet)", "extended quiet"},
    // 2n backslashes before a quote give n and the quote groups; 2n+1 give n and a quote.
    {R"("C:\Pkg\setup.exe" "/dir=C:\My Lib\\" /quiet)", R"(extended quiet dir=[C:\My Lib\])"},
    {R"("C:\Pkg\setup.exe" /dir=\\\\"a b")", R"(extended dir=[\\a b])"},
    {R"("C:\Pkg\setup.exe" /dir=a\"b /log=c\\\"d)", R"(extended dir=[a"b] log=[c\"d])"},
    // Backslashes before anything else are kept as they stand.
    {R"("C:\Pkg\setup.exe" /dir=C:\dir\\ /log=\\srv\share\x.log)",
     R"(extended dir=[C:\dir\\] log=[\\srv\share\x.log])"},
    // "" inside a quoted part is a quote and the part goes on; outside it is an empty part.
    {R"("C:\Pkg\setup.exe" "/dir=C:\a ""b"" c" /log=a""b)", R"(extended dir=[C:\a "b" c] log=[ab])"},
    // A value is everything after the first "=", whatever it holds.
    {R"("C:\Pkg\setup.exe" /quiet "/dir=C:\x /uninstall")", R"(extended quiet dir=[C:\x /uninstall])"},
    {R"("C:\Pkg\setup.exe" /quiet /dir=C:\a/uninstall /log=a=b)",
     R"(extended quiet dir=[C:\a/uninstall] log=[a=b])"},
    {R"("C:\Pkg\setup.exe" /UnInstall /Quiet /LOG=u.log)", "extended quiet uninstall log=[u.log]"},
    {R"("C:\Pkg\setup.exe" /?)", "extended help"},
    {R"("C:\Pkg\setup.exe" /help)", "extended help"},
    {R"("C:\Pkg\setup.exe" /log=x.log)", "extended log=[x.log]"},
    {R"("C:\Pkg\setup.exe" /HELP /quiet /dir=x)", "extended quiet help dir=[x]"},
    // Once a new option is there, every argument must be one.
    {R"("C:\Pkg\setup.exe" /quiet /foo)", R"(extended refused {unknown argument "/foo"} quiet)"},
    {R"("C:\Pkg\setup.exe" /dir)", R"(extended refused {unknown argument "/dir"})"},
    // A refused line is read to its end: a quiet one stays quiet.
    {R"("C:\Pkg\setup.exe" /logfile=x /quiet)", R"(extended refused {unknown argument "/logfile=x"} quiet)"},
    {R"("C:\Pkg\setup.exe" /quiet "")", R"(extended refused {unknown argument ""} quiet)"},
    {R"("C:\Pkg\setup.exe" /? /uninstall=x)", R"(extended refused {unknown argument "/uninstall=x"} help)"},
    {R"("C:\Pkg\setup.exe" /dir=)", R"(extended refused {empty value: "/dir="})"},
    {R"("C:\Pkg\setup.exe" /quiet "/LOG=")", R"(extended refused {empty value: "/LOG="} quiet)"},
    {R"("C:\Pkg\setup.exe" /quiet /QUIET)", R"(extended refused {option given twice: "/QUIET"} quiet)"},
    {R"("C:\Pkg\setup.exe" /dir=a /Dir=b)", R"(extended refused {option given twice: "/Dir=b"} dir=[a])"},
    {R"("C:\Pkg\setup.exe" /uninstall /dir=C:\x)",
     R"(extended refused {"/dir=C:\x" cannot be combined with "/uninstall"} uninstall dir=[C:\x])"},
    // Without a new option the line means what it always meant.
    {R"("C:\Pkg\setup.exe" x/uninstallnow)", "legacy uninstall"},
    {R"("C:\Pkg\setup.exe" /UNINSTALL)", "legacy"},
    {R"("C:\Pkg\setup.exe" /foo -quiet /quietly "/x /uninstall")", "legacy uninstall"},
    {R"("C:\x /quiet\setup.exe" /uninstall)", "legacy uninstall"},
    {R"(C:\Pkg\setup.exe)", "legacy"},
    {"", "legacy"},
    // Code page 932: a trail byte 5C before a quote is no backslash before a quote; a lead byte
    // at the very end is a character of its own. In 1252 the same bytes are two characters.
    {"setup.exe /quiet \"/dir=C:\\" + kHyou + "\" \"/log=C:\\" + kHyou + "\"",
     "extended quiet dir=[C:\\" + kHyou + "] log=[C:\\" + kHyou + "]", true},
    {"setup.exe \"/dir=C:\\" + kHyou + "\\\\\" /quiet", "extended quiet dir=[C:\\" + kHyou + "\\]", true},
    {"setup.exe /dir=C:\\a\x95", "extended dir=[C:\\a\x95]", true},
    {"setup.exe \"/dir=C:\\" + kHyou + "\" /quiet", "extended dir=[C:\\\x95\" /quiet]"},
};

TEST(ReadOptions, ReadsEachLineAsTheRuntimeSplitsIt)
{
    for (const OptionsCase& c : kOptionsCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Describe(ReadOptions(c.line.c_str(), c.cp932 ? Cp932Lead : NoLeadBytes)), c.expected);
    }
    EXPECT_EQ(Describe(ReadOptions(nullptr, NoLeadBytes)), "legacy");
}

}  // namespace
