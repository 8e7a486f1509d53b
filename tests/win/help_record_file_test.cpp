#include "help_record_list.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

namespace {

const DWORD kHiddenArchive = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

const std::string kVersion4("\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16);
// Version 4 and one text pair record holding "a" and "b".
const std::string kPairFile = kVersion4 + std::string("\x03\0\0\0\x0c\0\0\0"
                                                      "\x02\0\0\0a\0"
                                                      "\x02\0\0\0b\0",
                                                      20);

class HelpRecordFile : public ::testing::Test {
protected:
    TempFolder folder_;
    const std::string target_ = folder_ / "nslist.hxl";

    // A list of one folder record, version 9.
    static HelpRecordList NewList()
    {
        HelpRecordList list(9);
        list.AppendFolder(3, "F", "");
        return list;
    }
    const std::string newImage_ = std::string("\x09\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
                                              "\x06\0\0\0\x0e\0\0\0"
                                              "\x03\0\0\0"
                                              "\x02\0\0\0F\0"
                                              "\0\0\0\0",
                                              38);
};

TEST_F(HelpRecordFile, LoadAndSaveRoundTripTheEmptyFile)
{
    WriteFileBytes(target_, std::string("\x04\0\0\0\x01\0\0\0\x02\0\0\0\x03\0\0\0", 16));
    HelpRecordList list;
    ASSERT_TRUE(list.Load(target_));
    EXPECT_EQ(list.Version(), 4);
    EXPECT_EQ(list.Count(), 0u);
    ASSERT_TRUE(list.Save(target_));
    EXPECT_EQ(ReadFileBytes(target_), kVersion4);
    EXPECT_EQ(GetFileAttributesA(target_.c_str()), kHiddenArchive);
    EXPECT_EQ(SnapshotTree(folder_.Path()), (Tree{{"nslist.hxl", kVersion4}}));
}

TEST_F(HelpRecordFile, SaveCreatesAHiddenArchiveFile)
{
    ASSERT_TRUE(NewList().Save(target_));
    EXPECT_EQ(ReadFileBytes(target_), newImage_);
    EXPECT_EQ(GetFileAttributesA(target_.c_str()), kHiddenArchive);
    EXPECT_EQ(SnapshotTree(folder_.Path()).size(), 1u);
}

TEST_F(HelpRecordFile, SaveReplacesHiddenAndPlainFiles)
{
    struct Row {
        const char* what;
        DWORD attributes;
    } rows[] = {
        {"plain", FILE_ATTRIBUTE_NORMAL},
        {"hidden", kHiddenArchive},
        {"system", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN},
    };
    for (const Row& row : rows) {
        WriteFileBytes(target_, kPairFile);
        ASSERT_TRUE(SetFileAttributesA(target_.c_str(), row.attributes));
        EXPECT_TRUE(NewList().Save(target_)) << row.what;
        EXPECT_EQ(ReadFileBytes(target_), newImage_) << row.what;
        EXPECT_EQ(GetFileAttributesA(target_.c_str()), kHiddenArchive) << row.what;
        EXPECT_EQ(SnapshotTree(folder_.Path()).size(), 1u) << row.what;
        SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(target_.c_str());
    }
}

TEST_F(HelpRecordFile, SaveOverwritesATemporaryFileLeftBehind)
{
    WriteFileBytes(target_, kPairFile);
    WriteFileBytes(target_ + ".tmp", "left over from an interrupted save");
    SetFileAttributesA((target_ + ".tmp").c_str(), kHiddenArchive);
    ASSERT_TRUE(NewList().Save(target_));
    EXPECT_EQ(SnapshotTree(folder_.Path()), (Tree{{"nslist.hxl", newImage_}}));
}

TEST_F(HelpRecordFile, ListWithoutFileIsNeverSaved)
{
    HelpRecordList unloaded;
    unloaded.AppendNamespace("a", "b", "c");
    EXPECT_FALSE(unloaded.Save(target_));
    EXPECT_FALSE(FileExists(target_));

    WriteFileBytes(target_, kPairFile);
    const DWORD attributes = GetFileAttributesA(target_.c_str());
    EXPECT_FALSE(unloaded.Save(target_));
    EXPECT_EQ(ReadFileBytes(target_), kPairFile);
    EXPECT_EQ(GetFileAttributesA(target_.c_str()), attributes);
    EXPECT_EQ(SnapshotTree(folder_.Path()).size(), 1u);
}

// Every failure before the replacement leaves the old file as it was and no temporary file.
TEST_F(HelpRecordFile, FailedSaveLeavesTheFileAsItWas)
{
    WriteFileBytes(target_, kPairFile);

    // The temporary file cannot be created: a folder has its name.
    ASSERT_TRUE(CreateDirectoryA((target_ + ".tmp").c_str(), nullptr));
    EXPECT_FALSE(NewList().Save(target_));
    EXPECT_EQ(SnapshotTree(folder_.Path()),
              (Tree{{"nslist.hxl", kPairFile}, {"nslist.hxl.tmp\\", ""}}));
    RemoveDirectoryA((target_ + ".tmp").c_str());

    // Another program holds the file open without delete sharing: the replacement fails.
    HANDLE reader = CreateFileA(target_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(NewList().Save(target_));
    CloseHandle(reader);
    EXPECT_EQ(SnapshotTree(folder_.Path()), (Tree{{"nslist.hxl", kPairFile}}));

    // Read-only, as CREATE_ALWAYS would refuse it.
    ASSERT_TRUE(SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(NewList().Save(target_));
    EXPECT_EQ(GetFileAttributesA(target_.c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(SnapshotTree(folder_.Path()), (Tree{{"nslist.hxl", kPairFile}}));
    SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A folder that does not exist.
    EXPECT_FALSE(NewList().Save(folder_ / "missing\\nslist.hxl"));
    EXPECT_FALSE(FolderExists(folder_ / "missing"));
}

TEST_F(HelpRecordFile, FailedLoadKeepsWhatTheRulesSay)
{
    HelpRecordList list(7);
    list.AppendFolder(1, "a", "b");

    // Missing: the list is unchanged.
    EXPECT_FALSE(list.Load(target_));
    EXPECT_EQ(list.Version(), 7);
    EXPECT_EQ(list.Count(), 1u);

    // Damaged after one whole record: that record and the version stay.
    WriteFileBytes(target_, std::string("\x05\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
                                        "\x01\0\0\0\x00\0\0\0"
                                        "\x02\0\0\0\x10\0\0\0\x02\0\0\0",
                                        36));
    EXPECT_FALSE(list.Load(target_));
    EXPECT_EQ(list.Version(), 5);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.TypeAt(0), 1u);

    // Empty: the parse has already dropped the old records.
    WriteFileBytes(target_, "");
    EXPECT_FALSE(list.Load(target_));
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(HelpRecordFile, LoadReadsAFileOthersAreReading)
{
    WriteFileBytes(target_, kPairFile);
    HANDLE reader = CreateFileA(target_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HelpRecordList list;
    EXPECT_TRUE(list.Load(target_));
    CloseHandle(reader);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.TypeAt(0), 3u);
    ASSERT_TRUE(list.Save(target_));
    EXPECT_EQ(ReadFileBytes(target_), kPairFile);
}

}  // namespace
