#include "help_record_list.h"
#include "record_stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

// Records the largest single request to operator new while a test asks for it.
namespace {
bool g_counting = false;
size_t g_largest = 0;
}  // namespace

void* operator new(size_t size)
{
    if (g_counting && size > g_largest)
        g_largest = size;
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes kVersion4 = {0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Parses bytes; the text thrown on damage, or "" when the parse succeeded.
std::string ParseBytes(HelpRecordList& list, const Bytes& bytes)
{
    RecordStream stream(bytes);
    try {
        list.Parse(stream);
    } catch (const char* damage) {
        return damage;
    }
    return "";
}

Bytes SerializeList(const HelpRecordList& list)
{
    RecordStream stream;
    list.Serialize(stream);
    EXPECT_EQ(stream.Position(), stream.Bytes().size());
    return stream.Bytes();
}

std::string Text(const char* bytes, size_t size) { return std::string(bytes, size); }

TEST(HelpRecordList, EmptyFileWithVersion4RoundTrips)
{
    HelpRecordList list;
    ASSERT_EQ(ParseBytes(list, kVersion4), "");
    EXPECT_EQ(list.Version(), 4);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(SerializeList(list), kVersion4);
}

TEST(HelpRecordList, ReservedWordsComeBackAsZero)
{
    HelpRecordList list;
    ASSERT_EQ(ParseBytes(list, {0xfe, 0xff, 0xff, 0x7f, 0xaa, 0xbb, 0xcc, 0xdd, 0x01, 0, 0, 0,
                                0xff, 0xff, 0xff, 0xff}),
              "");
    EXPECT_EQ(list.Version(), 0x7ffffffe);
    EXPECT_EQ(SerializeList(list),
              (Bytes{0xfe, 0xff, 0xff, 0x7f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(HelpRecordList, ShortAndTruncatedFilesAreDamaged)
{
    struct Row {
        const char* what;
        Bytes bytes;
    };
    std::vector<Row> rows;
    for (size_t size = 0; size < 16; ++size)
        rows.push_back({"short header", Bytes(kVersion4.begin(), kVersion4.begin() + size)});
    const Row more[] = {
        {"type code only", Join({kVersion4, {0x02, 0, 0, 0}})},
        {"header cut after 7 bytes", Join({kVersion4, {0x09, 0, 0, 0, 0x00, 0, 0}})},
        {"last text runs past the end",
         Join({kVersion4, {0x03, 0, 0, 0, 0x0c, 0, 0, 0, 0x04, 0, 0, 0, 0x61, 0}})},
        {"second text missing", Join({kVersion4, {0x03, 0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0}})},
        {"raw payload runs past the end",
         Join({kVersion4, {0x09, 0, 0, 0, 0x05, 0, 0, 0, 0x01, 0x02, 0x03}})},
        {"number missing in folder record",
         Join({kVersion4, {0x06, 0, 0, 0, 0x02, 0, 0, 0, 1, 0}})},
        {"huge text count",
         Join({kVersion4, {0x03, 0, 0, 0, 0x08, 0, 0, 0, 0xf0, 0xff, 0xff, 0xff, 0, 0, 0, 0}})},
        {"payload length wraps around",
         Join({kVersion4, {0x09, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0x01}})},
        {"field runs past its record into the next",
         Join({kVersion4, {0x03, 0, 0, 0, 0x04, 0, 0, 0, 0, 0, 0, 0},
               {0x01, 0, 0, 0, 0x00, 0, 0, 0}})},
        {"surplus bytes after the fields",
         Join({kVersion4, {0x03, 0, 0, 0, 0x0a, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x41, 0}})},
        {"declared payload longer than the file, fields within it",
         Join({kVersion4, {0x03, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}})},
    };
    rows.insert(rows.end(), std::begin(more), std::end(more));
    for (const Row& row : rows) {
        HelpRecordList list;
        EXPECT_EQ(ParseBytes(list, row.bytes), "Damaged file")
            << row.what << " (" << row.bytes.size() << " bytes)";
    }
}

TEST(HelpRecordList, DamageKeepsVersionAndRecordsBefore)
{
    HelpRecordList list(4);
    list.AppendFolder(1, "x", "y");
    ASSERT_EQ(ParseBytes(list, Join({{0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                     {0x01, 0, 0, 0, 0x01, 0, 0, 0, 0xee},
                                     {0x02, 0, 0, 0, 0x0c, 0}})),
              "Damaged file");
    EXPECT_EQ(list.Version(), 7);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.TypeAt(0), 1u);

    // A short header leaves the version alone but still drops the old records.
    ASSERT_EQ(ParseBytes(list, {0x09, 0, 0, 0}), "Damaged file");
    EXPECT_EQ(list.Version(), 7);
    EXPECT_EQ(list.Count(), 0u);
}

TEST(HelpRecordList, UnknownTypesRoundTripAsRaw)
{
    const uint32_t codes[] = {0, 1, 7, 9, 0xffffffff};
    for (uint32_t code : codes) {
        const Bytes file =
            Join({kVersion4,
                  {uint8_t(code), uint8_t(code >> 8), uint8_t(code >> 16), uint8_t(code >> 24)},
                  {0x05, 0, 0, 0, 0x01, 0x00, 0xff, 0x61, 0x80}});
        HelpRecordList list;
        ASSERT_EQ(ParseBytes(list, file), "") << code;
        ASSERT_EQ(list.Count(), 1u);
        EXPECT_EQ(list.TypeAt(0), code);
        const auto* raw = dynamic_cast<const RawRecord*>(&list.At(0));
        ASSERT_NE(raw, nullptr) << code;
        EXPECT_EQ(raw->bytes, (Bytes{0x01, 0x00, 0xff, 0x61, 0x80}));
        EXPECT_EQ(SerializeList(list), file) << code;
    }
}

TEST(HelpRecordList, TextsKeepTheirStoredBytes)
{
    struct Row {
        const char* what;
        Bytes stored;  // byte count and bytes
        std::string narrow;
    } rows[] = {
        {"two units", {0x04, 0, 0, 0, 0x61, 0x00, 0x62, 0x00}, "ab"},
        {"odd last byte", {0x05, 0, 0, 0, 0x61, 0x00, 0x62, 0x00, 0x63}, "ab"},
        {"unit above 255", {0x04, 0, 0, 0, 0x41, 0x21, 0x42, 0xff}, "AB"},
        {"zero unit", {0x06, 0, 0, 0, 0x61, 0x00, 0x00, 0x00, 0xe9, 0x00}, Text("a\0\xe9", 3)},
        {"single byte", {0x01, 0, 0, 0, 0x61}, ""},
        {"empty", {0x00, 0, 0, 0}, ""},
    };
    for (const Row& row : rows) {
        // A text pair record: the row's text, then an empty text.
        const uint8_t length = uint8_t(row.stored.size() + 4);
        const Bytes file =
            Join({kVersion4, {0x03, 0, 0, 0, length, 0, 0, 0}, row.stored, {0, 0, 0, 0}});
        HelpRecordList list;
        ASSERT_EQ(ParseBytes(list, file), "") << row.what;
        const auto& pair = dynamic_cast<const TextPairRecord&>(list.At(0));
        EXPECT_EQ(pair.first.Narrow(), row.narrow) << row.what;
        EXPECT_EQ(pair.first.bytes.size() + 4, row.stored.size()) << row.what;
        EXPECT_EQ(pair.second.bytes, "") << row.what;
        EXPECT_EQ(SerializeList(list), file) << row.what;
    }
}

TEST(HelpRecordList, NarrowStringIsStoredWithTwiceItsLength)
{
    HelpRecordList list(4);
    list.AppendNamespace("abc", "", "\xe9");
    EXPECT_EQ(SerializeList(list),
              Join({kVersion4,
                    {0x02, 0, 0, 0, 0x14, 0, 0, 0, 0x06, 0, 0, 0, 0x61, 0, 0x62, 0, 0x63, 0,
                     0x00, 0, 0, 0, 0x02, 0, 0, 0, 0xe9, 0}}));
    EXPECT_EQ(HelpText::FromNarrow(Text("a\0b", 3)).bytes, Text("a\0\0\0b\0", 6));
}

// One record of every class, fields in their order; reserved words zero so the bytes come back.
const Bytes kEveryClass = Join({
    {0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    // namespace: "N", "C", "D"
    {0x02, 0, 0, 0, 0x12, 0, 0, 0, 0x02, 0, 0, 0, 0x4e, 0, 0x02, 0, 0, 0, 0x43, 0,
     0x02, 0, 0, 0, 0x44, 0},
    // text pair: "F", "S"
    {0x03, 0, 0, 0, 0x0c, 0, 0, 0, 0x02, 0, 0, 0, 0x46, 0, 0x02, 0, 0, 0, 0x53, 0},
    // plug-in: "P", "s" with a high byte, "a/b", "a\b"
    {0x04, 0, 0, 0, 0x20, 0, 0, 0, 0x02, 0, 0, 0, 0x50, 0, 0x02, 0, 0, 0, 0x73, 0x01,
     0x06, 0, 0, 0, 0x61, 0, 0x2f, 0, 0x62, 0, 0x06, 0, 0, 0, 0x61, 0, 0x5c, 0, 0x62, 0},
    // title: "T", "T.HxS", "", "x", "", numbers 1033, 2, 3, 4, 5, 6
    {0x05, 0, 0, 0, 0x3a, 0, 0, 0, 0x02, 0, 0, 0, 0x54, 0, 0x0a, 0, 0, 0, 0x54, 0, 0x2e, 0,
     0x48, 0, 0x78, 0, 0x53, 0, 0x00, 0, 0, 0, 0x02, 0, 0, 0, 0x78, 0, 0x00, 0, 0, 0,
     0x09, 0x04, 0, 0, 0x02, 0, 0, 0, 0x03, 0, 0, 0, 0x04, 0, 0, 0, 0x05, 0, 0, 0, 0x06, 0, 0, 0},
    // folder: 0x01020304, "f", "g"
    {0x06, 0, 0, 0, 0x10, 0, 0, 0, 0x04, 0x03, 0x02, 0x01, 0x02, 0, 0, 0, 0x66, 0,
     0x02, 0, 0, 0, 0x67, 0},
    // raw, type 8, empty
    {0x08, 0, 0, 0, 0x00, 0, 0, 0},
});

TEST(HelpRecordList, EveryClassReadsItsFieldsInOrder)
{
    HelpRecordList list;
    ASSERT_EQ(ParseBytes(list, kEveryClass), "");
    EXPECT_EQ(list.Version(), 5);
    ASSERT_EQ(list.Count(), 6u);
    const uint32_t types[] = {2, 3, 4, 5, 6, 8};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(list.TypeAt(i), types[i]);

    const auto& ns = dynamic_cast<const NamespaceRecord&>(list.At(0));
    EXPECT_EQ(ns.name.Narrow() + ns.collectionPath.Narrow() + ns.description.Narrow(), "NCD");
    const auto& pair = dynamic_cast<const TextPairRecord&>(list.At(1));
    EXPECT_EQ(pair.first.Narrow() + pair.second.Narrow(), "FS");
    const auto& plugin = dynamic_cast<const PluginRecord&>(list.At(2));
    EXPECT_EQ(plugin.name.Narrow(), "P");
    EXPECT_EQ(plugin.sharedText.bytes, "s\x01");
    EXPECT_EQ(plugin.hxtPath.Narrow(), "a/b");
    EXPECT_EQ(plugin.hxaPath.Narrow(), "a\\b");
    const auto& title = dynamic_cast<const TitleRecord&>(list.At(3));
    EXPECT_EQ(title.name.Narrow() + "|" + title.hxsFile.Narrow() + "|" + title.hxiFile.Narrow() +
                  "|" + title.text4.Narrow() + "|" + title.text5.Narrow(),
              "T|T.HxS||x|");
    EXPECT_EQ((std::vector<uint32_t>{title.languageId, title.number2, title.number3,
                                     title.number4, title.number5, title.number6}),
              (std::vector<uint32_t>{1033, 2, 3, 4, 5, 6}));
    const auto& folder = dynamic_cast<const FolderRecord&>(list.At(4));
    EXPECT_EQ(folder.number, 0x01020304u);
    EXPECT_EQ(folder.folder1.Narrow() + folder.folder2.Narrow(), "fg");
    EXPECT_TRUE(dynamic_cast<const RawRecord&>(list.At(5)).bytes.empty());

    EXPECT_EQ(SerializeList(list), kEveryClass);
}

TEST(HelpRecordList, AppendedRecordsWriteTheirFieldsInOrder)
{
    HelpRecordList list(5);
    list.AppendNamespace("N", "C", "D");
    HelpText shared;
    shared.bytes = "s\x01";
    list.AppendPlugin("P", shared, "a/b", "a\\b");
    list.AppendTitle("T", "T.HxS", "", "x", "", 1033, 2, 3, 4, 5);
    list.AppendFolder(0x01020304, "f", "g");
    list.AppendPlugin("N", "ab", "", "");

    // The same records as kEveryClass without its text pair and raw record; number6 is 0.
    const Bytes expected = Join({
        {0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        Bytes(kEveryClass.begin() + 16, kEveryClass.begin() + 42),
        Bytes(kEveryClass.begin() + 62, kEveryClass.begin() + 164),
        {0x00, 0, 0, 0},
        Bytes(kEveryClass.begin() + 168, kEveryClass.begin() + 192),
        {0x04, 0, 0, 0, 0x16, 0, 0, 0, 0x02, 0, 0, 0, 0x4e, 0, 0x04, 0, 0, 0, 0x61, 0, 0x62, 0,
         0, 0, 0, 0, 0, 0, 0, 0},
    });
    EXPECT_EQ(SerializeList(list), expected);
}

TEST(HelpRecordList, AccessorsSelectByTypeAndCheckTheIndex)
{
    HelpRecordList list;
    ASSERT_EQ(ParseBytes(list, kEveryClass), "");
    EXPECT_EQ(list.AsPlugin(0), nullptr);
    EXPECT_EQ(list.AsNamespace(2), nullptr);
    ASSERT_NE(list.AsNamespace(0), nullptr);
    EXPECT_EQ(list.AsNamespace(0)->name.Narrow(), "N");
    ASSERT_NE(list.AsPlugin(2), nullptr);
    EXPECT_EQ(list.AsPlugin(2)->name.Narrow(), "P");
    for (size_t i : {3, 4, 5}) {
        EXPECT_EQ(list.AsNamespace(i), nullptr);
        EXPECT_EQ(list.AsPlugin(i), nullptr);
    }

    EXPECT_THROW(list.TypeAt(6), std::out_of_range);
    EXPECT_THROW(list.At(6), std::out_of_range);
    EXPECT_THROW(list.AsNamespace(6), std::out_of_range);
    EXPECT_THROW(list.AsPlugin(99), std::out_of_range);
    EXPECT_THROW(list.Erase(6), std::out_of_range);
    EXPECT_EQ(list.Count(), 6u);
}

TEST(HelpRecordList, EraseKeepsTheOrderOfTheRest)
{
    HelpRecordList list;
    ASSERT_EQ(ParseBytes(list, kEveryClass), "");
    list.Erase(2);
    list.Erase(0);
    list.Erase(3);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.TypeAt(0), 3u);
    EXPECT_EQ(list.TypeAt(1), 5u);
    EXPECT_EQ(list.TypeAt(2), 6u);
    EXPECT_EQ(SerializeList(list),
              Join({Bytes(kEveryClass.begin(), kEveryClass.begin() + 16),
                    Bytes(kEveryClass.begin() + 42, kEveryClass.begin() + 62),
                    Bytes(kEveryClass.begin() + 102, kEveryClass.begin() + 192)}));

    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Version(), 5);
}

TEST(HelpRecordList, ListWithoutFileCannotBeSerialised)
{
    HelpRecordList list;
    EXPECT_EQ(list.Version(), -1);
    list.AppendNamespace("a", "b", "c");
    RecordStream stream;
    try {
        list.Serialize(stream);
        FAIL() << "serialised";
    } catch (const char* damage) {
        EXPECT_STREQ(damage, "Damaged file");
    }
    EXPECT_TRUE(stream.Bytes().empty());

    // A file that itself carries version -1 loads, but cannot be written back.
    ASSERT_EQ(ParseBytes(list, {0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "");
    EXPECT_EQ(list.Version(), -1);
    RecordStream again;
    EXPECT_THROW(list.Serialize(again), const char*);
}

TEST(HelpRecordList, HugeCountsNeverBecomeAllocations)
{
    const Bytes files[] = {
        Join({kVersion4, {0x03, 0, 0, 0, 0x08, 0, 0, 0, 0xf8, 0xff, 0xff, 0xff, 0, 0}}),
        Join({kVersion4, {0x02, 0, 0, 0, 0xff, 0xff, 0xff, 0x7f, 0x00, 0x00, 0x00, 0x40}}),
        Join({kVersion4, {0x09, 0, 0, 0, 0xff, 0xff, 0xff, 0x7f, 0x01, 0x02}}),
        Join({kVersion4, {0x09, 0, 0, 0, 0xe8, 0xff, 0xff, 0xff, 0x01, 0x02}}),
    };
    for (const Bytes& file : files) {
        HelpRecordList list;
        g_largest = 0;
        g_counting = true;
        const std::string result = ParseBytes(list, file);
        g_counting = false;
        EXPECT_EQ(result, "Damaged file");
        // Nothing beyond one record object.
        EXPECT_LE(g_largest, 256u);
    }
}

TEST(RecordStream, ReadsAreBoundedByLimitAndBufferWithoutOverflow)
{
    RecordStream stream(Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08});
    stream.SetLimit(8);
    EXPECT_EQ(stream.ReadU32(), 0x04030201u);
    // 4 + 0xfffffffe wraps to 2 in 32 bits.
    EXPECT_THROW(stream.CheckAvailable(0xfffffffe), const char*);
    EXPECT_THROW(stream.CheckAvailable(5), const char*);
    stream.CheckAvailable(4);
    stream.SetLimit(6);
    uint8_t two[3] = {0xaa, 0xaa, 0xaa};
    EXPECT_THROW(stream.ReadBytes(two, 3), const char*);
    EXPECT_EQ(two[0], 0xaa);
    EXPECT_EQ(stream.Position(), 4u);
    stream.ReadBytes(two, 2);
    EXPECT_EQ(two[0], 0x05);
    EXPECT_EQ(two[1], 0x06);
    EXPECT_EQ(two[2], 0xaa);
    // A limit beyond the buffer does not open up reads past its end.
    stream.SetLimit(100);
    EXPECT_THROW(stream.ReadU32(), const char*);
    EXPECT_EQ(stream.Position(), 6u);
}

TEST(RecordStream, RecordLengthCountsThePayloadOnly)
{
    RecordStream stream;
    stream.AppendU32(0xa1b2c3d4);
    stream.BeginRecord(0x0102);
    stream.AppendBytes("xyz", 3);
    stream.AppendBytes("", 0);
    stream.EndRecord();
    EXPECT_EQ(stream.Position(), 15u);
    EXPECT_EQ(stream.Bytes(), (Bytes{0xd4, 0xc3, 0xb2, 0xa1, 0x02, 0x01, 0, 0, 0x03, 0, 0, 0,
                                     'x', 'y', 'z'}));
}

}  // namespace
