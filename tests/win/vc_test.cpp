#include "vc_directories.h"
#include "win32/file_system.h"
#include "win32/safe_rewrite.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <memory>

namespace {

const char* const kShellFolders =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string kSettingsFolder = "\\Microsoft\\VisualStudio\\7.0";
const std::string kSettingsFile = kSettingsFolder + "\\VCComponents.dat";
const FILETIME kOldTime = {0x96b5ce00, 0x01c2fb39};  // 2003-04-05, a time no rewrite leaves
const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool IsOld(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return CompareFileTime(&data.ftLastWriteTime, &kOldTime) == 0;
}

void WriteOldFile(const std::string& path, const std::string& content)
{
    WriteFileBytes(path, content);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    SetFileTime(file, nullptr, nullptr, &kOldTime);
    CloseHandle(file);
}

// User keys under HKEY_USERS of the test's own, removed at the end. The machine's own users get
// an empty "Local AppData" meanwhile, so that no real settings file is listed or touched.
class Profiles {
public:
    Profiles()
    {
        char name[256];
        std::string folder;
        for (DWORD i = 0, size = sizeof name; SHEnumKeyExA(HKEY_USERS, i, name, &size) == 0;
             size = sizeof name, ++i) {
            const std::string key = name + std::string(kShellFolders);
            if (ReadRegistryValue(HKEY_USERS, key, "Local AppData", folder)) {
                saved_.emplace_back(new SavedValue(HKEY_USERS, key, "Local AppData"));
                SetRegistryValue(HKEY_USERS, key, "Local AppData", REG_SZ, std::string(1, '\0'));
            }
        }
    }
    ~Profiles()
    {
        for (const std::string& key : created_)
            SHDeleteKeyA(HKEY_USERS, key.c_str());
    }

