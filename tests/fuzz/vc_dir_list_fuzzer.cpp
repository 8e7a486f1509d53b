// Input: folder NUL list name NUL text. Any of them may hold any byte but NUL in the first two.
#include "dir_list_text.h"
#include "vc_plain_removal.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::string TakeField(const std::string& input, std::size_t& at)
{
    const std::size_t end = input.find('\0', at);
    const std::size_t stop = end == std::string::npos ? input.size() : end;
    std::string field = input.substr(at, stop - at);
    at = end == std::string::npos ? input.size() : end + 1;
    return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    const std::string folder = TakeField(input, at);
    const std::string listName = TakeField(input, at);
    const std::string text = input.substr(at);
    const std::string entry = ListEntryText(folder);

    std::string fast = text;
    std::string plain = text;
    Check(RemoveListEntries(fast, folder) == PlainRemoveEntries(plain, folder));
    Check(fast == plain);
    Check(FindWholeEntry(fast, entry) == std::string::npos);
    if (entry.empty())
        Check(fast == text);

    std::string added = text;
    if (AddListEntry(added, listName, folder)) {
        // Only bytes went in, all at one place: the text around them is the old text.
        Check(added.size() == text.size() + entry.size() ||
              added.size() == text.size() + entry.size() + 1);
        std::size_t same = 0;
        while (same < text.size() && added[same] == text[same])
            ++same;
        const std::size_t grown = added.size() - text.size();
        Check(added.compare(same + grown, std::string::npos, text, same, std::string::npos) == 0);
    } else {
        Check(added == text);
    }
    std::string moved = added;
    std::string movedPlain = added;
    Check(RemoveListEntries(moved, folder) == PlainRemoveEntries(movedPlain, folder));
    Check(moved == movedPlain);
    Check(FindWholeEntry(moved, entry) == std::string::npos);
    return 0;
}
