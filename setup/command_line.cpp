#include "command_line.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

CommandLine ScanCommandLine(const char* text, LeadByteTest isLead)
{
    CommandLine result;
    if (!text)
        text = "";
    const size_t length = std::strlen(text);

    size_t i = 0;
    while (IsBlank(text[i]))
        ++i;

    const bool quoted = text[i] == '"';
    const size_t start = quoted ? i + 1 : i;
    size_t end = start;
    if (quoted) {
        while (text[end] != '\0' && text[end] != '"' && text[end] != '\r')
            ++end;
    } else {
        while (text[end] != '\0' && !IsBlank(text[end]) && text[end] != '\r')
            ++end;
    }

    size_t argumentStart;
    if (end > start) {
        // The last backslash of the path, its first character not counted; the second byte of
        // a double-byte character is no backslash.
        const size_t last = FindLastCharacter(std::string(text + start, end - start), '\\', isLead);
        const size_t k = last == std::string::npos ? start : start + last;
        if (k > start) {
            result.changeDirectory = true;
            result.directory.assign(text + start, k - start);
            argumentStart = k + 1;
        } else {
            argumentStart = start + 1;
        }
    } else {
        argumentStart = quoted ? end + 1 : start + 1;
    }

    // The switch test searches the rest of the line, which starts inside the program path.
    if (argumentStart <= length)
        result.uninstall = std::strstr(text + argumentStart, "/uninstall") != nullptr;
    return result;
}
