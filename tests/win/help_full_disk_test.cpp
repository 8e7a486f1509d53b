// Save on a full disk. Run by ctest after a shell step has put, in the folder given on the
// command line, a Unix link to /dev/full under the name of the temporary file that Save writes:
// every write to it fails with ERROR_DISK_FULL, as on a small drive with no room left.

#include "help_record_list.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

namespace {

std::string g_folder;

TEST(HelpSaveOnFullDisk, FailedWriteLeavesTheNamespaceListIntact)
{
    const std::string target = g_folder + "\\nslist.hxl";
    const std::string temp = target + ".tmp";
    // The stage is right only if writing to the temporary file's name really fails.
    HANDLE probe = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(probe, INVALID_HANDLE_VALUE) << "no link at " << temp;
    DWORD written = 0;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(probe, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    CloseHandle(probe);

    const std::string before = std::string("\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16) +
                               std::string("\x09\0\0\0\x02\0\0\0\xab\xcd", 10);
    WriteFileBytes(target, before);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

    HelpRecordList list;
    ASSERT_TRUE(list.Load(target));
    list.AppendNamespace("Quillon", "C:\\Quillon\\Help\\Quillon.HxC", "Quillon library help");
    EXPECT_FALSE(list.Save(target));

    EXPECT_EQ(ReadFileBytes(target), before);
    EXPECT_EQ(GetFileAttributesA(target.c_str()),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    // Nothing else appeared. The link itself stays: Wine takes it for a device and refuses to
    // delete it (error 87), where a real temporary file on a full drive is deleted.
    EXPECT_EQ(SnapshotTree(g_folder), (Tree{{"nslist.hxl", before}, {"nslist.hxl.tmp", ""}}));
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    g_folder = argv[1];
    return RUN_ALL_TESTS();
}
