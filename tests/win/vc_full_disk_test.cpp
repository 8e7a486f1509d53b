// The settings rewrite on a full disk. Run by ctest after a shell step has made, under the
// folder given on the command line, the settings folder and in it a Unix link to /dev/full
// under the name of the temporary file: every write to it fails with ERROR_DISK_FULL, as on a
// drive with no room left. An edit written in place would have emptied the file by then.

#include "vc_directories.h"
#include "vc_profiles.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string g_localAppData;

TEST(VcDirectoriesOnFullDisk, FailedWriteLeavesSettingsIntact)
{
    const std::string path = g_localAppData + kSettingsFile;
    HANDLE probe = CreateFileA((path + ".quillon-new").c_str(), GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(probe, INVALID_HANDLE_VALUE) << "no link at " << (path + ".quillon-new");
    DWORD written = 0;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(probe, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    CloseHandle(probe);

    const std::string before = "Include Dirs=C:\\A;D:\\Quillon\r\nLibrary Dirs=D:\\Quillon\r\n";
    WriteFileBytes(path, before);
    SetWriteTime(path, kOldTime);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const DWORD attributes = GetFileAttributesA(path.c_str());

    Profiles profiles;
    profiles.AddUserAt("full", g_localAppData);
    RemoveVcDirectory("D:\\Quillon");
    AddVcDirectory("Include Dirs", "D:\\New");

    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), attributes);
    EXPECT_TRUE(SameTime(WriteTime(path), kOldTime));
    // The link stays: Wine takes it for a device and will not delete it, where a real
    // temporary file on a full drive is deleted.
    Tree expected = SettingsTree(before);
    expected["Microsoft\\VisualStudio\\7.0\\VCComponents.dat.quillon-new"] = "";
    EXPECT_EQ(SnapshotTree(g_localAppData), expected);
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LOCAL-APPDATA-FOLDER\n", argv[0]);
        return 2;
    }
    g_localAppData = argv[1];
    return RUN_ALL_TESTS();
}
