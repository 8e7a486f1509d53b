#include "find_entries.h"
#include "win32/file_system.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

typedef std::vector<std::string> Names;

TEST(FindEntries, NoMatchEmptiesTheVector)
{
    TempFolder temp;
    Names names{"old", "names"};
    FindEntries((temp / "missing\\*.*").c_str(), names, AnyEntry);
    EXPECT_TRUE(names.empty());
    names = {"old"};
    FindEntries((temp / "nothing.*").c_str(), names, FilesOnly);
    EXPECT_TRUE(names.empty());
}

TEST(FindEntries, FiltersByTheDirectoryBit)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"b.txt", "b"}, {"A.h", "a"}, {"sub\\", ""}, {"noext", "n"},
                           {"hidden.txt", "h"}, {"readonly.txt", "r"}});
    SetFileAttributesA((temp / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((temp / "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    Names files, folders, all;
    FindEntries((temp.Path() + "\\*.*").c_str(), files, FilesOnly);
    FindEntries((temp.Path() + "\\*.*").c_str(), folders, FoldersOnly);
    FindEntries((temp.Path() + "\\*.*").c_str(), all, AnyEntry);
    SetFileAttributesA((temp / "readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

    // The platform's order is kept: names sorted without regard to case, "." and ".." first.
    EXPECT_EQ(files, (Names{"A.h", "b.txt", "hidden.txt", "noext", "readonly.txt"}));
    EXPECT_EQ(folders, (Names{".", "..", "sub"}));
    EXPECT_EQ(all, (Names{".", "..", "A.h", "b.txt", "hidden.txt", "noext", "readonly.txt", "sub"}));

    Names other;
    FindEntries((temp.Path() + "\\*.*").c_str(), other, 7);  // any other value: folders only
    EXPECT_EQ(other, folders);
}

TEST(FindEntries, EmptyFolderListsOnlyDotEntries)
{
    TempFolder temp;
    Names names{"sentinel"};
    FindEntries((temp.Path() + "\\*.*").c_str(), names, FoldersOnly);
    EXPECT_EQ(names, (Names{".", ".."}));
    FindEntries((temp.Path() + "\\*.*").c_str(), names, FilesOnly);
    EXPECT_TRUE(names.empty());
}

TEST(FindEntries, WizardPatternMatchesFilesOnly)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"QuillonWiz.vsz", "1"}, {"quillonwiz.ico", "2"}, {"QuillonWiz", "3"},
                           {"QuillonWizard.txt", "4"}, {"QuillonWiz.dir\\", ""}});
    Names names;
    FindEntries((temp.Path() + "\\QuillonWiz.*").c_str(), names, FilesOnly);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"QuillonWiz", "QuillonWiz.vsz", "quillonwiz.ico"}));
}

TEST(FindEntries, NamesAreLongNamesWithoutFolder)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"A rather long file name.header", "x"}});
    Names names;
    FindEntries((temp.Path() + "\\*.*").c_str(), names, FilesOnly);
    EXPECT_EQ(names, (Names{"A rather long file name.header"}));
}

TEST(PathExists, FindsFilesAndFolders)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"f.txt", "x"}, {"d\\", ""}});
    EXPECT_TRUE(PathExists(temp / "f.txt"));
    EXPECT_TRUE(PathExists(temp / "d"));
    EXPECT_FALSE(PathExists(temp / "missing"));
}

}  // namespace
