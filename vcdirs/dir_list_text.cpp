#include "dir_list_text.h"

#include <cstdint>
#include <vector>

std::string ListEntryText(const std::string& folder, LeadByteTest isLead)
{
    if (EndsWithCharacter(folder, '\\', isLead))
        return folder.substr(0, folder.size() - 1);
    return folder;
}

std::string ListKey(const std::string& listName)
{
    if (!listName.empty() && listName.back() == '=')
        return listName;
    return listName + "=";
}

bool AddListEntry(std::string& text, const std::string& listName, const std::string& folder,
                  LeadByteTest isLead)
{
    const std::size_t key = text.find(ListKey(listName));
    if (key == std::string::npos)
        return false;
    const std::size_t lineEnd = text.find('\r', key);
    if (lineEnd == std::string::npos)
        return false;
    std::string added;
    if (lineEnd > 0 && text[lineEnd - 1] != ';')
        added = ";";
    added += ListEntryText(folder, isLead);
    text.insert(lineEnd, added);
    return true;
}

namespace {

bool OpensEntry(char byte) { return byte == '=' || byte == ';'; }
bool ClosesEntry(char byte) { return byte == ';' || byte == '\r'; }

// One pass that keeps the text already looked at as a stack (compacted in place) together with
// how much of the entry each kept prefix ends with. A whole entry is cut as soon as its last
// byte and the byte after it are known, which makes it the first whole entry of the current
// text. A cut can make the kept text end in a new whole entry (its follower changed), so the
// check repeats before the next byte is taken. Every cut comes from a full match, the longest
// match there is, so the matcher's fallbacks stay linear in total although the stack shrinks.
template <typename Matched>
std::size_t RemoveWholeEntries(std::string& text, const std::string& entry)
{
    const std::size_t length = entry.size();
    // border[q]: the longest proper prefix of entry[0, q) that is also its suffix.
    std::vector<Matched> border(length + 1, 0);
    for (std::size_t q = 1, k = 0; q < length; ++q) {
        while (k > 0 && entry[q] != entry[k])
            k = border[k];
        if (entry[q] == entry[k])
            ++k;
        border[q + 1] = static_cast<Matched>(k);
    }

    const std::size_t size = text.size();
    char* const bytes = &text[0];
    std::vector<Matched> matched(size + 1);
    matched[0] = 0;
    std::size_t kept = 0;  // bytes [0, kept) form the edited text so far
    std::size_t next = 0;  // bytes [next, size) follow it, not yet looked at
    std::size_t cuts = 0;
    for (;;) {
        if (matched[kept] == length && kept > length && OpensEntry(bytes[kept - length - 1]) &&
            (next == size || ClosesEntry(bytes[next]))) {
            const std::size_t start = kept - length;
            if (bytes[start - 1] == ';' && next < size && bytes[next] == ';')
                ++next;
            kept = start;
            ++cuts;
            continue;
        }
        if (next == size)
            break;
        const char byte = bytes[next++];
        std::size_t q = matched[kept];
        if (q == length)
            q = border[length];
        while (q > 0 && entry[q] != byte)
            q = border[q];
        if (entry[q] == byte)
            ++q;
        bytes[kept++] = byte;
        matched[kept] = static_cast<Matched>(q);
    }
    text.resize(kept);
    return cuts;
}

}  // namespace

std::size_t RemoveListEntries(std::string& text, const std::string& folder, LeadByteTest isLead)
{
    const std::string entry = ListEntryText(folder, isLead);
    if (entry.empty() || entry.size() >= text.size())
        return 0;
    // The match lengths take one slot per byte of text: the narrowest type that holds them.
    if (entry.size() <= UINT8_MAX)
        return RemoveWholeEntries<std::uint8_t>(text, entry);
    if (entry.size() <= UINT16_MAX)
        return RemoveWholeEntries<std::uint16_t>(text, entry);
    return RemoveWholeEntries<std::size_t>(text, entry);
}
