#pragma once
// The removal of whole list entries done the plain way: find the first whole entry searching
// from the start of the text, cut it, and start over. Quadratic on hostile texts; kept as the
// yardstick the real removal is checked and measured against.

#include <cstddef>
#include <string>

inline bool IsWholeEntryAt(const std::string& text, std::size_t at, std::size_t length)
{
    if (at == 0 || (text[at - 1] != '=' && text[at - 1] != ';'))
        return false;
    const std::size_t after = at + length;
    return after == text.size() || text[after] == ';' || text[after] == '\r';
}

// The first whole entry of the text at or after from, or npos.
inline std::size_t FindWholeEntry(const std::string& text, const std::string& entry,
                                  std::size_t from = 0)
{
    if (entry.empty())
        return std::string::npos;
    std::size_t at = text.find(entry, from);
    while (at != std::string::npos && !IsWholeEntryAt(text, at, entry.size()))
        at = text.find(entry, at + 1);
    return at;
}

inline std::size_t PlainRemoveEntries(std::string& text, const std::string& folder)
{
    std::string entry = folder;
    if (!entry.empty() && entry.back() == '\\')
        entry.pop_back();
    std::size_t cuts = 0;
    for (std::size_t at; (at = FindWholeEntry(text, entry)) != std::string::npos; ++cuts) {
        std::size_t cut = entry.size();
        const std::size_t after = at + cut;
        if (at > 0 && after < text.size() && text[at - 1] == ';' && text[after] == ';')
            ++cut;
        text.erase(at, cut);
    }
    return cuts;
}
