#include "dir_list_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct AddCase {
    const char* name;
    std::string text;
    const char* listName;
    const char* folder;
    bool added;
    std::string expected;
};

const AddCase kAddCases[] = {
    {"AppendsAfterSeparator", "[General]\r\nInclude Dirs=C:\\A;C:\\B\r\nLibrary Dirs=C:\\L\r\n",
     "Include Dirs", "D:\\Quillon\\", true,
     "[General]\r\nInclude Dirs=C:\\A;C:\\B;D:\\Quillon\r\nLibrary Dirs=C:\\L\r\n"},
    {"EmptyListGetsSeparatorFirst", "Include Dirs=\r\n", "Include Dirs", "D:\\Quillon", true,
     "Include Dirs=;D:\\Quillon\r\n"},
    {"ListEndingInSeparatorGetsNoSecond", "Include Dirs=A;\r\n", "Include Dirs", "D:\\Quillon",
     true, "Include Dirs=A;D:\\Quillon\r\n"},
    {"LibraryLineBeforeIncludeLine", "Library Dirs=L\r\nInclude Dirs=I\r\n", "Include Dirs",
     "D:\\Quillon", true, "Library Dirs=L\r\nInclude Dirs=I;D:\\Quillon\r\n"},
    {"LibraryListFoundFirst", "Library Dirs=L\r\nInclude Dirs=I\r\n", "Library Dirs",
     "D:\\Quillon", true, "Library Dirs=L;D:\\Quillon\r\nInclude Dirs=I\r\n"},
    {"OnlyFirstOfTwoLinesChanges", "Include Dirs=A\r\nX=1\r\nInclude Dirs=B\r\n", "Include Dirs",
     "D:\\Q", true, "Include Dirs=A;D:\\Q\r\nX=1\r\nInclude Dirs=B\r\n"},
    {"NameWithEqualsSign", "Include Dirs=A\r\n", "Include Dirs=", "D:\\Q", true,
     "Include Dirs=A;D:\\Q\r\n"},
    {"LineFeedAfterReturnNotNeeded", "Include Dirs=A\r", "Include Dirs", "D:\\Q", true,
     "Include Dirs=A;D:\\Q\r"},
    {"KeyNeedNotStartALine", "x;Include Dirs=A\r\n", "Include Dirs", "D:\\Q", true,
     "x;Include Dirs=A;D:\\Q\r\n"},
    {"AlreadyListedIsListedTwice", "Include Dirs=D:\\Q\r\n", "Include Dirs", "D:\\Q\\", true,
     "Include Dirs=D:\\Q;D:\\Q\r\n"},
    {"OnlyOneTrailingBackslashDropped", "Include Dirs=A\r\n", "Include Dirs", "D:\\Q\\\\", true,
     "Include Dirs=A;D:\\Q\\\r\n"},
    {"EmptyFolderAddsSeparatorOnly", "Include Dirs=A\r\n", "Include Dirs", "", true,
     "Include Dirs=A;\r\n"},
    {"BackslashFolderAddsSeparatorOnly", "Include Dirs=A\r\n", "Include Dirs", "\\", true,
     "Include Dirs=A;\r\n"},
    {"NoKey", "Library Dirs=L\r\n", "Include Dirs", "D:\\Q", false, "Library Dirs=L\r\n"},
    {"KeyInOtherCase", "include dirs=A\r\n", "Include Dirs", "D:\\Q", false,
     "include dirs=A\r\n"},
    {"NameWithoutEqualsSignIsNoKey", "Include Dirs A\r\n", "Include Dirs", "D:\\Q", false,
     "Include Dirs A\r\n"},
    {"NoReturnAfterKey", "X=1\r\nInclude Dirs=A\n", "Include Dirs", "D:\\Q", false,
     "X=1\r\nInclude Dirs=A\n"},
    {"EmptyText", "", "Include Dirs", "D:\\Q", false, ""},
    {"NulBytesKept", std::string("A=\0\r\0", 5), "A", "D:\\Q", true,
     std::string("A=\0;D:\\Q\r\0", 10)},
};

// Names the case in ctest's listing instead of dumping its bytes.
void PrintTo(const AddCase& c, std::ostream* out) { *out << c.name; }

class AddListEntryTest : public ::testing::TestWithParam<AddCase> {};

TEST_P(AddListEntryTest, GivesExactText)
{
    const AddCase& c = GetParam();
    std::string text = c.text;
    EXPECT_EQ(AddListEntry(text, c.listName, c.folder), c.added);
    EXPECT_EQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, AddListEntryTest, ::testing::ValuesIn(kAddCases),
                         [](const ::testing::TestParamInfo<AddCase>& info) {
                             return std::string(info.param.name);
                         });

struct RemoveCase {
    const char* name;
    std::string text;
    const char* folder;
    std::size_t removed;
    std::string expected;
};

