#include "options.h"

#include "command_line.h"

#include <algorithm>
#include <cstring>

const char* const SETUP_USAGE =
    "setup.exe [/quiet] [/dir=FOLDER] [/log=FILE]\n"
    "setup.exe /uninstall [/quiet] [/log=FILE]\n"
    "\n"
    "/quiet\tno window and no question\n"
    "/dir=FOLDER\tthe install folder\n"
    "/log=FILE\tappend a log of the run to FILE\n"
    "/uninstall\tremove the library\n"
    "/? or /help\tshow this text\n"
    "\n"
    "Exit codes of a quiet run:\n"
    "0\tdone\n"
    "3010\tdone, a restart finishes it\n"
    "1603\trefused, failed or incomplete\n"
    "1618\tanother setup is running\n"
    "1639\tinvalid command line";

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ASCII only: the text is in the ANSI code page, and only our option names are compared.
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    if (text.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (Lower(text[i]) != prefix[i])
            return false;
    }
    return true;
}

bool EqualsNoCase(const std::string& text, const char* name)
{
    return text.size() == std::strlen(name) && StartsWithNoCase(text, name);
}

bool IsNewOption(const std::string& argument)
{
    return EqualsNoCase(argument, "/quiet") || EqualsNoCase(argument, "/?") ||
           EqualsNoCase(argument, "/help") || StartsWithNoCase(argument, "/dir") ||
           StartsWithNoCase(argument, "/log");
}

// The argument as the log shows it: quoted, and a line break inside it cannot split the line.
std::string Quoted(const std::string& argument)
{
    std::string text = "\"";
    for (char c : argument)
        text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return text + "\"";
}

// The first refusal is the one reported.
void Refuse(SetupOptions& options, const std::string& error)
{
    if (!options.valid)
        return;
    options.valid = false;
    options.error = error;
}

// A switch without a value; false when the line is refused.
bool TakeFlag(SetupOptions& options, bool& flag, const std::string& argument)
{
    if (flag) {
        Refuse(options, "option given twice: " + Quoted(argument));
        return false;
    }
    flag = true;
    return true;
}

// "/name=VALUE": the value is everything after the first "=", as it stands.
bool TakeValue(SetupOptions& options, bool& present, std::string& value,
               const std::string& argument)
{
    if (present) {
        Refuse(options, "option given twice: " + Quoted(argument));
        return false;
    }
    value = argument.substr(argument.find('=') + 1);
    if (value.empty()) {
        Refuse(options, "empty value: " + Quoted(argument));
        return false;
    }
    present = true;
    return true;
}

bool ReadArgument(SetupOptions& options, const std::string& argument)
{
    if (EqualsNoCase(argument, "/quiet"))
        return TakeFlag(options, options.quiet, argument);
    if (EqualsNoCase(argument, "/uninstall"))
        return TakeFlag(options, options.uninstall, argument);
    if (EqualsNoCase(argument, "/?") || EqualsNoCase(argument, "/help"))
        return TakeFlag(options, options.help, argument);
    if (StartsWithNoCase(argument, "/dir="))
        return TakeValue(options, options.hasFolder, options.folder, argument);
    if (StartsWithNoCase(argument, "/log="))
        return TakeValue(options, options.hasLog, options.logFile, argument);
    Refuse(options, "unknown argument " + Quoted(argument));
    return false;
}

}  // namespace

// The rules of the Microsoft C runtime from Visual C++ 2008 on (msvcr90 and later, the UCRT):
// inside a quoted part two double quotes give one literal quote and the quoted part goes on.
// The older msvcrt.dll and CommandLineToArgvW end the quoted part after that quote.
std::vector<std::string> SplitArguments(const char* commandLine, LeadByteTest isLead)
{
    std::vector<std::string> arguments;
    const char* p = commandLine ? commandLine : "";
    while (IsBlank(*p))
        ++p;

    // The program path knows no escapes: a file name cannot hold a double quote.
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p))
            ++p;
    }

    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            return arguments;

        std::string argument;
        bool inQuotes = false;
        while (*p != '\0' && (inQuotes || !IsBlank(*p))) {
            if (isLead(static_cast<unsigned char>(*p)) && p[1] != '\0') {
                argument.append(p, 2);
                p += 2;
                continue;
            }
            if (*p == '\\') {
                size_t backslashes = 0;
                while (*p == '\\') {
                    ++backslashes;
                    ++p;
                }
                if (*p != '"') {
                    argument.append(backslashes, '\\');
                    continue;
                }
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += *p++;
                    continue;
                }
            }
            if (*p != '"')
                argument += *p;
            else if (inQuotes && p[1] == '"')
                argument += *++p;
            else
                inQuotes = !inQuotes;
            ++p;
        }
        arguments.push_back(argument);
    }
}

SetupOptions ReadOptions(const char* commandLine, LeadByteTest isLead)
{
    SetupOptions options;
    const std::vector<std::string> arguments = SplitArguments(commandLine, isLead);
    if (std::none_of(arguments.begin(), arguments.end(), IsNewOption)) {
        // Every line that worked before works as before, down to "x/uninstallnow".
        options.uninstall = ScanCommandLine(commandLine, isLead).uninstall;
        return options;
    }

    options.extended = true;
    // Every argument is read even after a refusal: a refused quiet line must still show no
    // window, and log where it was asked to.
    std::string folderArgument;
    for (const std::string& argument : arguments) {
        if (ReadArgument(options, argument) && StartsWithNoCase(argument, "/dir="))
            folderArgument = argument;
    }
    if (options.hasFolder && options.uninstall)
        Refuse(options, Quoted(folderArgument) + " cannot be combined with \"/uninstall\"");
    return options;
}
