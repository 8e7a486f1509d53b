// The help record model on hand-written files, and the helpdump tool that lists them: the
// tool's exact output is where every parsed field is checked.
#include "help_record_list.h"
#include "record_stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

// A request sized by a count in a damaged file ends the test at once instead of taking the memory.
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=1"; }

namespace {

typedef std::vector<uint8_t> Bytes;

// Bytes from hex digits; blanks only help the reader.
Bytes Hex(const std::string& hex)
{
    Bytes bytes;
    for (size_t i = 0; i < hex.size(); i += hex[i] == ' ' ? 1 : 2) {
        if (hex[i] != ' ')
            bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

const std::string kVersion4 = "04000000 00000000 00000000 00000000 ";

// One record of every class and unknown ones, every field unlike the others; texts with an odd
// byte count, a zero unit and a unit above 255 among them. ListsVersionAndEveryField spells
// them out.
const char* const kRecords[] = {
    "02000000 16000000 02000000 4e00 02000000 4300 06000000 610009006200 ",
    "03000000 13000000 05000000 6100620063 06000000 61000000e900 ",
    "03000000 0b000000 01000000 61 02000000 5300 ",
    "04000000 22000000 02000000 5000 04000000 73017400 06000000 61002f006200 "
    "06000000 61005c006200 ",
    "05000000 34000000 02000000 5400 02000000 5300 02000000 4900 02000000 3400 00000000 "
    "09040000 02000000 03000000 04000000 05000000 ffffffff ",
    "06000000 10000000 04030201 02000000 6600 02000000 6700 ",
    "00000000 00000000 ",
    "01000000 01000000 80 ",
    "07000000 00000000 ",
    "ffffffff 05000000 01020aff00 ",
};

// A file of version -2 with the records at these indexes in kRecords.
std::string File(std::initializer_list<size_t> indexes,
                 std::string hex = "feffffff 00000000 00000000 00000000 ")
{
    for (size_t index : indexes)
        hex += kRecords[index];
    return hex;
}

const std::string kEveryClass =
    File({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, "feffffff aabbccdd 01000000 ffffffff ");

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
    return stream.Bytes();
}

// helpdump's output, with the redirection given, and its exit code.
std::pair<std::string, int> RunHelpDump(const std::string& path, const char* redirect)
{
    FILE* pipe = popen(("'" HELPDUMP_PATH "' '" + path + "' " + redirect).c_str(), "r");
    std::string output;
    for (int c; (c = std::fgetc(pipe)) != EOF;)
        output += char(c);
    const int status = pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::pair<std::string, int> DumpBytes(const Bytes& bytes, const char* redirect = "2>&1")
{
    char path[] = "/tmp/helpdump_testXXXXXX";
    close(mkstemp(path));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto result = RunHelpDump(path, redirect);
    std::remove(path);
    return result;
}

TEST(HelpDump, ListsVersionAndEveryField)
{
    EXPECT_EQ(DumpBytes(Hex(kEveryClass)),
              std::make_pair(std::string(
                  "version -2\n"
                  "2 NamespaceRecord name=\"N\" collectionPath=\"C\" description=\"a\\x09b\"\n"
                  "3 TextPairRecord first=\"ab\" second=\"a\\x00\xe9\"\n"
                  "3 TextPairRecord first=\"\" second=\"S\"\n"
                  "4 PluginRecord name=\"P\" sharedText=\"st\" hxtPath=\"a/b\" hxaPath=\"a\\b\"\n"
                  "5 TitleRecord name=\"T\" hxsFile=\"S\" hxiFile=\"I\" text4=\"4\" text5=\"\" "
                  "languageId=1033 number2=2 number3=3 number4=4 number5=5 number6=4294967295\n"
                  "6 FolderRecord number=16909060 folder1=\"f\" folder2=\"g\"\n"
                  "0 RawRecord bytes=\n"
                  "1 RawRecord bytes=80\n"
                  "7 RawRecord bytes=\n"
                  "4294967295 RawRecord bytes=01020aff00\n"),
                  0));
}

TEST(HelpDump, DamagedAndMissingFiles)
{
    const Bytes damaged = Hex(kVersion4 + "09000000 02000000 01");
    EXPECT_EQ(DumpBytes(damaged), std::make_pair(std::string("Damaged file\n"), 2));
    EXPECT_EQ(DumpBytes(damaged, "2>/dev/null"), std::make_pair(std::string(), 2));
    EXPECT_EQ(RunHelpDump("/nonexistent/nslist.hxl", "2>&1"),
              std::make_pair(std::string("cannot read /nonexistent/nslist.hxl\n"), 1));
}

TEST(HelpRecordList, DamagedFilesAreRefusedWithoutLargeAllocations)
{
    for (const char* records : {
             "09000000 000000",                               // header cut after 7 bytes
             "03000000 0c000000 04000000 6100",               // last text runs past the end
             "09000000 05000000 010203",                      // raw payload past the end
             "03000000 08000000 f0ffffff 00000000",           // huge text count
             "09000000 ffffff7f 0102",                        // huge raw payload
             "09000000 e8ffffff 0102",                        // payload end wraps around
             "03000000 04000000 00000000 01000000 00000000",  // field runs into the next record
             "03000000 10000000 00000000 00000000 07000000 00000000",  // surplus: a whole record
             "03000000 40000000 00000000 00000000",           // payload longer than the file
         }) {
        SCOPED_TRACE(records);
        HelpRecordList list;
        EXPECT_EQ(ParseBytes(list, Hex(kVersion4 + records)), "Damaged file");
    }
}

TEST(HelpRecordList, DamageKeepsVersionAndRecordsBefore)
{
    HelpRecordList list(4);
    list.AppendFolder(1, "x", "y");
    ASSERT_EQ(ParseBytes(list, Hex("07000000 00000000 00000000 00000000 01000000 01000000 ee "
                                   "02000000 0c00")),
              "Damaged file");
    EXPECT_EQ(list.Version(), 7);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.TypeAt(0), 1u);

    // A short header leaves the version alone but still drops the old records.
    ASSERT_EQ(ParseBytes(list, Hex("09000000")), "Damaged file");
    EXPECT_EQ(list.Version(), 7);
    EXPECT_EQ(list.Count(), 0u);
}

TEST(HelpRecordList, AppendedRecordsWriteTheirFieldsInOrder)
{
    HelpRecordList list(4);
    list.AppendNamespace("N", std::string("a\0b", 3), "\xe9");
    list.AppendPlugin("P", "st", "a/b", "");
    HelpText shared;
    shared.bytes = "s\x01";
    list.AppendPlugin("Q", shared, "", "a\\b");
    list.AppendTitle("T", "S", "I", "4", "5", 1033, 2, 3, 4, 5);
    list.AppendFolder(0x01020304, "f", "g");
    EXPECT_EQ(SerializeList(list),
              Hex(kVersion4 +
                  "02000000 16000000 02000000 4e00 06000000 610000006200 02000000 e900 "
                  "04000000 1c000000 02000000 5000 04000000 73007400 06000000 61002f006200 "
                  "00000000 04000000 1a000000 02000000 5100 02000000 7301 00000000 "
                  "06000000 61005c006200 05000000 36000000 02000000 5400 02000000 5300 "
                  "02000000 4900 02000000 3400 02000000 3500 "
                  "09040000 02000000 03000000 04000000 05000000 00000000 " +
                  kRecords[5]));
}

// Every field is checked by helpdump's listing; written back, the reserved words are zero.
TEST(HelpRecordList, EveryClassRoundTripsAndErasesByIndex)
{
    HelpRecordList list;
    ASSERT_EQ(ParseBytes(list, Hex(kEveryClass)), "");
    EXPECT_EQ(SerializeList(list), Hex(File({0, 1, 2, 3, 4, 5, 6, 7, 8, 9})));
    for (size_t i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.AsNamespace(i) != nullptr, i == 0) << i;
        EXPECT_EQ(list.AsPlugin(i) != nullptr, i == 3) << i;
    }
    EXPECT_THROW(list.TypeAt(10), std::out_of_range);
    EXPECT_THROW(list.At(10), std::out_of_range);
    EXPECT_THROW(list.AsNamespace(10), std::out_of_range);
    EXPECT_THROW(list.Erase(10), std::out_of_range);

    // The rest keep their order.
    list.Erase(3);
    list.Erase(0);
    list.Erase(7);
    EXPECT_EQ(SerializeList(list), Hex(File({1, 2, 4, 5, 6, 7, 8})));
}

TEST(HelpRecordList, ListWithoutFileCannotBeSerialised)
{
    HelpRecordList list;
    list.AppendNamespace("a", "b", "c");
    RecordStream stream;
    EXPECT_THROW(list.Serialize(stream), const char*);
    EXPECT_TRUE(stream.Bytes().empty());

    // A file that itself carries version -1 loads, but cannot be written back.
    ASSERT_EQ(ParseBytes(list, Hex("ffffffff 00000000 00000000 00000000")), "");
    EXPECT_THROW(list.Serialize(stream), const char*);
}

}  // namespace
