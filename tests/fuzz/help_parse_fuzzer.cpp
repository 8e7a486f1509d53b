// libFuzzer target for HelpRecordList::Parse: no crash, no leak, no allocation sized by a count
// in the file beyond the file itself, and a byte-exact round trip of every file that parses.

#include "help_record_list.h"
#include "record_stream.h"

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

// The sanitizer's allocation hook sees every request, operator new included.
namespace {
bool g_counting = false;
size_t g_largest = 0;

void CountAllocation(const volatile void*, size_t size)
{
    if (g_counting && size > g_largest)
        g_largest = size;
}

void IgnoreRelease(const volatile void*) {}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    __sanitizer_install_malloc_and_free_hooks(CountAllocation, IgnoreRelease);
    return 0;
}

namespace {

// A record object is allocated before its fields are read, whatever the input's size.
const size_t kLargestRecord =
    std::max({sizeof(NamespaceRecord), sizeof(TextPairRecord), sizeof(PluginRecord),
              sizeof(TitleRecord), sizeof(FolderRecord), sizeof(RawRecord)});

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> input(data, data + size);
    // Version -1 marks a list that holds no file and cannot be written; the host tests cover it.
    if (size >= 4 && std::count(input.begin(), input.begin() + 4, 0xff) == 4)
        input[0] = 0;
    RecordStream stream(input);
    HelpRecordList list;
    bool parsed = true;
    g_largest = 0;
    g_counting = true;
    try {
        list.Parse(stream);
    } catch (const char* damage) {
        if (std::strcmp(damage, "Damaged file") != 0)
            std::abort();
        parsed = false;
    }
    g_counting = false;
    if (g_largest > std::max(size, kLargestRecord))
        std::abort();
    if (!parsed)
        return 0;

    // Parse refuses a record whose fields leave part of its payload unread, so every list that
    // parsed fills its payloads exactly and must come back byte for byte, reserved words zeroed:
    // its records and their headers are the file's.
    RecordStream out;
    list.Serialize(out);
    std::fill(input.begin() + 4, input.begin() + 16, 0);
    if (out.Bytes() != input)
        std::abort();
    return 0;
}
