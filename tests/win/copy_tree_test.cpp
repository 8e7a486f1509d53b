#include "copy_tree.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

namespace {

const Tree kSource = {
    {"top.h", "top"},
    {"inc\\", ""},
    {"inc\\a.h", "a"},
    {"inc\\deep\\", ""},
    {"inc\\deep\\b.h", "bb"},
    {"empty\\", ""},
    {"empty\\nested\\", ""},
    {"empty\\nested\\deeper\\", ""},
    {"..hidden\\", ""},
    {"..hidden\\c.h", "c"},
    {".dot", "d"},
};

class CopyFolderTreeTest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(CopyFolderTreeTest, ReproducesTheTreeWithOrWithoutBackslash)
{
    TempFolder temp;
    CreateDirectoryA((temp / "src").c_str(), nullptr);
    MakeTree(temp / "src", kSource);
    CopyFolderTree(temp / "src" + GetParam().first, temp / "dst" + GetParam().second);
    EXPECT_EQ(SnapshotTree(temp / "dst"), kSource);
}

INSTANTIATE_TEST_SUITE_P(Slashes, CopyFolderTreeTest,
                         ::testing::Values(std::make_pair("", ""), std::make_pair("\\", ""),
                                           std::make_pair("", "\\"),
                                           std::make_pair("\\", "\\")),
                         [](const ::testing::TestParamInfo<std::pair<const char*, const char*>>& info) {
                             return std::string(*info.param.first ? "Slash" : "Bare") +
                                    (*info.param.second ? "Slash" : "Bare");
                         });

TEST(CopyFolderTree, OverwritesAndKeepsDestinationExtras)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"src\\", ""}, {"src\\same.h", "new"}, {"src\\sub\\", ""},
                           {"src\\sub\\x.h", "x"}, {"dst\\", ""}, {"dst\\same.h", "old content"},
                           {"dst\\mine.txt", "keep"}, {"dst\\sub\\", ""},
                           {"dst\\sub\\y.h", "keep too"}});
    CopyFolderTree(temp / "src", temp / "dst");
    EXPECT_EQ(SnapshotTree(temp / "dst"),
              (Tree{{"same.h", "new"}, {"mine.txt", "keep"}, {"sub\\", ""}, {"sub\\x.h", "x"},
                    {"sub\\y.h", "keep too"}}));
}

TEST(CopyFolderTree, CopiesHiddenAndReadOnlySources)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"src\\", ""}, {"src\\hidden.h", "h"}, {"src\\readonly.h", "r"}});
    SetFileAttributesA((temp / "src\\hidden.h").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((temp / "src\\readonly.h").c_str(), FILE_ATTRIBUTE_READONLY);
    CopyFolderTree(temp / "src", temp / "dst");
    EXPECT_EQ(SnapshotTree(temp / "dst"), (Tree{{"hidden.h", "h"}, {"readonly.h", "r"}}));
}

TEST(CopyFolderTree, ReadOnlyDestinationFileStaysWhileTheRestIsCopied)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"src\\", ""}, {"src\\a.h", "new a"}, {"src\\locked.h", "new"},
                           {"src\\z.h", "new z"}, {"src\\sub\\", ""}, {"src\\sub\\s.h", "s"},
                           {"dst\\", ""}, {"dst\\locked.h", "old"}});
    SetFileAttributesA((temp / "dst\\locked.h").c_str(), FILE_ATTRIBUTE_READONLY);
    CopyFolderTree(temp / "src", temp / "dst");
    EXPECT_EQ(SnapshotTree(temp / "dst"), (Tree{{"a.h", "new a"}, {"locked.h", "old"},
                                                {"z.h", "new z"}, {"sub\\", ""}, {"sub\\s.h", "s"}}));
}

TEST(CopyFolderTree, MissingSourceLeavesAnEmptyDestination)
{
    TempFolder temp;
    CopyFolderTree(temp / "nosuch", temp / "dst");
    EXPECT_TRUE(FolderExists(temp / "dst"));
    EXPECT_TRUE(SnapshotTree(temp / "dst").empty());
}

TEST(CopyFolderTree, MissingDestinationParentCopiesNothing)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"src\\", ""}, {"src\\a.h", "a"}});
    CopyFolderTree(temp / "src", temp / "no\\parent");
    EXPECT_FALSE(FolderExists(temp / "no"));
}

}  // namespace
