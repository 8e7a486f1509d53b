#include "copy_tree.h"
#include "folder_guard.h"
#include "remove_tree.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

typedef std::vector<std::string> Names;

// Counted as failures: files that could not be copied, except a read-only one kept on purpose.
TEST(CopyFolderTree, CopiesOverwritesKeepsExtrasAndCountsFailures)
{
    TempFolder temp;
    MakeTree(temp.Path(), {{"src\\", ""}, {"src\\same.h", "new"}, {"src\\locked.h", "new"},
                           {"src\\held.h", "new"}, {"src\\hidden.h", "h"}, {"src\\.dot", "d"},
                           {"src\\..sub\\", ""}, {"src\\..sub\\x.h", "x"}, {"src\\e\\", ""},
                           {"src\\e\\mpty\\", ""}, {"dst\\", ""}, {"dst\\same.h", "old content"},
                           {"dst\\locked.h", "old"}, {"dst\\held.h", "old"}, {"dst\\mine", "keep"},
                           {"dst\\..sub\\", ""}, {"dst\\..sub\\y.h", "keep too"}});
    SetFileAttributesA((temp / "src\\hidden.h").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((temp / "dst\\locked.h").c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE held = CreateFileA((temp / "dst\\held.h").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(CopyFolderTree(temp / "src\\", temp / "dst"), 1u);
    CloseHandle(held);
    EXPECT_EQ(SnapshotTree(temp / "dst"),
              (Tree{{"same.h", "new"}, {"locked.h", "old"}, {"held.h", "old"}, {"hidden.h", "h"},
                    {".dot", "d"}, {"mine", "keep"}, {"..sub\\", ""}, {"..sub\\x.h", "x"},
                    {"..sub\\y.h", "keep too"}, {"e\\", ""}, {"e\\mpty\\", ""}}));
    // Taking the copy back removes only what it created: the files it overwrote stay.
    CopyReport again;
    CopyFolderTree(temp / "src", temp / "dst", &again);
    UndoCopy(again, nullptr);
    EXPECT_EQ(SnapshotTree(temp / "dst"),
              (Tree{{"same.h", "new"}, {"locked.h", "old"}, {"held.h", "new"}, {"hidden.h", "h"},
                    {".dot", "d"}, {"mine", "keep"}, {"..sub\\", ""}, {"..sub\\x.h", "x"},
                    {"..sub\\y.h", "keep too"}, {"e\\", ""}, {"e\\mpty\\", ""}}));
    // Without the source an empty destination is made; without its parent nothing is copied.
    EXPECT_EQ(CopyFolderTree(temp / "nosuch", temp / "empty\\"), 0u);
    EXPECT_EQ(SnapshotTree(temp / "empty"), Tree());
    EXPECT_TRUE(FolderExists(temp / "empty"));
    EXPECT_EQ(CopyFolderTree(temp / "src\\..sub", temp / "no\\parent"), 1u);
    EXPECT_FALSE(FolderExists(temp / "no"));
}

// Links made on the Unix side by stage.sh: Wine shows a symbolic link to a folder as a
// folder with the reparse-point attribute, as Windows shows a junction.
const std::string kLinks = "C:\\quillon-link-test";

// What cannot go now waits for the restart, by its resolved path, and each folder above it too.
// Read-only files are cleared only when asked. A link goes as a link: its target stays intact.
TEST(RemoveFolderTree, RemovesWhatItCanSchedulesTheRestAndStopsAtLinks)
{
    SavedValue pending(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
    TempFolder temp;
    // What is missing, or no folder, is refused; so is all that the folder guard refuses.
    WriteFileBytes(temp / "file", "f");
    EXPECT_FALSE(RemoveFolderTree(temp / "lib"));
    EXPECT_FALSE(RemoveFolderTree(temp / "file"));
    for (const char* spelling : {"lib", "lib\\", "other\\..\\lib\\"}) {
        const bool keep = spelling[0] == 'o';  // read-only files kept and a file held open
        MakeTree(temp.Path(), {{"lib\\", ""}, {"lib\\a.h", "a"}, {"lib\\bin\\", ""},
                               {"lib\\bin\\setup.exe", "running"}, {"lib\\bin\\z.h", "z"},
                               {"lib\\ro.h", "r"}, {"lib\\hs", "s"}, {"lib\\empty\\", ""},
                               {"lib\\..hidden\\", ""}, {"lib\\..hidden\\deep\\", ""},
                               {"lib\\..hidden\\deep\\d.h", "d"}});
        SetFileAttributesA((temp / "lib\\hs").c_str(), FILE_ATTRIBUTE_SYSTEM);
        SetFileAttributesA((temp / "lib\\ro.h").c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE inUse = nullptr;
        if (keep)
            inUse = CreateFileA((temp / "lib\\bin\\setup.exe").c_str(), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_TRUE(RemoveFolderTree(temp / spelling,
                                     keep ? KeepReadOnlyFiles : ClearReadOnlyFiles));
        CloseHandle(inUse);
        if (!keep) {
            EXPECT_EQ(SnapshotTree(temp.Path()), (Tree{{"file", "f"}})) << spelling;
            EXPECT_EQ(PendingDeletes(), Names()) << spelling;
            continue;
        }
        EXPECT_EQ(PendingDeletes(), (Names{temp / "lib\\bin\\setup.exe", temp / "lib\\bin",
                                          temp / "lib\\ro.h", temp / "lib"}));
        EXPECT_EQ(SnapshotTree(temp / "lib"),
                  (Tree{{"bin\\", ""}, {"bin\\setup.exe", "running"}, {"ro.h", "r"}}));
    }
    EXPECT_TRUE(RemoveFolderTree(kLinks + "\\tree"));
    EXPECT_EQ(SnapshotTree(kLinks + "\\target"),
              (Tree{{"keep.txt", "target file"}, {"sub\\", ""}, {"sub\\deep.txt", "deep"}}));
    EXPECT_FALSE(FileExists(kLinks + "\\tree\\a.txt") || FolderExists(kLinks + "\\tree\\real"));
}

std::string ShortName(const std::string& path)
{
    char name[MAX_PATH] = "";
    const DWORD length = GetShortPathNameA(path.c_str(), name, MAX_PATH);
    return length > 0 && length < MAX_PATH ? name : "";
}

// Real folders, each decided in many spellings: what the file system says a folder is counts,
// never how its name is written.
TEST(FolderGuard, DecidesByWhatTheFolderIsHoweverSpelled)
{
    const Tree folders = {{"QuillonGuard\\", ""}, {"QuillonGuard\\ordinary\\", ""}, {"Prog\\", ""},
                          {"users\\someone\\", ""}, {"users\\someone\\Projects\\", ""},
                          {"users\\someone\\Desktop\\", ""}, {"users\\someone\\Documents\\", ""},
                          {"Program Files\\Quillon\\", ""}};
    MakeTree("C:\\", folders);
    const std::string profile = getenv("USERPROFILE"), programFiles = getenv("ProgramFiles");
    EXPECT_NE(ShortName(programFiles), programFiles);
    std::string driveC = "Z:" + std::string(getenv("WINEPREFIX")) + "\\drive_c";  // C through Z
    std::replace(driveC.begin(), driveC.end(), '/', '\\');
    const std::string refused[] = {
        "C:\\windows", "c:/WINDOWS/", "C:\\windows.", "C:\\windows. .", "\\\\?\\C:\\windows",
        "\\\\.\\C:\\windows", "C:\\windows\\system32\\..", "C:\\QuillonGuard\\..\\windows",
        "C:\\windows\\system32", driveC + "\\windows", programFiles, ShortName(programFiles),
        programFiles + "\\Common Files", ShortName(programFiles + "\\Common Files"),
        "\\\\?\\" + ShortName(programFiles), "C:\\ProgramData", "C:\\users", "C:\\users\\Public",
        "C:\\users\\someone", "C:\\users\\someone\\Desktop", "C:\\USERS\\SOMEONE\\documents\\",
        profile, profile + "\\Desktop", profile + "\\AppData\\Local",
        profile + "\\AppData\\Roaming",
        // Drive and share roots, and what holds one further down.
        "C:\\", "C:", "\\\\?\\C:\\", "Z:\\", driveC, driveC + "\\..", "\\\\localhost\\quillon",
        "\\\\localhost\\quillon\\", kLinks + "\\windows-link",
        // What cannot be identified: missing folders, files, other machines' shares.
        "C:\\QuillonGuard\\missing", "C:\\windows\\win.ini", "\\\\server\\share",
        "\\\\localhost\\C$\\QuillonGuard\\ordinary", "", "QuillonGuard", "\\QuillonGuard",
        "C:QuillonGuard", "."};
    for (const std::string& path : refused)
        EXPECT_FALSE(IsOwnableFolder(path)) << path;
    const std::string accepted[] = {
        "C:\\QuillonGuard\\ordinary", "c:/quillonguard/ORDINARY/", "C:\\QuillonGuard\\ordinary\\.",
        "C:\\QuillonGuard\\ordinary..", "\\\\?\\C:\\QuillonGuard\\ordinary",
        "C:\\windows\\..\\QuillonGuard\\ordinary", driveC + "\\QuillonGuard\\ordinary",
        "C:\\QuillonGuard", "\\\\localhost\\quillon\\ordinary",
        // Beside a protected folder, with a name that merely begins like it; above a link to one.
        "C:\\Prog", "C:\\Program Files\\Quillon", "C:\\users\\someone\\Projects", kLinks};
    for (const std::string& path : accepted)
        EXPECT_TRUE(IsOwnableFolder(path)) << path;
    for (const char* folder : {"C:\\QuillonGuard", "C:\\Prog", "C:\\users\\someone",
                               "C:\\Program Files\\Quillon"})
        DeleteTreeForTest(folder);
}

}  // namespace
