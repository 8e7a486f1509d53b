#include "vc_directories.h"
#include "vc_profiles.h"
#include "win32/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

typedef std::vector<std::string> Paths;

const char* const kTypical =
    "[General]\r\nInclude Dirs=C:\\A;C:\\B\r\nLibrary Dirs=C:\\L\r\nReference Dirs=\r\n";
const char* const kTypicalAdded =
    "[General]\r\nInclude Dirs=C:\\A;C:\\B;D:\\Quillon\r\nLibrary Dirs=C:\\L\r\n"
    "Reference Dirs=\r\n";

TEST(ListVcComponentsFiles, OneFilePerUserWithLocalAppDataLastKeyFirst)
{
    Profiles profiles;
    profiles.AddUser("a");
    profiles.AddUserWithoutShellFolders("B");
    profiles.AddUser("C");
    profiles.AddUserWithValue("d", "Local AppData", REG_SZ, std::string(1, '\0'));
    profiles.AddUser("e");
    profiles.AddUserWithValue("F", "AppData", REG_SZ, "C:\\Roaming" + std::string(1, '\0'));

    // The registry lists keys in ascending order regardless of case; the list runs backwards.
    Paths before, after;
    for (const auto& user : profiles.Existing())
        (_stricmp(user.first.c_str(), profiles.Prefix().c_str()) > 0 ? after : before)
            .push_back(user.second);
    Paths expected(after.rbegin(), after.rend());
    for (const char* suffix : {"e", "C", "a"})
        expected.push_back(profiles.Root() + "\\" + suffix + kSettingsFile);
    expected.insert(expected.end(), before.rbegin(), before.rend());

    Paths paths{"stale entry"};
    ListVcComponentsFiles(paths);
    EXPECT_EQ(paths, expected);
}

TEST(ReadWholeFile, ReadsExactlyTheFile)
{
    TempFolder temp;
    const std::string path = temp / "f.dat";
    const std::string content = std::string("a\0b\r\n", 5) + std::string(70000, 'x') + "\xff";
    WriteFileBytes(path, content);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string text = "longer sentinel text than nothing";
    EXPECT_TRUE(ReadWholeFile(file, text));
    CloseHandle(file);
    EXPECT_EQ(text, content);
}

