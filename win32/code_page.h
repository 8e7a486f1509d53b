#pragma once
// The machine's ANSI code page, in which every path and argument of the program is held.

#include "ansi_text.h"

#include <string>

// Whether the byte opens a two-byte character in the ANSI code page (932, 936, 949, 950).
bool IsAnsiLeadByte(unsigned char byte);

// The path with one backslash appended unless it is empty or already ends in one (the second
// byte of a double-byte character is no backslash).
std::string WithTrailingBackslash(const std::string& path);

// The UTF-16 code units of an ANSI string, each as its two bytes, low byte first.
std::string AnsiToUtf16Le(const std::string& ansi);

// A path as the file system names it. The program holds paths in the ANSI code page, but the
// system hands some over in UTF-16 only (each user's profile folder, the temporary folder), and
// those need not fit the code page: they stay UTF-16 from the call that gives them to the file
// that is opened.
typedef std::wstring WidePath;
WidePath Widen(const std::string& ansi);
// For the log and the messages only: a character outside the code page shows as "?".
std::string Narrow(const WidePath& path);
