// Input: folder NUL list name NUL text. Any of them may hold any byte but NUL in the first two.
#include "dir_list_text.h"
#include "vc_plain_removal.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream fields(std::string(reinterpret_cast<const char*>(data), size));
    std::string folder;
    std::string listName;
    std::getline(fields, folder, '\0');
    std::getline(fields, listName, '\0');
    const std::string text(std::istreambuf_iterator<char>(fields), {});

    // The plain removal cuts until no whole entry is left, one search from the start at a time.
    std::string fast = text;
    std::string plain = text;
    Check(RemoveListEntries(fast, folder, NoLeadBytes) == PlainRemoveEntries(plain, folder));
    Check(fast == plain);

    std::string added = text;
    if (AddListEntry(added, listName, folder, NoLeadBytes)) {
        // Only bytes went in, the entry and perhaps a separator, all at one place: the text
        // around them is the old text.
        const std::size_t grown = added.size() - text.size();
        const std::size_t entry = ListEntryText(folder, NoLeadBytes).size();
        Check(grown == entry || grown == entry + 1);
        const std::size_t same =
            std::mismatch(text.begin(), text.end(), added.begin()).first - text.begin();
        Check(added.compare(same + grown, std::string::npos, text, same, std::string::npos) == 0);
    } else {
        Check(added == text);
    }
    return 0;
}
