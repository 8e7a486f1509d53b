#include "folder_guard.h"
#include "remove_tree.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const char* const kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";

// The paths registered for deletion at restart, in order ("\??\" prefix removed).
std::vector<std::string> PendingDeletes()
{
    std::vector<std::string> paths;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return paths;
    DWORD size = 0;
    std::string data;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        data.assign(size, '\0');
        RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&data[0]), &size);
    }
    RegCloseKey(key);
    // Pairs of source and (empty) target.
    std::vector<std::string> strings;
    for (size_t start = 0; start < data.size();) {
        const size_t end = data.find('\0', start);
        strings.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        EXPECT_EQ(strings[i + 1], "");
        paths.push_back(strings[i].compare(0, 4, "\\??\\") == 0 ? strings[i].substr(4) : strings[i]);
    }
    return paths;
}

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
    EXPECT_TRUE(RemoveFolderTree(temp_ / "lib"));
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

TEST_F(RemoveFolderTreeTest, MissingFolderIsScheduledOnce)
{
    EXPECT_TRUE(RemoveFolderTree(temp_ / "missing"));
    EXPECT_EQ(PendingDeletes(), (std::vector<std::string>{temp_ / "missing"}));
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

struct GuardCase {
    const char* path;
    bool ownable;
};

class IsOwnableFolderTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(IsOwnableFolderTest, Decides)
{
    EXPECT_EQ(IsOwnableFolder(GetParam().path), GetParam().ownable) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IsOwnableFolderTest,
    ::testing::Values(
        GuardCase{"C:\\Program Files\\Quillon", true}, GuardCase{"C:\\Quillon", true},
        GuardCase{"D:\\Libs\\Quillon\\", true}, GuardCase{"C:/Program Files/Quillon", true},
        GuardCase{"\\\\server\\share\\Quillon", true},
        GuardCase{"C:\\users\\someone\\Projects", true},
        GuardCase{"C:\\windows\\..\\Quillon", true},
        GuardCase{"", false}, GuardCase{"Quillon", false}, GuardCase{".", false},
        GuardCase{"\\Quillon", false}, GuardCase{"C:Quillon", false}, GuardCase{"C:", false},
        GuardCase{"C:\\", false}, GuardCase{"c:\\\\", false}, GuardCase{"C:/", false},
        GuardCase{"C:\\Quillon\\..", false}, GuardCase{"C:\\Program Files\\.\\", false},
        GuardCase{"C:\\Program Files", false}, GuardCase{"c:\\PROGRAM FILES\\", false},
        GuardCase{"C:\\Program Files\\Common Files", false}, GuardCase{"C:\\windows", false},
        GuardCase{"C:\\Windows\\System32", false}, GuardCase{"C:/windows/", false},
        GuardCase{"C:\\ProgramData", false}, GuardCase{"C:\\users", false},
        GuardCase{"C:\\users\\Public", false}, GuardCase{"C:\\users\\someone", false},
        GuardCase{"C:\\users\\someone\\Desktop", false},
        GuardCase{"C:\\users\\someone\\Documents", false},
        GuardCase{"C:\\users\\someone\\My Documents\\", false},
        GuardCase{"\\\\server", false}, GuardCase{"\\\\server\\share", false},
        GuardCase{"\\\\server\\share\\", false}));

TEST(IsOwnableFolder, RefusesThisUsersFolders)
{
    char profile[MAX_PATH] = "";
    ASSERT_TRUE(GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH) > 0);
    for (const char* below : {"", "\\Desktop", "\\Documents", "\\AppData\\Local", "\\AppData\\Roaming"})
        EXPECT_FALSE(IsOwnableFolder(std::string(profile) + below)) << below;
    EXPECT_TRUE(IsOwnableFolder(std::string(profile) + "\\AppData\\Local\\Temp\\x"));
}

}  // namespace