const RemoveCase kRemoveCases[] = {
    // The separator rule on one line.
    {"BetweenTwoEntries", "Include Dirs=A;D:\\Quillon;B\r\n", "D:\\Quillon", 1,
     "Include Dirs=A;B\r\n"},
    {"FirstEntry", "Include Dirs=D:\\Quillon;B\r\n", "D:\\Quillon", 1, "Include Dirs=;B\r\n"},
    {"LastEntry", "Include Dirs=A;D:\\Quillon\r\n", "D:\\Quillon", 1, "Include Dirs=A;\r\n"},
    {"OnlyEntry", "Include Dirs=D:\\Quillon\r\n", "D:\\Quillon", 1, "Include Dirs=\r\n"},
    {"TwiceInARow", "Include Dirs=A;D:\\Quillon;D:\\Quillon;B\r\n", "D:\\Quillon", 2,
     "Include Dirs=A;B\r\n"},
    {"TrailingBackslashIgnored", "Include Dirs=A;D:\\Quillon;B\r\n", "D:\\Quillon\\", 1,
     "Include Dirs=A;B\r\n"},
    {"EmptyEntriesAroundStay", "Include Dirs=;;D:\\Quillon;;\r\n", "D:\\Quillon", 1,
     "Include Dirs=;;;\r\n"},
    // The end of the text bounds an entry too; a ";" after it is taken when it is there.
    {"AtEndOfText", "Include Dirs=A;D:\\Quillon", "D:\\Quillon", 1, "Include Dirs=A;"},
    {"BeforeSeparatorAtEndOfText", "Include Dirs=A;D:\\Quillon;", "D:\\Quillon", 1,
     "Include Dirs=A;"},
    {"AfterEqualsSignKeepsSeparator", "=D:\\Quillon;", "D:\\Quillon", 1, "=;"},
    // Every line of the file.
    {"ThreeLists",
     "Include Dirs=D:\\Quillon;C:\\x\r\nLibrary Dirs=C:\\y;D:\\Quillon\r\n"
     "Reference Dirs=D:\\Quillon\r\n",
     "D:\\Quillon", 3, "Include Dirs=;C:\\x\r\nLibrary Dirs=C:\\y;\r\nReference Dirs=\r\n"},
    // What is not a whole entry stays.
    {"OtherLetterCase", "Include Dirs=d:\\quillon;D:\\QUILLON\r\n", "D:\\Quillon", 0,
     "Include Dirs=d:\\quillon;D:\\QUILLON\r\n"},
    {"SiblingsAndSubfoldersKept",
     "Include Dirs=D:\\Quillon2;D:\\Quillon\\include;D:\\Quillon Extra;xD:\\Quillon;"
     "D:\\Quillon\r\n",
     "D:\\Quillon", 1,
     "Include Dirs=D:\\Quillon2;D:\\Quillon\\include;D:\\Quillon Extra;xD:\\Quillon;\r\n"},
    {"LineFeedIsNoBound", "A=D:\\Quillon\nB=1\r\n", "D:\\Quillon", 0, "A=D:\\Quillon\nB=1\r\n"},
    {"StartOfTextIsNoBound", "D:\\Quillon;x", "D:\\Quillon", 0, "D:\\Quillon;x"},
    {"OtherByteBeforeIsNoBound", "A:D:\\Quillon;B\r\n", "D:\\Quillon", 0, "A:D:\\Quillon;B\r\n"},
    {"EmptyFolder", "Include Dirs=;A;\r\n", "", 0, "Include Dirs=;A;\r\n"},
    {"BackslashFolder", "Include Dirs=;\\;\r\n", "\\", 0, "Include Dirs=;\\;\r\n"},
    {"TextShorterThanFolder", "=D:\\Q", "D:\\Quillon", 0, "=D:\\Q"},
    // Folder texts that hold separators: a cut can join bytes into a new whole entry, which the
    // repeated search from the start removes as well.
    {"CutMakesNewEntry", "=a;a;b;b\r", "a;b", 2, "=\r"},
    {"FirstOfOverlappingEntries", "=x;x;x\r", "x;x", 1, "=;x\r"},
    {"CutExposesEntryBeforeIt", "=b;b;;\r", "b;", 2, "=\r"},
    {"ReturnInsideFolder", "=a\rb;a\rb\r", "a\rb", 2, "=;\r"},
};

void PrintTo(const RemoveCase& c, std::ostream* out) { *out << c.name; }

class RemoveListEntriesTest : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveListEntriesTest, GivesExactText)
{
    const RemoveCase& c = GetParam();
    std::string text = c.text;
    EXPECT_EQ(RemoveListEntries(text, c.folder), c.removed);
    EXPECT_EQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RemoveListEntriesTest, ::testing::ValuesIn(kRemoveCases),
                         [](const ::testing::TestParamInfo<RemoveCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(DirListText, AddAfterRemoveLeavesOneEntry)
{
    // The install moves the entries: remove the recorded folder, then add the new one.
    std::string text = "Include Dirs=A;D:\\Old\r\nLibrary Dirs=D:\\Old;B\r\n";
    EXPECT_EQ(RemoveListEntries(text, "D:\\Old\\"), 2u);
    EXPECT_TRUE(AddListEntry(text, "Include Dirs", "D:\\Old\\"));
    EXPECT_TRUE(AddListEntry(text, "Library Dirs", "D:\\Old\\"));
    EXPECT_EQ(text, "Include Dirs=A;D:\\Old\r\nLibrary Dirs=;B;D:\\Old\r\n");
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
        EXPECT_EQ(RemoveListEntries(text, folder), 51u);
        EXPECT_EQ(text, expected);
    }
}

TEST(DirListText, ListEntryTextAndKey)
{
    EXPECT_EQ(ListEntryText("D:\\Quillon\\"), "D:\\Quillon");
    EXPECT_EQ(ListEntryText("D:\\Quillon\\\\"), "D:\\Quillon\\");
    EXPECT_EQ(ListEntryText("D:\\Quillon"), "D:\\Quillon");
    EXPECT_EQ(ListEntryText("\\"), "");
    EXPECT_EQ(ListEntryText(""), "");
    EXPECT_EQ(ListKey("Include Dirs"), "Include Dirs=");
    EXPECT_EQ(ListKey("Include Dirs="), "Include Dirs=");
    EXPECT_EQ(ListKey(""), "=");
}

}  // namespace
