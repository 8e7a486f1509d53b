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

uint32_t Le32At(const uint8_t* data)
{
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
           uint32_t(data[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> input(data, data + size);
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

    // The record headers, walked by their lengths alone, must give the list's records.
    size_t offset = 16;
    size_t count = 0;
    while (offset < size) {
        if (size - offset < 8 || count >= list.Count() ||
            list.TypeAt(count) != Le32At(data + offset))
            std::abort();
        offset += 8 + size_t(Le32At(data + offset + 4));
        ++count;
    }
    if (offset != size || count != list.Count())
        std::abort();

    // Parse refuses a record whose fields leave part of its payload unread, so every list that
    // parsed fills its payloads exactly and must come back byte for byte, reserved words zeroed.
    RecordStream out;
    try {
        list.Serialize(out);
    } catch (const char*) {
        if (list.Version() != HelpRecordList::kNotLoaded)
            std::abort();
        return 0;
    }
    std::vector<uint8_t> expected = input;
    std::fill(expected.begin() + 4, expected.begin() + 16, 0);
    if (out.Bytes() != expected)
        std::abort();
    return 0;
}
