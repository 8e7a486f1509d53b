#include "code_pages.h"
#include "dir_list_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// list null: RemoveListEntries(text, folder), which must remove count entries; else
// AddListEntry(text, list, folder), which must return count != 0.
const struct Case {
    std::string text;
    const char* list;
    const char* folder;
    std::size_t count;
    std::string expected;
} kCases[] = {
    // Adding: before the first carriage return after the first key, ";" in front unless there.
    {"[G]\r\nInclude Dirs=C:\\A;C:\\B\r\nLibrary Dirs=L\r\n", "Include Dirs", "D:\\Q\\", 1,
     "[G]\r\nInclude Dirs=C:\\A;C:\\B;D:\\Q\r\nLibrary Dirs=L\r\n"},
    {"Include Dirs=\r\n", "Include Dirs", "D:\\Q", 1, "Include Dirs=;D:\\Q\r\n"},
    {"Include Dirs=A;\r\n", "Include Dirs", "D:\\Q", 1, "Include Dirs=A;D:\\Q\r\n"},
    {"Include Dirs=A\rX=1\r\nInclude Dirs=B\r\n", "Include Dirs=", "D:\\Q", 1,
     "Include Dirs=A;D:\\Q\rX=1\r\nInclude Dirs=B\r\n"},
    {"x;Include Dirs=D:\\Q\r\n", "Include Dirs", "D:\\Q\\\\", 1,
     "x;Include Dirs=D:\\Q;D:\\Q\\\r\n"},
    {std::string("A=\0\r\0", 5), "A", "D:\\Q", 1, std::string("A=\0;D:\\Q\r\0", 10)},
    // No key (letter case counts, "=" belongs to it), or no carriage return after it.
    {"include dirs=A\r\nInclude Dirs A\r\n", "Include Dirs", "D:\\Q", 0,
     "include dirs=A\r\nInclude Dirs A\r\n"},
    {"X=1\r\nInclude Dirs=A\n", "Include Dirs", "D:\\Q", 0, "X=1\r\nInclude Dirs=A\n"},
    // Removing: an entry between two ";" takes the second with it, else the separators stay.
    {"Include Dirs=A;D:\\Q;B\r\n", nullptr, "D:\\Q\\", 1, "Include Dirs=A;B\r\n"},
    {"Include Dirs=A;D:\\Q;D:\\Q;B\r\n", nullptr, "D:\\Q", 2, "Include Dirs=A;B\r\n"},
    {"Include Dirs=A;D:\\Q", nullptr, "D:\\Q", 1, "Include Dirs=A;"},
    {"Include Dirs=A;D:\\Q;", nullptr, "D:\\Q", 1, "Include Dirs=A;"},
    {"I=D:\\Q;x\r\nL=y;D:\\Q\r\nR=D:\\Q\r\n", nullptr, "D:\\Q", 3, "I=;x\r\nL=y;\r\nR=\r\n"},
    // What is not a whole entry stays.
    {"I=d:\\q;D:\\Q2;D:\\Q\\inc;D:\\Q x;xD:\\Q;D:\\Q\r\n", nullptr, "D:\\Q", 1,
     "I=d:\\q;D:\\Q2;D:\\Q\\inc;D:\\Q x;xD:\\Q;\r\n"},
    {"A=D:\\Q\nB=1\r\n", nullptr, "D:\\Q", 0, "A=D:\\Q\nB=1\r\n"},
    {"D:\\Q;x", nullptr, "D:\\Q", 0, "D:\\Q;x"},
    {"I=;\\;\r\n", nullptr, "\\", 0, "I=;\\;\r\n"},
    // Folder texts that hold separators: a cut can join bytes into a new whole entry, which
    // the repeated search from the start removes as well.
    {"=a;a;b;b\r", nullptr, "a;b", 2, "=\r"},
    {"=x;x;x\r", nullptr, "x;x", 1, "=;x\r"},
    {"=b;b;;\r", nullptr, "b;", 2, "=\r"},
    {"=a\rb;a\rb\r", nullptr, "a\rb", 2, "=;\r"},
};

TEST(DirListText, GivesExactText)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        if (c.list)
            EXPECT_EQ(AddListEntry(text, c.list, c.folder, NoLeadBytes), c.count != 0);
        else
            EXPECT_EQ(RemoveListEntries(text, c.folder, NoLeadBytes), c.count);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(DirListText, LongFolderAndManyEntries)
{
    // A folder text longer than 255 and 65535 bytes takes the wider match counters.
    for (const std::size_t length : {std::size_t(300), std::size_t(70000)}) {
        const std::string folder(length, 'f');
        std::string text = "Include Dirs=";
        std::string expected = text + ";";  // the first entry follows "=": no separator goes
        for (int i = 0; i < 50; ++i) {
            text += folder + ";" + folder + "g;";
            expected += folder + "g;";
        }
        text += folder + "\r\n";
        expected += "\r\n";
        EXPECT_EQ(RemoveListEntries(text, folder, NoLeadBytes), 51u);
        EXPECT_EQ(text, expected);
    }
}

// In code page 932 a folder may end in the trail byte 5C of "表" (95 5C): that is no trailing
// backslash, and the entry keeps it; a real one after it goes.
TEST(DirListText, KeepsTheLastDoubleByteCharacterWhole)
{
    const std::string folder = "C:\\\x83\x5C\\\x95\x5C";
    for (const std::string& typed : {folder, folder + "\\"}) {
        EXPECT_EQ(ListEntryText(typed, Cp932Lead), folder);
        std::string text = "Include Dirs=A\r\n";
        EXPECT_TRUE(AddListEntry(text, "Include Dirs", typed, Cp932Lead));
        EXPECT_EQ(text, "Include Dirs=A;" + folder + "\r\n");
        EXPECT_EQ(RemoveListEntries(text, typed, Cp932Lead), 1u);
        EXPECT_EQ(text, "Include Dirs=A;\r\n");
    }
}

}  // namespace
