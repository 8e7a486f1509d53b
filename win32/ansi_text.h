#pragma once
// Walking ANSI text by characters. In the double-byte code pages of East Asia (932, 936, 949,
// 950) a lead byte and the byte after it are one character, and that second byte may be 0x5C,
// the byte of a backslash ("表" is 95 5C in 932). A path or an argument examined byte by byte cuts
// such a character in two. Builds without Windows: the caller hands in which bytes lead (on
// Windows, IsAnsiLeadByte of code_page.h).

#include <string>

// True for a byte that opens a two-byte character in the code page of the text.
typedef bool (*LeadByteTest)(unsigned char byte);

// The test of a single-byte code page: no byte leads.
bool NoLeadBytes(unsigned char byte);

// The index just past the character that starts at at; a lead byte at the very end stands alone.
size_t NextCharacter(const std::string& text, size_t at, LeadByteTest isLead);

// Where the last character that is the ASCII character c starts, or npos.
size_t FindLastCharacter(const std::string& text, char c, LeadByteTest isLead);

// Whether the last character of text is the ASCII character c.
bool EndsWithCharacter(const std::string& text, char c, LeadByteTest isLead);

// Every character that is the ASCII character from becomes to.
void ReplaceCharacters(std::string& text, char from, char to, LeadByteTest isLead);
