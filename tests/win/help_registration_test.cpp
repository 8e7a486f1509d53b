#include "help_registration.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

namespace {

const char* const kShellFolders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const DWORD kHiddenArchive = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

std::string Le32(uint32_t value)
{
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

// The stored bytes of a narrow text, without its count.
std::string U16(const std::string& narrow)
{
    std::string bytes;
    for (char c : narrow)
        bytes += std::string(1, c) + '\0';
    return bytes;
}

const std::string kZeros(12, '\0');
const std::string kHelpFolder = "C:\\Program Files\\Quillon\\Help";
const std::string F = kHelpFolder + "\\";
const std::string kShared("V\0S\0\x22\x21", 6);  // a unit above 255 must survive the copy

// What a registration of the worked example writes.
const std::string kOwnTitle = Le32(5) + Le32(0x66) + Le32(0x0e) + U16("Quillon") + Le32(0x16) +
                              U16("Quillon.HxS") + Le32(0x16) + U16("Quillon.HxI") + Le32(0) +
                              Le32(0) + Le32(1033) + Le32(1) + Le32(1) + Le32(0) + Le32(0) +
                              Le32(0);
const std::string kOwnFile = Le32(4) + kZeros + kOwnTitle + Le32(6) + Le32(0x84) + Le32(1) +
                             Le32(0x3c) + U16(F) + Le32(0x3c) + U16(F);
const std::string kOurNamespace = Le32(2) + Le32(0x94) + Le32(0x0e) + U16("Quillon") +
                                  Le32(0x52) + U16(F + "Quillon.HxC") + Le32(0x28) +
                                  U16("Quillon library help");
const std::string kOurPlugin = Le32(4) + Le32(0xc8) + Le32(0x0e) + U16("Quillon") + Le32(6) +
                               kShared + Le32(0x52) +
                               U16("C:/Program Files/Quillon/Help/Quillon.HxT") + Le32(0x52) +
                               U16(F + "Quillon.HxA");

// Records of others, and of types the system does not model.
const std::string kOtherNamespace = Le32(2) + Le32(0x32) + Le32(0x0a) + U16("Other") +
                                    Le32(0x14) + U16("C:\\O\\o.HxC") + Le32(0x08) + U16("Help");
const std::string kRaw1 = Le32(1) + Le32(5) + std::string("\xab\xcd\xef\x00\x12", 5);
const std::string kPair = Le32(3) + Le32(0x0c) + Le32(2) + U16("x") + Le32(2) + U16("y");
const std::string kRaw7 = Le32(7) + Le32(3) + "\x01\x02\x03";
const std::string kRaw9 = Le32(9) + Le32(0);
const std::string kOtherPlugin = Le32(4) + Le32(0x48) + Le32(0x0a) + U16("Other") + Le32(6) +
                                 kShared + Le32(0x14) + U16("C:/O/o.HxT") + Le32(0x14) +
                                 U16("C:\\O\\o.HxA");
const std::string kSecondPlugin = Le32(4) + Le32(0x1e) + Le32(0x0c) + U16("Second") + Le32(2) +
                                  U16("Z") + Le32(0) + Le32(0);

const std::string kListHeader = Le32(1) + "\x11\x11\x11\x11\x22\x22\x22\x22\x33\x33\x33\x33";
const std::string kList = kListHeader + kOtherNamespace + kRaw1 + kPair;
const std::string kListRewritten = Le32(1) + kZeros + kOtherNamespace + kRaw1 + kPair;
const std::string kCollection = Le32(4) + kZeros + kRaw7 + kOtherPlugin + kSecondPlugin + kRaw9;

const Tree kBefore = {{"nslist.hxl", kList}, {"MS.VSCC.hxn", kCollection}};
const Tree kRegistered = {{"Quillon.hxn", kOwnFile},
                          {"nslist.hxl", kListRewritten + kOurNamespace},
                          {"MS.VSCC.hxn", kCollection + kOurPlugin}};
const Tree kRemoved = {{"nslist.hxl", kListRewritten}, {"MS.VSCC.hxn", kCollection}};

class HelpRegistration : public ::testing::Test {
protected:
    HelpRegistration()
    {
        scratch_.SetString(kShellFolders, "Common AppData", temp_.Path());
        CreateDirectoryA(data_.c_str(), nullptr);
    }

    void Register(const std::string& helpFolder = kHelpFolder)
    {
        RegisterHelp(scratch_.Get(), helpFolder, "Quillon", "Quillon", "Quillon library help");
    }
    void Unregister() { UnregisterHelp(scratch_.Get(), "Quillon"); }

    // Attributes are cleared first: Windows refuses to overwrite a hidden file as a plain one.
    void Put(const Tree& files) const
    {
        for (const auto& file : files)
            SetFileAttributesA((data_ + "\\" + file.first).c_str(), FILE_ATTRIBUTE_NORMAL);
        MakeTree(data_, files);
    }
    Tree Files() const { return SnapshotTree(data_); }
    DWORD Attributes(const char* name) const
    {
        return GetFileAttributesA((data_ + "\\" + name).c_str());
    }

    ScratchKey scratch_;
    TempFolder temp_;
    const std::string data_ = temp_ / "Microsoft Help";
};

TEST_F(HelpRegistration, WorkedExampleWritesTheThreeFilesExactly)
{
    for (const std::string& helpFolder : {kHelpFolder, kHelpFolder + "\\"}) {
        Put(kBefore);
        DeleteFileA((data_ + "\\Quillon.hxn").c_str());
        Register(helpFolder);
        EXPECT_EQ(Files(), kRegistered) << helpFolder;
        for (const char* name : {"Quillon.hxn", "nslist.hxl", "MS.VSCC.hxn"})
            EXPECT_EQ(Attributes(name), kHiddenArchive) << name;
    }
}

TEST_F(HelpRegistration, RemovalLeavesOnlyTheOtherRecords)
{
    Put(kBefore);
    Register();
    Unregister();
    EXPECT_EQ(Files(), kRemoved);
}

TEST_F(HelpRegistration, EmptyHelpFolderGivesBareFileNames)
{
    Put(kBefore);
    Register("");
    const Tree expected = {
        {"Quillon.hxn",
         Le32(4) + kZeros + kOwnTitle + Le32(6) + Le32(0x0c) + Le32(1) + Le32(0) + Le32(0)},
        {"nslist.hxl", kListRewritten + Le32(2) + Le32(0x58) + Le32(0x0e) + U16("Quillon") +
                           Le32(0x16) + U16("Quillon.HxC") + Le32(0x28) +
                           U16("Quillon library help")},
        {"MS.VSCC.hxn", kCollection + Le32(4) + Le32(0x50) + Le32(0x0e) + U16("Quillon") +
                            Le32(6) + kShared + Le32(0x16) + U16("Quillon.HxT") + Le32(0x16) +
                            U16("Quillon.HxA")},
    };
    EXPECT_EQ(Files(), expected);
}

TEST_F(HelpRegistration, CollectionFileMissingDamagedOrWithoutPlugins)
{
    Put({{"nslist.hxl", kList}});
    Register();
    EXPECT_EQ(Files(), (Tree{{"Quillon.hxn", kOwnFile},
                             {"nslist.hxl", kListRewritten + kOurNamespace}}));

    // Not rewritten: its non-zero reserved words would otherwise come back as 0.
    const std::string noPlugins = kListHeader + kRaw7 + kPair + kOtherNamespace;
    Put({{"MS.VSCC.hxn", noPlugins}});
    const DWORD attributes = Attributes("MS.VSCC.hxn");
    Unregister();
    Register();
    EXPECT_EQ(Files(), (Tree{{"Quillon.hxn", kOwnFile},
                             {"nslist.hxl", kListRewritten + kOurNamespace},
                             {"MS.VSCC.hxn", noPlugins}}));
    EXPECT_EQ(Attributes("MS.VSCC.hxn"), attributes);

    // Damaged: neither procedure rewrites it.
    const std::string damaged = (kCollection + kOurPlugin).substr(0, kCollection.size() + 9);
    Put({{"MS.VSCC.hxn", damaged}});
    Register();
    Unregister();
    EXPECT_EQ(Files(), (Tree{{"nslist.hxl", kListRewritten + kOurNamespace},
                             {"MS.VSCC.hxn", damaged}}));
}

TEST_F(HelpRegistration, NamespaceListMissingOrDamagedLeavesOnlyTheNamespaceFile)
{
    const std::string damaged[] = {
        kList.substr(0, kList.size() - 1),
        kListHeader.substr(0, 15),
        kListHeader + kOtherNamespace + Le32(9),
    };
    for (const std::string& list : damaged) {
        Put({{"nslist.hxl", list}, {"MS.VSCC.hxn", kCollection + kOurPlugin}});
        Register();
        EXPECT_EQ(Files(), (Tree{{"Quillon.hxn", kOwnFile},
                                 {"nslist.hxl", list},
                                 {"MS.VSCC.hxn", kCollection + kOurPlugin}}));
        // Removal deletes the namespace file and stops before the collection file.
        Unregister();
        EXPECT_EQ(Files(), (Tree{{"nslist.hxl", list},
                                 {"MS.VSCC.hxn", kCollection + kOurPlugin}}));
    }

    DeleteFileA((data_ + "\\nslist.hxl").c_str());
    Register();
    EXPECT_EQ(Files(),
              (Tree{{"Quillon.hxn", kOwnFile}, {"MS.VSCC.hxn", kCollection + kOurPlugin}}));
    Unregister();
    EXPECT_EQ(Files(), (Tree{{"MS.VSCC.hxn", kCollection + kOurPlugin}}));
}

TEST_F(HelpRegistration, RegisteringTwiceThenRemovingOnceLeavesOneSet)
{
    Put(kBefore);
    Register();
    Register();
    EXPECT_EQ(Files(), (Tree{{"Quillon.hxn", kOwnFile},
                             {"nslist.hxl", kListRewritten + kOurNamespace + kOurNamespace},
                             {"MS.VSCC.hxn", kCollection + kOurPlugin + kOurPlugin}}));
    Unregister();
    EXPECT_EQ(Files(), (Tree{{"nslist.hxl", kListRewritten + kOurNamespace},
                             {"MS.VSCC.hxn", kCollection + kOurPlugin}}));
}

TEST_F(HelpRegistration, RemovalTakesTheFirstExactNameOnly)
{
    const std::string lowerCase =
        Le32(2) + Le32(0x1a) + Le32(0x0e) + U16("quillon") + Le32(0) + Le32(0);
    const std::string upperCase =
        Le32(4) + Le32(0x1e) + Le32(0x0e) + U16("QUILLON") + Le32(0) + Le32(0) + Le32(0);

    Put({{"nslist.hxl", kListHeader + lowerCase + kOurNamespace + kRaw1 + kOurNamespace},
         {"MS.VSCC.hxn", kListHeader + upperCase + kRaw9 + kOurPlugin}});
    Unregister();
    EXPECT_EQ(Files(), (Tree{{"nslist.hxl", Le32(1) + kZeros + lowerCase + kRaw1 + kOurNamespace},
                             {"MS.VSCC.hxn", Le32(1) + kZeros + upperCase + kRaw9}}));

    // Names differing only in letter case: neither file is rewritten.
    const Tree caseOnly = {{"nslist.hxl", kListHeader + lowerCase + kPair},
                           {"MS.VSCC.hxn", kListHeader + kRaw9 + upperCase}};
    Put(caseOnly);
    Unregister();
    EXPECT_EQ(Files(), caseOnly);
}

TEST_F(HelpRegistration, WithoutCommonAppDataNothingIsTouched)
{
    ScratchKey noValue;
    noValue.SetString(kShellFolders, "Local AppData", temp_.Path());
    ScratchKey noKey;
    Put(kRegistered);
    for (HKEY root : {noValue.Get(), noKey.Get()}) {
        RegisterHelp(root, kHelpFolder, "Quillon", "Quillon", "Quillon library help");
        UnregisterHelp(root, "Quillon");
        EXPECT_EQ(Files(), kRegistered);
    }
}

TEST_F(HelpRegistration, PlainFormsUseTheMachineKey)
{
    SavedValue saved(HKEY_LOCAL_MACHINE, kShellFolders, "Common AppData");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Common AppData", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(temp_.Path().c_str()),
                   DWORD(temp_.Path().size() + 1));

    Put(kBefore);
    RegisterHelp(kHelpFolder, "Quillon", "Quillon", "Quillon library help");
    EXPECT_EQ(Files(), kRegistered);
    UnregisterHelp("Quillon");
    EXPECT_EQ(Files(), kRemoved);

    RegDeleteValueA(key, "Common AppData");
    RegCloseKey(key);
    Put(kRegistered);
    RegisterHelp(kHelpFolder, "Quillon", "Quillon", "Quillon library help");
    UnregisterHelp("Quillon");
    EXPECT_EQ(Files(), kRegistered);
}

TEST_F(HelpRegistration, NamespaceListThatCannotBeSavedStaysIntact)
{
    // The list's temporary file cannot be created, so its save fails before the file is touched.
    Put(kBefore);
    ASSERT_TRUE(CreateDirectoryA((data_ + "\\nslist.hxl.tmp").c_str(), nullptr));
    Register();
    EXPECT_EQ(Files(), (Tree{{"Quillon.hxn", kOwnFile},
                             {"nslist.hxl", kList},
                             {"nslist.hxl.tmp\\", ""},
                             {"MS.VSCC.hxn", kCollection}}));
}

}  // namespace
