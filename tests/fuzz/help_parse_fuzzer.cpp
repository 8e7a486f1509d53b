// libFuzzer target for HelpRecordList::Parse: no crash, no leak, no allocation sized by a count
// in the file beyond the file itself, and a byte-exact round trip of every file that parses.

#include "help_record_list.h"
#include "record_stream.h"

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// While a parse runs: the largest request it may make. A record object is allocated before its
// fields are read, whatever the input's size.
size_t g_bound = 0;
const size_t kLargestRecord =
    std::max({sizeof(NamespaceRecord), sizeof(TextPairRecord), sizeof(PluginRecord),
              sizeof(TitleRecord), sizeof(FolderRecord), sizeof(RawRecord)});

// Every request, operator new included, passes the sanitizer's hook; the abort shows its stack.
void CheckAllocation(const volatile void*, size_t size)
{
    if (g_bound != 0 && size > g_bound)
        std::abort();
}

void IgnoreRelease(const volatile void*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    __sanitizer_install_malloc_and_free_hooks(CheckAllocation, IgnoreRelease);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> input(data, data + size);
    RecordStream stream(input);
    HelpRecordList list;
    g_bound = std::max(size, kLargestRecord);
    try {
        list.Parse(stream);
    } catch (const char* damage) {
        g_bound = 0;
        if (std::strcmp(damage, "Damaged file") != 0)
            std::abort();
        return 0;
    }
    g_bound = 0;
    // Version -1 marks a list that holds no file and cannot be written; the host tests cover it.
    if (list.Version() == HelpRecordList::kNotLoaded)
        return 0;

    // Parse refuses a record whose fields leave part of its payload unread, so a list that parsed
    // must come back byte for byte, reserved words zeroed.
    RecordStream out;
    list.Serialize(out);
    std::fill(input.begin() + 4, input.begin() + 16, 0);
    if (out.Bytes() != input)
        std::abort();
    return 0;
}
