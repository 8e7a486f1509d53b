#include "help_registration.h"
#include "run_setup.h"
#include "win32/reg_key.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

namespace {

const char* const kShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

TEST(RegKey, ReadStringGivesTextWithoutItsNul)
{
    ScratchKey scratch;
    scratch.SetString("k", "Name", "hello");
    scratch.SetString("k", "Empty", "");
    const DWORD word = 0x44434241;  // bytes 41 42 43 44
    scratch.SetValue("k", "Word", REG_DWORD, &word, sizeof word);
    scratch.SetValue("k", "Zero", REG_BINARY, "", 0);

    RegKey key;
    ASSERT_EQ(key.Open(scratch.Get(), "k", KEY_READ), ERROR_SUCCESS);
    struct Row {
        const char* name;
        LONG result;
        std::string text;
    } rows[] = {
        {"Name", ERROR_SUCCESS, "hello"},
        {"Empty", ERROR_SUCCESS, ""},
        {"Word", ERROR_SUCCESS, "ABC"},  // raw bytes less the last one, no type check
        {"Zero", ERROR_SUCCESS, ""},
        {"Missing", ERROR_FILE_NOT_FOUND, ""},
    };
    for (const Row& row : rows) {
        std::string text = "sentinel";
        EXPECT_EQ(key.ReadString(row.name, text), row.result) << row.name;
        EXPECT_EQ(text, row.text) << row.name;
    }
}

TEST(RegKey, EmptyHolderFailsToReadAndCloses)
{
    RegKey key;
    std::string text = "sentinel";
    EXPECT_NE(key.ReadString("InstallDir", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "");
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);

    ScratchKey scratch;
    EXPECT_EQ(key.Open(scratch.Get(), "missing", KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.Get(), nullptr);
}

TEST(RegKey, EnumSubKeysListsLastIndexFirst)
{
    ScratchKey scratch;
    for (const char* name : {"7.1", "7.0", "Abc", "8.0", "abd", "10.0"})
        scratch.CreateKey(std::string("vs\\") + name);
    RegKey key;
    ASSERT_EQ(key.Open(scratch.Get(), "vs", KEY_READ), ERROR_SUCCESS);
    std::vector<std::string> names{"sentinel"};
    EXPECT_EQ(key.EnumSubKeys(names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"abd", "Abc", "8.0", "7.1", "7.0", "10.0"}));
}

TEST(RegKey, EnumSubKeysOfEmptyKeyGivesNoNames)
{
    ScratchKey scratch;
    scratch.CreateKey("empty");
    RegKey key;
    ASSERT_EQ(key.Open(scratch.Get(), "empty", KEY_READ), ERROR_SUCCESS);
    std::vector<std::string> names{"sentinel"};
    EXPECT_EQ(key.EnumSubKeys(names), ERROR_SUCCESS);
    EXPECT_TRUE(names.empty());

    RegKey none;
    names = {"sentinel"};
    EXPECT_NE(none.EnumSubKeys(names), ERROR_SUCCESS);
    EXPECT_TRUE(names.empty());
}

TEST(RegKey, LongestSubKeyNameFitsTheBuffer)
{
    // The registry refuses names of 256 characters or more; 255 is the longest that exists,
    // and it must come back whole from the 256-character buffer.
    ScratchKey scratch;
    const std::string longest = "b" + std::string(254, 'x');
    scratch.CreateKey("list\\a");
    scratch.CreateKey("list\\" + longest);
    HKEY refused = nullptr;
    EXPECT_NE(RegCreateKeyExA(scratch.Get(), ("list\\" + longest + "y").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &refused, nullptr),
              ERROR_SUCCESS);

    RegKey key;
    ASSERT_EQ(key.Open(scratch.Get(), "list", KEY_READ), ERROR_SUCCESS);
    std::string name = "sentinel";
    EXPECT_EQ(key.EnumSubKey(1, name), ERROR_SUCCESS);
    EXPECT_EQ(name, longest);
    EXPECT_EQ(key.EnumSubKey(2, name), ERROR_NO_MORE_ITEMS);
    std::vector<std::string> names;
    EXPECT_EQ(key.EnumSubKeys(names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{longest, "a"}));
}

TEST(GetCommonHelpFolder, AppendsTheHelpFolder)
{
    ScratchKey scratch;
    std::string folder = "sentinel";
    EXPECT_FALSE(GetCommonHelpFolder(scratch.Get(), folder));
    EXPECT_EQ(folder, "sentinel");

    scratch.CreateKey(kShellFolders);
    EXPECT_FALSE(GetCommonHelpFolder(scratch.Get(), folder));
    EXPECT_EQ(folder, "");

    scratch.SetString(kShellFolders, "Common AppData",
                      "C:\\Documents and Settings\\All Users\\Application Data");
    EXPECT_TRUE(GetCommonHelpFolder(scratch.Get(), folder));
    EXPECT_EQ(folder, "C:\\Documents and Settings\\All Users\\Application Data\\Microsoft Help\\");
}

TEST(GetCommonHelpFolder, ReadsTheMachineValue)
{
    std::string folder;
    ASSERT_TRUE(GetCommonHelpFolder(folder));
    EXPECT_EQ(folder, "C:\\ProgramData\\Microsoft Help\\");
}

struct LookupCase {
    const char* what;
    bool uninstallKey;
    const char* installDir;       // null: no value
    const char* programFilesDir;  // null: no value
    const char* expected;
};

class LookupInstallFolderTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(LookupInstallFolderTest, FindsTheRecordedFolder)
{
    const LookupCase& c = GetParam();
    ScratchKey scratch;
    if (c.uninstallKey)
        scratch.CreateKey(UNINSTALL_KEY);
    if (c.installDir)
        scratch.SetString(UNINSTALL_KEY, "InstallDir", c.installDir);
    if (c.programFilesDir)
        scratch.SetString(CURRENT_VERSION_KEY, "ProgramFilesDir", c.programFilesDir);

    RegKey uninstallKey;
    EXPECT_EQ(LookupInstallFolder(scratch.Get(), uninstallKey), c.expected);
    EXPECT_EQ(uninstallKey.Get() != nullptr, c.uninstallKey);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LookupInstallFolderTest,
    ::testing::Values(
        LookupCase{"recorded", true, "D:\\Libs\\Quillon", "C:\\Program Files", "D:\\Libs\\Quillon"},
        LookupCase{"trailing", true, "D:\\Libs\\Quillon\\", nullptr, "D:\\Libs\\Quillon\\"},
        LookupCase{"empty", true, "", "C:\\Program Files", ""},
        LookupCase{"noValue", true, nullptr, "C:\\Program Files", "C:\\Program Files\\Quillon"},
        LookupCase{"noKey", false, nullptr, "C:\\Program Files", "C:\\Program Files\\Quillon"},
        LookupCase{"nothing", false, nullptr, nullptr, "\\Quillon"}),
    [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.what); });

}  // namespace