    // A user key with one value of its Shell Folders key (or none, for a null name).
    void AddKey(const std::string& suffix, const char* name, const std::string& data)
    {
        created_.push_back("QuillonVcTest" + std::to_string(GetCurrentProcessId()) + "-" + suffix);
        const std::string key = created_.back() + (name ? kShellFolders : "\\Software");
        SetRegistryValue(HKEY_USERS, key, name ? name : "Other", REG_SZ, data + '\0');
    }

private:
    std::vector<std::unique_ptr<SavedValue>> saved_;
    std::vector<std::string> created_;
};

// The whole file from the handle's position, or false when less of it came in.
TEST(ReadWholeFile, ReadsTheWholeFileOrRefuses)
{
    TempFolder temp;
    const std::string content = std::string("a\0b\r\n", 5) + std::string(70000, 'x') + "\xff";
    WriteFileBytes(temp / "f", content);
    FileHandle file(CreateFileA((temp / "f").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    std::string text = "xy";
    EXPECT_TRUE(ReadWholeFile(file.Get(), text));
    EXPECT_EQ(text, content);
    EXPECT_FALSE(ReadWholeFile(file.Get(), text));  // from the end: nothing came in
    // Sparse: 4 GB and 16 bytes cost no disk. Its low 32 bits alone would say 16 bytes.
    LONG high = 1;
    SetFilePointer(file.Get(), 16, &high, FILE_BEGIN);
    SetEndOfFile(file.Get());
    SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    EXPECT_FALSE(ReadWholeFile(file.Get(), text));
}

// The users of the edit test: files in every state the two edits meet. Null after an edit: the
// file was not rewritten (same bytes, same time).
struct SettingsUser {
    const char* name;
    const char* before;   // null: the user has no settings file
    const char* added;    // after AddVcDirectory("Include Dirs", "D:\\Quillon\\")
    const char* removed;  // after RemoveVcDirectory("D:\\Quillon\\")
};

const SettingsUser kUsers[] = {
    {"typical", "[General]\r\nInclude Dirs=D:\\Quillon;C:\\x\r\nLibrary Dirs=C:\\y;D:\\Quillon\r\n",
     "[General]\r\nInclude Dirs=D:\\Quillon;C:\\x;D:\\Quillon\r\n"
     "Library Dirs=C:\\y;D:\\Quillon\r\n",
     "[General]\r\nInclude Dirs=;C:\\x\r\nLibrary Dirs=C:\\y;\r\n"},
    // A readable file is written back even when nothing was removed from it.
    {"keyless", "Library Dirs=C:\\L\r\nInclude Dirs\r\n", nullptr,
     "Library Dirs=C:\\L\r\nInclude Dirs\r\n"},
    {"empty", "", nullptr, nullptr},
    {"readonly", "Include Dirs=D:\\Quillon;C:\\A\r\n", nullptr, nullptr},
    // An IDE that holds the file for writing makes it skipped, even one that shares everything.
    {"held", "Include Dirs=D:\\Quillon\r\n", nullptr, nullptr},
    {"nofile", nullptr, nullptr, nullptr},
};

TEST(VcDirectories, ListsEachUsersFileAndEditsEveryReadableOneExactly)
{
    for (const bool add : {true, false}) {
        Profiles profiles;
        TempFolder temp;
        const std::string root = temp.Path() + "\\";
        profiles.AddKey("nofolders", nullptr, "");
        profiles.AddKey("unset", "Local AppData", "");
        profiles.AddKey("roaming", "AppData", root + "roaming");
        for (const SettingsUser& user : kUsers)
            profiles.AddKey(user.name, "Local AppData", root + user.name);
        // The registry lists keys in ascending order; the list runs backwards, one path per user
        // whose "Local AppData" names a folder.
        std::vector<WidePath> paths{L"stale entry"}, expected;
        ListVcComponentsFiles(paths);
        for (const char* name : {"typical", "readonly", "nofile", "keyless", "held", "empty"})
            expected.push_back(Widen(root + name + kSettingsFile));
        EXPECT_EQ(paths, expected);
        // Users without their settings folder are no failure.
        EXPECT_TRUE(add ? AddVcDirectory("Include Dirs", "D:\\Quillon\\")
                        : RemoveVcDirectory("D:\\Quillon\\"));
        for (const SettingsUser& user : kUsers) {
            SHCreateDirectoryExA(nullptr, (root + user.name + kSettingsFolder).c_str(), nullptr);
            if (user.before)
                WriteOldFile(root + user.name + kSettingsFile, user.before);
        }
        SetFileAttributesA((root + "readonly" + kSettingsFile).c_str(), FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA((root + "typical" + kSettingsFile).c_str(), kHiddenSystem);
        HANDLE holder = CreateFileA((root + "held" + kSettingsFile).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(add ? AddVcDirectory("Include Dirs", "D:\\Quillon\\")
                         : RemoveVcDirectory("D:\\Quillon\\"));
        CloseHandle(holder);

        for (const SettingsUser& user : kUsers) {
            const char* after = add ? user.added : user.removed;
            const std::string path = root + user.name + kSettingsFile;
            const std::string what = std::string(user.name) + (add ? " added" : " removed");
            const char* content = after ? after : user.before;
            EXPECT_EQ(SnapshotTree(root + user.name + kSettingsFolder),
                      content ? (Tree{{"VCComponents.dat", content}}) : Tree()) << what;
            EXPECT_EQ(user.before && IsOld(path), user.before && !after) << what;
            // The rewrite keeps what attributes there were, and adds none of these.
            EXPECT_EQ(content ? GetFileAttributesA(path.c_str()) & kHiddenSystem : 0,
                      user.name == std::string("typical") ? kHiddenSystem : 0) << what;
        }
    }
}

const char* const kOld = "Include Dirs=C:\\A;D:\\Quillon\r\nLibrary Dirs=D:\\Quillon\r\n";
const char* const kNew = "Include Dirs=C:\\A;\r\nLibrary Dirs=\r\n";

// The new text in place with the old attributes, left-overs of an earlier run replaced; or, when
// a step fails or the file is refused, the folder as it was.
TEST(ReplaceFileContent, PutsTheNewTextInPlaceOrLeavesTheOriginal)
{
    const std::string kTemp = "VCComponents.dat.quillon-new";
    const struct {
        const char* what;
        Tree beside;  // a folder where a file must go stops the step, on Windows and Wine
        bool reader;  // one that does not share deletion: the file cannot be replaced
        DWORD attributes;
        bool fails;
    } rows[] = {
        {"stale temporary file", {{kTemp, "stale"}}, false, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         false},
        {"temporary name taken", {{kTemp + "\\", ""}}, false, 0, true},
        {"reader", {}, true, 0, true},
        {"read-only", {{kTemp, "stale"}}, false, FILE_ATTRIBUTE_READONLY, true}};
    for (const auto& row : rows) {
        TempFolder temp;
        const std::string path = temp / "VCComponents.dat";
        MakeTree(temp.Path(), row.beside);
        WriteOldFile(path, kOld);
        SetFileAttributesA(path.c_str(), row.attributes | FILE_ATTRIBUTE_ARCHIVE);
        const DWORD attributes = GetFileAttributesA(path.c_str());
        const Tree before = SnapshotTree(temp.Path());
        HANDLE reader = nullptr;
        if (row.reader)
            reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
        FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(ReplaceFileContent(Widen(path), file, kNew), !row.fails) << row.what;
        CloseHandle(reader);
        EXPECT_EQ(SnapshotTree(temp.Path()),
                  row.fails ? before : (Tree{{"VCComponents.dat", kNew}})) << row.what;
        EXPECT_EQ(GetFileAttributesA(path.c_str()), attributes) << row.what;
        EXPECT_EQ(IsOld(path), row.fails) << row.what;
    }
}

// What a rewrite stopped at any moment leaves (an earlier setup.exe parked the old file under
// ".quillon-old" while it swapped): the next run finds the old file at its name, or the new one
// if it was in place, and nothing of ours beside it. A folder under our name is not ours.
TEST(FinishInterruptedRewrite, PutsTheOldFileBackOrKeepsTheNewOne)
{
    const std::string kFile = "VCComponents.dat", kTemp = kFile + ".quillon-new",
                      kBackup = kFile + ".quillon-old";
    const struct {
        const char* what;
        Tree before, after;
        int edited;  // by the removal of D:\Quillon that runs next; -1: it cannot write
    } rows[] = {
        {"stopped while writing", {{kFile, kOld}, {kTemp, "Include"}}, {{kFile, kOld}}, 1},
        {"stopped between the two moves", {{kBackup, kOld}, {kTemp, kNew}}, {{kFile, kOld}}, 1},
        {"stopped before the backup went", {{kFile, kNew}, {kBackup, kOld}}, {{kFile, kNew}}, 0},
        {"only the backup", {{kBackup, kOld}}, {{kFile, kOld}}, 1},
        {"first write stopped", {{kTemp, "partial"}}, {}, 0},
        {"a folder under our name", {{kFile, kOld}, {kTemp + "\\", ""}},
         {{kFile, kOld}, {kTemp + "\\", ""}}, -1},
    };
    for (const auto& row : rows) {
        TempFolder temp;
        MakeTree(temp.Path(), row.before);
        EXPECT_TRUE(FinishInterruptedRewrite(Widen(temp / kFile))) << row.what;
        EXPECT_EQ(SnapshotTree(temp.Path()), row.after) << row.what;
        // A settings file is finished so before the directory lists are edited.
        Profiles profiles;
        TempFolder local;
        SHCreateDirectoryExA(nullptr, (local.Path() + kSettingsFolder).c_str(), nullptr);
        MakeTree(local.Path() + kSettingsFolder, row.before);
        profiles.AddKey("interrupted", "Local AppData", local.Path());
        EXPECT_EQ(RemoveVcDirectory("D:\\Quillon"), row.edited >= 0) << row.what;
        Tree after = row.after;
        if (row.edited > 0)
            after[kFile] = kNew;
        EXPECT_EQ(SnapshotTree(local.Path() + kSettingsFolder), after) << row.what;
    }
}

// Run by stage.sh, with a link under the temporary file's name: to /dev/full (an edit written in
// place would have emptied the file), or to another file system, which the rename back into the
// settings folder cannot reach: a replace fails half-way, the original already at the backup.
TEST(StagedSettings, FailedRewriteLeavesThemIntact)
{
    const char* stage = getenv("QUILLON_STAGE");
    ASSERT_TRUE(stage && getenv("QUILLON_STAGE_KIND")) << "run by stage.sh only";
    const std::string path = stage + kSettingsFile;
    const bool full = std::string(getenv("QUILLON_STAGE_KIND")) == "full";
    WriteOldFile(path, kOld);
    const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    SetFileAttributesA(path.c_str(), hidden);
    Profiles profiles;
    profiles.AddKey("staged", "Local AppData", stage);
    EXPECT_FALSE(RemoveVcDirectory("D:\\Quillon"));
    // A link to /dev/full stays: Wine takes it for a device and will not delete it, where a real
    // temporary file on a full drive is deleted; so an addition meets the full drive too. The
    // other link's target went with the temporary file, and the folder listing skips a dangling
    // link.
    if (full) {
        EXPECT_FALSE(AddVcDirectory("Include Dirs", "D:\\Other"));
    }
    Tree expected = {{"VCComponents.dat", kOld}};
    if (full)
        expected["VCComponents.dat.quillon-new"] = "";
    EXPECT_EQ(SnapshotTree(stage + kSettingsFolder), expected);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), hidden);
    EXPECT_TRUE(IsOld(path));
}

}  // namespace