TEST(ReadWholeFile, RefusesWhatItCannotReadWhole)
{
    TempFolder temp;
    WriteFileBytes(temp / "empty.dat", "");
    WriteFileBytes(temp / "ten.dat", "0123456789");

    std::string text = "sentinel";
    EXPECT_FALSE(ReadWholeFile(INVALID_HANDLE_VALUE, text));
    EXPECT_EQ(text, "sentinel");

    HANDLE file = CreateFileA((temp / "empty.dat").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(ReadWholeFile(file, text));
    CloseHandle(file);
    EXPECT_EQ(text, "");

    // Read from the handle's position: six bytes of ten come in, the rest stays NUL.
    file = CreateFileA((temp / "ten.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                       nullptr);
    SetFilePointer(file, 4, nullptr, FILE_BEGIN);
    text = "xy";
    EXPECT_FALSE(ReadWholeFile(file, text));
    CloseHandle(file);
    EXPECT_EQ(text, std::string("456789\0\0\0\0", 10));

    // A handle without read access: the text is sized, the read fails.
    file = CreateFileA((temp / "ten.dat").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                       nullptr);
    text = "";
    EXPECT_FALSE(ReadWholeFile(file, text));
    CloseHandle(file);
    EXPECT_EQ(text, std::string(10, '\0'));
}

TEST(ReadWholeFile, RefusesFileOfFourGigabytesOrMore)
{
    // Sparse: 4 GB and 16 bytes cost no disk. Its low 32 bits alone would say 16 bytes.
    TempFolder temp;
    const std::string path = temp / "big.dat";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG high = 1;
    SetFilePointer(file, 16, &high, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    std::string text = "sentinel";
    EXPECT_FALSE(ReadWholeFile(file, text));
    EXPECT_EQ(text, "");
    CloseHandle(file);
}

// The profiles of the add and remove tests: files in every state the operations meet.
struct Fixture {
    Profiles profiles;
    std::string typical, noKey, noReturn, empty, readOnly, hidden, held;

    Fixture(const std::string& typicalContent, const std::string& noKeyContent)
    {
        typical = profiles.AddUser("typical", typicalContent);
        noKey = profiles.AddUser("nokey", noKeyContent);
        noReturn = profiles.AddUser("noreturn", "Include Dirs=D:\\Quillon;C:\\A\n");
        empty = profiles.AddUser("empty", "");
        readOnly = profiles.AddUser("readonly", "Include Dirs=D:\\Quillon;C:\\A\r\n");
        hidden = profiles.AddUser("hidden", "Include Dirs=C:\\H;D:\\Quillon\r\n");
        held = profiles.AddUser("held", "Include Dirs=D:\\Quillon\r\n");
        profiles.AddUser("nofile");
        profiles.AddUserWithoutShellFolders("nofolders");
        for (const std::string* path : {&typical, &noKey, &noReturn, &empty, &readOnly, &hidden})
            SetWriteTime(*path, kOldTime);
        SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }
    ~Fixture() { SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL); }

    Tree Snapshot(const char* user) const { return SnapshotTree(profiles.Root() + "\\" + user); }
};

// An IDE that holds the file for writing (even one that shares writing) makes the open fail.
HANDLE HoldForWriting(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

TEST(AddVcDirectory, EditsEveryReadableFileExactly)
{
    Fixture fixture(kTypical, "Library Dirs=C:\\L\r\nInclude Dirs\r\n");
    const DWORD hiddenAttributes = GetFileAttributesA(fixture.hidden.c_str());
    HANDLE holder = HoldForWriting(fixture.held);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    AddVcDirectory("Include Dirs", "D:\\Quillon\\");
    CloseHandle(holder);

    EXPECT_EQ(fixture.Snapshot("typical"), SettingsTree(kTypicalAdded));
    EXPECT_EQ(fixture.Snapshot("nokey"), SettingsTree("Library Dirs=C:\\L\r\nInclude Dirs\r\n"));
    EXPECT_EQ(fixture.Snapshot("noreturn"), SettingsTree("Include Dirs=D:\\Quillon;C:\\A\n"));
    EXPECT_EQ(fixture.Snapshot("empty"), SettingsTree(""));
    EXPECT_EQ(fixture.Snapshot("readonly"), SettingsTree("Include Dirs=D:\\Quillon;C:\\A\r\n"));
    EXPECT_EQ(fixture.Snapshot("hidden"),
              SettingsTree("Include Dirs=C:\\H;D:\\Quillon;D:\\Quillon\r\n"));
    EXPECT_EQ(fixture.Snapshot("held"), SettingsTree("Include Dirs=D:\\Quillon\r\n"));
    EXPECT_EQ(fixture.Snapshot("nofile"), SettingsTree());

    // Files that are not edited are not rewritten either.
    for (const std::string* path : {&fixture.noKey, &fixture.noReturn, &fixture.empty,
                                    &fixture.readOnly})
        EXPECT_TRUE(SameTime(WriteTime(*path), kOldTime)) << *path;
    EXPECT_FALSE(SameTime(WriteTime(fixture.typical), kOldTime));
    EXPECT_EQ(GetFileAttributesA(fixture.readOnly.c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA(fixture.hidden.c_str()), hiddenAttributes);
}

TEST(AddVcDirectory, FindsEachListWhereverItStands)
{
    Profiles profiles;
    const std::string path = profiles.AddUser(
        "u", "Library Dirs=C:\\L;\r\nInclude Dirs=\r\nX=1\r\nInclude Dirs=C:\\Second\r\n");
    AddVcDirectory("Include Dirs", "D:\\Quillon");
    AddVcDirectory("Library Dirs", "D:\\Quillon\\");
    EXPECT_EQ(ReadFileBytes(path),
              "Library Dirs=C:\\L;D:\\Quillon\r\nInclude Dirs=;D:\\Quillon\r\nX=1\r\n"
              "Include Dirs=C:\\Second\r\n");
}

TEST(RemoveVcDirectory, RemovesWholeEntriesFromEveryReadableFile)
{
    Fixture fixture(
        "Include Dirs=D:\\Quillon;C:\\x\r\nLibrary Dirs=C:\\y;D:\\Quillon;D:\\Quillon2\r\n"
        "Reference Dirs=D:\\Quillon\\sub;D:\\Quillon\r\nSource Dirs=xD:\\Quillon;D:\\Quillon;z",
        "Include Dirs=d:\\quillon;D:\\QUILLON\r\n");
    const DWORD hiddenAttributes = GetFileAttributesA(fixture.hidden.c_str());
    HANDLE holder = HoldForWriting(fixture.held);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    RemoveVcDirectory("D:\\Quillon\\");
    CloseHandle(holder);

    EXPECT_EQ(fixture.Snapshot("typical"),
              SettingsTree("Include Dirs=;C:\\x\r\nLibrary Dirs=C:\\y;D:\\Quillon2\r\n"
                           "Reference Dirs=D:\\Quillon\\sub;\r\nSource Dirs=xD:\\Quillon;z"));
    EXPECT_EQ(fixture.Snapshot("nokey"), SettingsTree("Include Dirs=d:\\quillon;D:\\QUILLON\r\n"));
    EXPECT_EQ(fixture.Snapshot("noreturn"), SettingsTree("Include Dirs=;C:\\A\n"));
    EXPECT_EQ(fixture.Snapshot("empty"), SettingsTree(""));
    EXPECT_EQ(fixture.Snapshot("readonly"), SettingsTree("Include Dirs=D:\\Quillon;C:\\A\r\n"));
    EXPECT_EQ(fixture.Snapshot("hidden"), SettingsTree("Include Dirs=C:\\H;\r\n"));
    EXPECT_EQ(fixture.Snapshot("held"), SettingsTree("Include Dirs=D:\\Quillon\r\n"));
    EXPECT_EQ(fixture.Snapshot("nofile"), SettingsTree());

    // A readable file is written back even when nothing was removed from it.
    EXPECT_FALSE(SameTime(WriteTime(fixture.noKey), kOldTime));
    EXPECT_TRUE(SameTime(WriteTime(fixture.empty), kOldTime));
    EXPECT_TRUE(SameTime(WriteTime(fixture.readOnly), kOldTime));
    EXPECT_EQ(GetFileAttributesA(fixture.hidden.c_str()), hiddenAttributes);
}

TEST(RemoveVcDirectory, EmptyFolderTextRemovesNothing)
{
    Profiles profiles;
    const std::string content = "Include Dirs=;\\;;A\r\nLibrary Dirs=\\\r\n";
    const std::string path = profiles.AddUser("u", content);
    for (const char* folder : {"", "\\"}) {
        SetWriteTime(path, kOldTime);
        RemoveVcDirectory(folder);
        EXPECT_EQ(SnapshotTree(profiles.Root() + "\\u"), SettingsTree(content)) << folder;
        EXPECT_FALSE(SameTime(WriteTime(path), kOldTime)) << folder;
    }
}

TEST(VcDirectories, InstallMovesEntriesOfEveryUser)
{
    // The install sequence: the recorded folder out, the new one into both lists.
    Profiles profiles;
    const std::string first = profiles.AddUser(
        "first", "Include Dirs=C:\\A;D:\\Old\r\nLibrary Dirs=D:\\Old;C:\\L\r\n");
    const std::string second = profiles.AddUser("second", "Include Dirs=\r\nLibrary Dirs=\r\n");
    for (int run = 0; run < 2; ++run) {
        RemoveVcDirectory("D:\\Old\\");
        AddVcDirectory("Include Dirs", "D:\\Old\\");
        AddVcDirectory("Library Dirs", "D:\\Old\\");
    }
    EXPECT_EQ(ReadFileBytes(first),
              "Include Dirs=C:\\A;D:\\Old\r\nLibrary Dirs=;C:\\L;D:\\Old\r\n");
    EXPECT_EQ(ReadFileBytes(second), "Include Dirs=;D:\\Old\r\nLibrary Dirs=;D:\\Old\r\n");

    RemoveVcDirectory("D:\\Old");
    EXPECT_EQ(ReadFileBytes(first), "Include Dirs=C:\\A;\r\nLibrary Dirs=;C:\\L;\r\n");
    EXPECT_EQ(ReadFileBytes(second), "Include Dirs=;\r\nLibrary Dirs=;\r\n");
    EXPECT_EQ(SnapshotTree(profiles.Root() + "\\first"),
              SettingsTree("Include Dirs=C:\\A;\r\nLibrary Dirs=;C:\\L;\r\n"));
}

}  // namespace
