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

WidePath Widen(const std::string& ansi)
{
    if (ansi.empty())
        return WidePath();
    const int length = static_cast<int>(ansi.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    WidePath wide(units > 0 ? units : 0, L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, &wide[0], units);
    return wide;
}

std::string Narrow(const WidePath& path)
{
    if (path.empty())
        return std::string();
    const int length = static_cast<int>(path.size());
    // No best fit: "Ł" shown as "L" would name another folder.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int bytes = WideCharToMultiByte(CP_ACP, flags, path.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, flags, path.data(), length, &narrow[0], bytes, nullptr, nullptr);
    return narrow;
}

std::string AnsiToUtf16Le(const std::string& ansi)
{
    const WidePath wide = Widen(ansi);
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (const wchar_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}
