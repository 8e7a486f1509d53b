#include "ansi_text.h"

bool NoLeadBytes(unsigned char)
{
    return false;
}

size_t NextCharacter(const std::string& text, size_t at, LeadByteTest isLead)
{
    return at + (isLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1);
}

size_t FindLastCharacter(const std::string& text, char c, LeadByteTest isLead)
{
    // Only a walk from the start knows where characters begin.
    size_t found = std::string::npos;
    for (size_t at = 0; at < text.size(); at = NextCharacter(text, at, isLead))
        if (text[at] == c)
            found = at;
    return found;
}

bool EndsWithCharacter(const std::string& text, char c, LeadByteTest isLead)
{
    const size_t last = FindLastCharacter(text, c, isLead);
    return last != std::string::npos && last + 1 == text.size();
}

void ReplaceCharacters(std::string& text, char from, char to, LeadByteTest isLead)
{
    for (size_t at = 0; at < text.size(); at = NextCharacter(text, at, isLead))
        if (text[at] == from)
            text[at] = to;
}
