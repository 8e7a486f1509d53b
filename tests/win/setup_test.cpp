#include "run_setup.h"
#include "win32/reg_key.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(RegKey, ReadStringGivesTheDataLessItsLastByte)
{
    ScratchKey scratch;
    scratch.SetString("k", "Name", "hello");
    scratch.SetString("k", "Empty", "");
    // The number 0x44434241, and a value of no bytes at all.
    SetRegistryValue(scratch.Get(), "k", "Word", REG_DWORD, "ABCD");
    SetRegistryValue(scratch.Get(), "k", "Zero", REG_BINARY, "");
    RegKey key, none;
    ASSERT_EQ(key.Open(scratch.Get(), "k", KEY_READ), ERROR_SUCCESS);
    const struct {
        const char* name;
        LONG result;
        const char* text;
    } rows[] = {{"Name", ERROR_SUCCESS, "hello"}, {"Empty", ERROR_SUCCESS, ""},
                {"Word", ERROR_SUCCESS, "ABC"},   {"Zero", ERROR_SUCCESS, ""},
                {"Missing", ERROR_FILE_NOT_FOUND, ""}};
    for (const auto& row : rows) {
        std::string text = "sentinel";
        EXPECT_EQ(key.ReadString(row.name, text), row.result) << row.name;
        EXPECT_EQ(text, row.text) << row.name;
    }
    EXPECT_EQ(none.Close(), ERROR_SUCCESS);
    EXPECT_EQ(none.Open(scratch.Get(), "missing", KEY_READ), ERROR_FILE_NOT_FOUND);
}

TEST(LookupInstallFolder, FindsTheRecordedFolderOrProposesOne)
{
    const struct {
        bool uninstallKey;
        const char* installDir;       // null: no value
        const char* programFilesDir;  // null: no value
        const char* expected;
    } rows[] = {{true, "D:\\Libs\\Quillon", "C:\\Program Files", "D:\\Libs\\Quillon"},
                {true, "", "C:\\Program Files", ""},
                {true, nullptr, "C:\\Program Files", "C:\\Program Files\\Quillon"},
                {false, nullptr, "C:\\Program Files", "C:\\Program Files\\Quillon"},
                {false, nullptr, nullptr, "\\Quillon"}};
    for (const auto& row : rows) {
        ScratchKey scratch;
        if (row.uninstallKey)
            scratch.SetString(UNINSTALL_KEY, "DisplayName", "Quillon");
        if (row.installDir)
            scratch.SetString(UNINSTALL_KEY, "InstallDir", row.installDir);
        if (row.programFilesDir)
            scratch.SetString(CURRENT_VERSION_KEY, "ProgramFilesDir", row.programFilesDir);
        RegKey uninstallKey;
        EXPECT_EQ(LookupInstallFolder(scratch.Get(), uninstallKey), row.expected) << &row - rows;
        EXPECT_EQ(uninstallKey.Get() != nullptr, row.uninstallKey) << &row - rows;
    }
}

}  // namespace
