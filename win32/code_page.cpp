#include "code_page.h"

#include <windows.h>

bool IsAnsiLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

std::string WithTrailingBackslash(const std::string& path)
{
    if (!path.empty() && !EndsWithCharacter(path, '\\', IsAnsiLeadByte))
        return path + '\\';
    return path;
}

std::string AnsiToUtf16Le(const std::string& ansi)
{
    if (ansi.empty())
        return std::string();
    const int length = static_cast<int>(ansi.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    std::wstring wide(units > 0 ? units : 0, L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, &wide[0], units);
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (const wchar_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}
