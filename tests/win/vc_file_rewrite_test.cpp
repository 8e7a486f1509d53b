#include "win32/safe_rewrite.h"
#include "vc_directories.h"
#include "vc_profiles.h"

#include <gtest/gtest.h>

namespace {

const char* const kOld = "Include Dirs=C:\\A;D:\\Quillon\r\nLibrary Dirs=D:\\Quillon\r\n";
const char* const kNew = "Include Dirs=C:\\A;\r\nLibrary Dirs=\r\n";

// The original as the settings code holds it while it edits.
HANDLE OpenLikeSettings(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_ARCHIVE, nullptr);
}

std::string MethodName(const ::testing::TestParamInfo<ReplaceMethod>& info)
{
    static const char* const names[] = {"Best", "ReplaceFile", "MoveFile"};
    return names[info.param];
}

RewriteOptions WithMethod(ReplaceMethod method)
{
    RewriteOptions options;
    options.method = method;
    return options;
}

class ReplaceFileContentTest : public ::testing::TestWithParam<ReplaceMethod> {};

TEST_P(ReplaceFileContentTest, PutsNewTextInPlaceWithOldAttributes)
{
    TempFolder temp;
    const std::string path = temp / "VCComponents.dat";
    WriteFileBytes(path, kOld);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    // Leftovers of an earlier run that stopped midway are replaced, then gone. (Only the swap
    // by ReplaceFileA leaves a backup behind.)
    WriteFileBytes((path + ".quillon-new"), "stale new");
    if (GetParam() != REPLACE_WITH_MOVEFILE)
        WriteFileBytes((path + ".quillon-old"), "stale old");

    FileHandle file(OpenLikeSettings(path));
    ASSERT_TRUE(file.IsOpen());
    EXPECT_TRUE(ReplaceFileContent(path, file, kNew, WithMethod(GetParam())));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(SnapshotTree(temp.Path()), (Tree{{"VCComponents.dat", kNew}}));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), attributes);
}

TEST_P(ReplaceFileContentTest, FailureLeavesOriginalByteIdentical)
{
    struct Obstacle {
        const char* what;
        bool backupFolder;  // else the temporary file's name is taken by a folder
    };
    for (const Obstacle obstacle : {Obstacle{"temporary name taken", false},
                                    Obstacle{"backup name taken", true}}) {
        // A folder where a file must go stops the step for sure, under Windows and Wine alike.
        if (obstacle.backupFolder && GetParam() == REPLACE_WITH_MOVEFILE)
            continue;  // the move needs no backup
        TempFolder temp;
        const std::string path = temp / "VCComponents.dat";
        WriteFileBytes(path, kOld);
        SetWriteTime(path, kOldTime);
        const std::string blocked =
            obstacle.backupFolder ? (path + ".quillon-old") : (path + ".quillon-new");
        ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));

        FileHandle file(OpenLikeSettings(path));
        ASSERT_TRUE(file.IsOpen());
        EXPECT_FALSE(ReplaceFileContent(path, file, kNew, WithMethod(GetParam())))
            << obstacle.what;
        file.Close();
        const std::string folderName = blocked.substr(temp.Path().size() + 1) + "\\";
        EXPECT_EQ(SnapshotTree(temp.Path()),
                  (Tree{{"VCComponents.dat", kOld}, {folderName, ""}}))
            << obstacle.what;
        EXPECT_TRUE(SameTime(WriteTime(path), kOldTime)) << obstacle.what;
    }
}

TEST_P(ReplaceFileContentTest, ReaderWithoutDeleteSharingKeepsOriginal)
{
    // Such a reader lets the settings file be opened for writing, but not be replaced.
    TempFolder temp;
    const std::string path = temp / "VCComponents.dat";
    WriteFileBytes(path, kOld);
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    FileHandle file(OpenLikeSettings(path));
    ASSERT_TRUE(file.IsOpen());
    EXPECT_FALSE(ReplaceFileContent(path, file, kNew, WithMethod(GetParam())));
    CloseHandle(reader);
    EXPECT_EQ(SnapshotTree(temp.Path()), (Tree{{"VCComponents.dat", kOld}}));
}

INSTANTIATE_TEST_SUITE_P(Methods, ReplaceFileContentTest,
                         ::testing::Values(REPLACE_BEST_AVAILABLE, REPLACE_WITH_REPLACEFILE,
                                           REPLACE_WITH_MOVEFILE),
                         MethodName);

TEST(RemoveVcDirectory, FailedReplaceLeavesSettingsByteIdentical)
{
    Profiles profiles;
    const std::string blockedTemp = profiles.AddUser("temp", kOld);
    const std::string blockedBackup = profiles.AddUser("backup", kOld);
    const std::string free = profiles.AddUser("free", kOld);
    ASSERT_TRUE(CreateDirectoryA((blockedTemp + ".quillon-new").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((blockedBackup + ".quillon-old").c_str(), nullptr));
    SetWriteTime(blockedTemp, kOldTime);
    SetWriteTime(blockedBackup, kOldTime);

    RemoveVcDirectory("D:\\Quillon");

    Tree tempTree = SettingsTree(kOld);
    tempTree["Microsoft\\VisualStudio\\7.0\\VCComponents.dat.quillon-new\\"] = "";
    Tree backupTree = SettingsTree(kOld);
    backupTree["Microsoft\\VisualStudio\\7.0\\VCComponents.dat.quillon-old\\"] = "";
    EXPECT_EQ(SnapshotTree(profiles.Root() + "\\temp"), tempTree);
    EXPECT_EQ(SnapshotTree(profiles.Root() + "\\backup"), backupTree);
    EXPECT_TRUE(SameTime(WriteTime(blockedTemp), kOldTime));
    EXPECT_TRUE(SameTime(WriteTime(blockedBackup), kOldTime));
    // The other user's file is edited all the same.
    EXPECT_EQ(SnapshotTree(profiles.Root() + "\\free"), SettingsTree(kNew));
}

}  // namespace
