#include "folder_guard.h"
#include "remove_tree.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class RemoveFolderTreeTest : public ::testing::Test {
protected:
    SavedValue pending_{HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations"};
    TempFolder temp_;
};

const Tree kTree = {
    {"a.h", "a"},
    {"inc\\", ""},
    {"inc\\b.h", "b"},
    {"inc\\deep\\", ""},
    {"inc\\deep\\c.h", "c"},
    {"empty\\", ""},
    {"..hidden\\", ""},
    {"..hidden\\d.h", "d"},
    {"hidden.h", "h"},
    {"system.h", "s"},
};

TEST_F(RemoveFolderTreeTest, RemovesEverythingWithOrWithoutBackslash)
{
    for (const char* suffix : {"", "\\"}) {
        CreateDirectoryA((temp_ / "lib").c_str(), nullptr);
        MakeTree(temp_ / "lib", kTree);
        SetFileAttributesA((temp_ / "lib\\hidden.h").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesA((temp_ / "lib\\system.h").c_str(), FILE_ATTRIBUTE_SYSTEM);
        EXPECT_TRUE(RemoveFolderTree(temp_ / "lib" + suffix));
        EXPECT_FALSE(FolderExists(temp_ / "lib")) << suffix;
        EXPECT_EQ(PendingDeletes(), std::vector<std::string>()) << suffix;
    }
}

TEST_F(RemoveFolderTreeTest, SchedulesFileInUseAndEachFolderAboveIt)
{
    MakeTree(temp_.Path(), {{"lib\\", ""}, {"lib\\a.h", "a"}, {"lib\\bin\\", ""},
                            {"lib\\bin\\setup.exe", "running"}, {"lib\\bin\\z.h", "z"},
                            {"lib\\other\\", ""}, {"lib\\other\\o.h", "o"}});
    HANDLE inUse = CreateFileA((temp_ / "lib\\bin\\setup.exe").c_str(), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
    // Given unresolved, the path is resolved first: the restart gets plain paths.
    EXPECT_TRUE(RemoveFolderTree(temp_ / "other\\..\\lib\\"));
    CloseHandle(inUse);

    EXPECT_EQ(PendingDeletes(),
              (std::vector<std::string>{temp_ / "lib\\bin\\setup.exe", temp_ / "lib\\bin",
                                        temp_ / "lib"}));
    EXPECT_EQ(SnapshotTree(temp_ / "lib"),
              (Tree{{"bin\\", ""}, {"bin\\setup.exe", "running"}}));
}

TEST_F(RemoveFolderTreeTest, SchedulesReadOnlyFileAndKeepsItsAttributes)
{
    MakeTree(temp_.Path(), {{"lib\\", ""}, {"lib\\ro.h", "r"}});
    SetFileAttributesA((temp_ / "lib\\ro.h").c_str(), FILE_ATTRIBUTE_READONLY);
    const DWORD before = GetFileAttributesA((temp_ / "lib\\ro.h").c_str());
    ASSERT_TRUE(before & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(RemoveFolderTree(temp_ / "lib"));
    EXPECT_EQ(GetFileAttributesA((temp_ / "lib\\ro.h").c_str()), before);
    EXPECT_EQ(PendingDeletes(), (std::vector<std::string>{temp_ / "lib\\ro.h", temp_ / "lib"}));
    SetFileAttributesA((temp_ / "lib\\ro.h").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RemoveFolderTreeTest, ClearsReadOnlyFilesOnlyWhenAsked)
{
    MakeTree(temp_.Path(), {{"lib\\", ""}, {"lib\\sub\\", ""}, {"lib\\sub\\ro.h", "r"}});
    SetFileAttributesA((temp_ / "lib\\sub\\ro.h").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(RemoveFolderTree(temp_ / "lib", ClearReadOnlyFiles));
    EXPECT_FALSE(FolderExists(temp_ / "lib"));
    EXPECT_EQ(PendingDeletes(), std::vector<std::string>());
}

TEST_F(RemoveFolderTreeTest, MissingFolderIsRefusedAndNothingScheduled)
{
    EXPECT_FALSE(RemoveFolderTree(temp_ / "missing"));
    EXPECT_EQ(PendingDeletes(), std::vector<std::string>());
}

TEST_F(RemoveFolderTreeTest, ResolvesDotsBeforeRemoving)
{
    MakeTree(temp_.Path(), {{"lib\\", ""}, {"lib\\a.h", "a"}, {"keep.txt", "k"}});
    EXPECT_TRUE(RemoveFolderTree(temp_ / "x\\..\\lib\\."));
    EXPECT_EQ(SnapshotTree(temp_.Path()), (Tree{{"keep.txt", "k"}}));
}

TEST_F(RemoveFolderTreeTest, RefusesEmptyAndRelativePaths)
{
    MakeTree(temp_.Path(), {{"sub\\", ""}, {"sub\\keep.txt", "k"}, {"keep.txt", "k"}});
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(temp_.Path().c_str());
    const bool removedEmpty = RemoveFolderTree("");
    const bool removedRelative = RemoveFolderTree("sub");
    const bool removedDot = RemoveFolderTree(".");
    SetCurrentDirectoryA(previous);
    EXPECT_FALSE(removedEmpty);
    EXPECT_FALSE(removedRelative);
    EXPECT_FALSE(removedDot);
    EXPECT_FALSE(RemoveFolderTree(temp_ / "keep.txt"));
    EXPECT_EQ(SnapshotTree(temp_.Path()),
              (Tree{{"sub\\", ""}, {"sub\\keep.txt", "k"}, {"keep.txt", "k"}}));
    EXPECT_EQ(PendingDeletes(), std::vector<std::string>());
}

// A link made on the Unix side by the test fixture: Wine shows a symbolic link to a folder
// as a folder with the reparse-point attribute, as Windows shows a junction.
TEST_F(RemoveFolderTreeTest, LeavesLinkTargetIntact)
{
    const char* root = "C:\\quillon-link-test";
    if (!FolderExists(std::string(root) + "\\tree\\link"))
        GTEST_FAIL() << "the link fixture did not run";
    ASSERT_NE(GetFileAttributesA((std::string(root) + "\\tree\\link").c_str()) &
                  FILE_ATTRIBUTE_REPARSE_POINT,
              0u);
    EXPECT_TRUE(RemoveFolderTree(std::string(root) + "\\tree"));
    EXPECT_EQ(SnapshotTree(std::string(root) + "\\target"),
              (Tree{{"keep.txt", "target file"}, {"sub\\", ""}, {"sub\\deep.txt", "deep"}}));
    EXPECT_FALSE(FileExists(std::string(root) + "\\tree\\a.txt"));
    EXPECT_FALSE(FolderExists(std::string(root) + "\\tree\\real"));
}

std::string Env(const char* name)
{
    char value[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? value : "";
}

// Drive C as Wine shows it through drive Z, the root of the Unix file system.
std::string DriveCThroughZ()
{
    std::string prefix = Env("WINEPREFIX");
    for (char& c : prefix)
        if (c == '/')
            c = '\\';
    return "Z:" + prefix + "\\drive_c";
}

std::string ShortName(const std::string& path)
{
    char name[MAX_PATH] = "";
    const DWORD length = GetShortPathNameA(path.c_str(), name, MAX_PATH);
    return length > 0 && length < MAX_PATH ? name : "";
}

// Real folders, each decided in many spellings: what the file system says a folder is counts,
// never how its name is written.
class FolderGuardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeTree("C:\\", {{"QuillonGuard\\", ""}, {"QuillonGuard\\ordinary\\", ""},
                           {"Prog\\", ""}, {"users\\someone\\", ""},
                           {"users\\someone\\Projects\\", ""},
                           {"users\\someone\\Desktop\\", ""},
                           {"users\\someone\\Documents\\", ""},
                           {"Program Files\\Quillon\\", ""}});
    }
    void TearDown() override
    {
        for (const char* folder : {"C:\\QuillonGuard", "C:\\Prog", "C:\\users\\someone",
                                   "C:\\Program Files\\Quillon"})
            DeleteTreeForTest(folder);
    }
};

TEST_F(FolderGuardTest, RefusesProtectedFoldersAndTheirParentsHoweverSpelled)
{
    const std::string profile = Env("USERPROFILE");
    const std::string programFiles = Env("ProgramFiles");
    ASSERT_FALSE(programFiles.empty());
    ASSERT_NE(ShortName(programFiles), programFiles);
    for (const std::string& path : {
             std::string("C:\\windows"), std::string("c:/WINDOWS/"), std::string("C:\\windows."),
             std::string("C:\\windows. ."), std::string("\\\\?\\C:\\windows"),
             std::string("\\\\.\\C:\\windows"), std::string("C:\\windows\\system32\\.."),
             std::string("C:\\QuillonGuard\\..\\windows"), std::string("C:\\windows\\system32"),
             DriveCThroughZ() + "\\windows", programFiles, ShortName(programFiles),
             programFiles + "\\Common Files", ShortName(programFiles + "\\Common Files"),
             "\\\\?\\" + ShortName(programFiles), std::string("C:\\ProgramData"),
             std::string("C:\\users"), std::string("C:\\users\\Public"),
             std::string("C:\\users\\someone"), std::string("C:\\users\\someone\\Desktop"),
             std::string("C:\\USERS\\SOMEONE\\documents\\"), profile, profile + "\\Desktop",
             profile + "\\AppData\\Local", profile + "\\AppData\\Roaming",
             // Drive roots, and what holds one further down.
             std::string("C:\\"), std::string("C:"), std::string("\\\\?\\C:\\"), std::string("Z:\\"),
             DriveCThroughZ(), DriveCThroughZ() + "\\..",
             // A link to a protected folder, made by the link fixture.
             std::string("C:\\quillon-link-test\\windows-link"),
             // What cannot be identified: missing folders, files, other machines' shares.
             std::string("C:\\QuillonGuard\\missing"), std::string("C:\\windows\\win.ini"),
             std::string("\\\\localhost\\C$\\QuillonGuard\\ordinary"),
             std::string("\\\\server\\share"), std::string("\\\\server\\share\\"),
             std::string(""), std::string("QuillonGuard"), std::string("\\QuillonGuard"),
             std::string("C:QuillonGuard"), std::string(".")})
        EXPECT_FALSE(IsOwnableFolder(path)) << path;
}

TEST_F(FolderGuardTest, AcceptsOrdinaryFoldersHoweverSpelled)
{
    for (const std::string& path : {
             std::string("C:\\QuillonGuard\\ordinary"), std::string("c:/quillonguard/ORDINARY/"),
             std::string("C:\\QuillonGuard\\ordinary\\."), std::string("C:\\QuillonGuard\\ordinary.."),
             std::string("\\\\?\\C:\\QuillonGuard\\ordinary"),
             std::string("C:\\windows\\..\\QuillonGuard\\ordinary"),
             DriveCThroughZ() + "\\QuillonGuard\\ordinary", std::string("C:\\QuillonGuard"),
             // Beside a protected folder, with a name that merely begins like it.
             std::string("C:\\Prog"), std::string("C:\\Program Files\\Quillon"),
             std::string("C:\\users\\someone\\Projects")})
        EXPECT_TRUE(IsOwnableFolder(path)) << path;
}

}  // namespace
