// The whole road with the real setup.exe of the sample package, driven as a user would on the
// sample machine; afterwards the registry and the files are checked.
#include "child_process.h"
#include "options.h"
#include "sample_machine.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>

namespace {

const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon";
const char* const kIde70 = "C:\\Program Files\\Microsoft Visual Studio .NET\\";
const char* const kIde71 = "C:\\Program Files\\Microsoft Visual Studio .NET 2003\\";

const std::string kPackage = QUILLON_PACKAGE;

struct Outcome {
    std::string proposal;               // the folder box when the dialog first showed
    std::vector<std::string> messages;  // every message box, in order
};

// The raw data of a value of HKEY_LOCAL_MACHINE (a string with its terminating zero), "missing",
// or "type N" for a value of another type than asked.
std::string SzValue(const char* key, const char* name, DWORD asked = REG_SZ)
{
    std::string data;
    DWORD type = 0;
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, key, name, data, &type))
        return "missing";
    return type == asked ? data : "type " + std::to_string(type);
}

std::string UninstallValue(const char* name, DWORD type = REG_SZ)
{
    return SzValue(kUninstallKey, name, type);
}

// What the entry records of the install folder: its volume serial number and 64-bit file index,
// little-endian, as the file system tells them.
std::string FolderIdBytes(const std::string& folder)
{
    HANDLE handle = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    EXPECT_TRUE(GetFileInformationByHandle(handle, &info)) << folder;
    CloseHandle(handle);
    std::string bytes;
    for (const DWORD part : {info.dwVolumeSerialNumber, info.nFileIndexLow, info.nFileIndexHigh})
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>(part >> shift);
    return bytes;
}

// A REG_DWORD's four bytes, little-endian.
std::string Dword(unsigned long number)
{
    return {static_cast<char>(number), static_cast<char>(number >> 8),
            static_cast<char>(number >> 16), static_cast<char>(number >> 24)};
}

bool KeyExists(const char* key, REGSAM view = 0)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

// The proposal: "Quillon" in the Program Files folder that this program's registry view names
// (on 64-bit Windows a 32-bit program's is "C:\Program Files (x86)").
const std::string kDefaultFolder =
    SzValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir")
        .c_str() + std::string("\\Quillon");

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

const std::string kUserSettings = getenv("USERPROFILE") +
    std::string("\\AppData\\Local\\Microsoft\\VisualStudio\\7.0\\VCComponents.dat");
const char* const kAliceSettings = "C:\\users\\alice\\AppData\\Local\\Microsoft\\VisualStudio\\7.0\\VCComponents.dat";

// Where the quiet runs of these tests log.
const char* const kLog = "C:\\quillon-run.log";
// Where a planted DLL leaves its mark when it is loaded (see planted/mark_dll.cpp).
const char* const kMarks = "C:\\quillon-marks";

struct QuietOutcome {
    DWORD exitCode = 0xFFFF;
    std::vector<std::string> log;  // the run's log lines, less their time stamps
};

// A command the entry records, "\"program\" arguments", as the system splits it.
struct Command {
    std::string exe, args;
};

Command RecordedCommand(const char* value)
{
    const std::string command = UninstallValue(value);
    const size_t close = command.find('"', 1);
    EXPECT_NE(close, std::string::npos) << command;
    return {command.substr(1, close - 1), command.substr(close + 2, command.size() - close - 3)};
}

// The lines of a run's log, less their time stamps.
std::vector<std::string> ReadLog(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string text = ReadFileBytes(path);
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end - start);
        EXPECT_TRUE(line.size() > 20 && line[4] == '-' && line[10] == ' ' && line[13] == ':' &&
                    line[19] == ' ') << line;  // "2026-12-07 15:31:29 " before each line
        lines.push_back(line.substr(std::min<size_t>(20, line.size())));
        start = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
}

// Runs exe with args and "/log=" log (none: the run logs where it logs by default), from the
// folder cwd; a window that ever shows fails the test.
QuietOutcome RunQuiet(const std::string& exe, const std::string& args,
                      const std::string& log = kLog, const std::string& cwd = "C:\\")
{
    QuietOutcome outcome;
    DeleteFileA(log.c_str());
    ChildProcess child;
    if (!child.Start(exe, log == kLog ? args + " /log=" + kLog : args, cwd)) {
        ADD_FAILURE() << child.Error();
        return outcome;
    }
    for (int polls = 0; polls < 4000 && child.Running(); ++polls) {
        EXPECT_EQ(child.VisibleWindows(), std::vector<HWND>{}) << "a window in a quiet run";
        Sleep(5);
    }
    EXPECT_TRUE(child.WaitForExit(outcome.exitCode)) << child.Error();
    outcome.log = ReadLog(log);
    return outcome;
}

// The log holds these lines in this order (others may come between) and ends with the last.
void ExpectLogHolds(const std::vector<std::string>& log, const std::vector<std::string>& lines)
{
    auto at = log.begin();
    for (const std::string& line : lines) {
        at = std::find(at, log.end(), line);
        if (at == log.end()) {
            ADD_FAILURE() << "not in the log, or out of order: " << line << "\nthe log:\n"
                          << ::testing::PrintToString(log);
            return;
        }
    }
    EXPECT_EQ(at + 1, log.end()) << "the log goes on after: " << lines.back();
}

// The settings files as an install into folder (without trailing backslash) leaves them.
std::string UserSettingsWith(const std::string& folder)
{
    std::string text = SAMPLE_VCCOMPONENTS;
    text = Replace(text, "PlatformSDK\\include\r\n", "PlatformSDK\\include;" + folder + "\r\n");
    text = Replace(text, "PlatformSDK\\lib\r\n", "PlatformSDK\\lib;" + folder + "\r\n");
    return text;
}

std::string AliceSettingsWith(const std::string& folder)
{
    std::string text = SAMPLE_VCCOMPONENTS_ALICE;
    text = Replace(text, "$(VCInstallDir)lib;\r\n", "$(VCInstallDir)lib;" + folder + "\r\n");
    text = Replace(text, "$(VCInstallDir)include\r\n", "$(VCInstallDir)include;" + folder + "\r\n");
    return text;
}

// The characters of an ASCII text.
std::u16string Ascii16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// The help registration files as an install into a folder leaves them; help is the folder's
// characters followed by \Help\.
std::string NamespaceListWith(const std::u16string& help)
{
    return SampleNamespaceList() +
           HelpRecord(2, HelpText("Quillon") + HelpText(help + u"Quillon.HxC") +
                             HelpText("Quillon library help"));
}

std::string CollectionWith(const std::u16string& help)
{
    std::u16string hxt = help + u"Quillon.HxT";
    std::replace(hxt.begin(), hxt.end(), u'\\', u'/');
    return SampleCollectionFile() +
           HelpRecord(4, HelpText("Quillon") + HelpText("MS.VSCC.2003") + HelpText(hxt) +
                             HelpText(help + u"Quillon.HxA"));
}

std::string NamespaceFileFor(const std::u16string& help)
{
    return HelpHeader(4) +
           HelpRecord(5, HelpText("Quillon") + HelpText("Quillon.HxS") + HelpText("Quillon.HxI") +
                             HelpText("") + HelpText("") + HelpU32(1033) + HelpU32(1) + HelpU32(1) +
                             HelpU32(0) + HelpU32(0) + HelpU32(0)) +
           HelpRecord(6, HelpU32(1) + HelpText(help) + HelpText(help));
}

// The folder as typed, without its trailing backslashes; the second byte of a double-byte
// character of the ANSI code page is no backslash.
std::string WithoutTrailingBackslashes(const std::string& typed)
{
    std::string folder = typed;
    while (!folder.empty() && CharPrevA(folder.c_str(), folder.c_str() + folder.size()) ==
                                  folder.c_str() + folder.size() - 1 &&
           folder.back() == '\\')
        folder.pop_back();
    return folder;
}

// Names as a user of a code page types them (its ANSI bytes) and the characters they are. In
// 932, 936 and 950 the last character of each name ends in the byte 5C, which is also a
// backslash's.
struct CodePageNames {
    UINT codePage;
    std::string parent;          // an existing folder
    std::string last;            // one character
    std::u16string parentText;   // the characters of parent
    std::u16string lastText;
    std::string profile;         // a user's profile folder
};
// The user whose profile folder is named in the code page; TearDown removes it.
const char* const kCodePageUser = "S-1-5-21-0-0-0-1009";

const CodePageNames kCodePages[] = {
    // C:\ソフト, 表; C:\users\ソ
    {932, "C:\\\x83\x5C\x83\x74\x83\x67", "\x95\x5C", u"C:\\ソフト", u"表", "C:\\users\\\x83\x5C"},
    // C:\Données, €; C:\users\Œ: bytes 80-9F, which widened alone would be control characters
    {1252, "C:\\Donn\xE9" "es", "\x80", u"C:\\Données", u"€", "C:\\users\\\x8C"},
    // C:\软件, 乗; C:\users\乗
    {936, "C:\\\xC8\xED\xBC\xFE", "\x81\x5C", u"C:\\软件", u"乗", "C:\\users\\\x81\x5C"},
    // C:\軟體, 許; C:\users\許
    {950, "C:\\\xB3\x6E\xC5\xE9", "\xB3\x5C", u"C:\\軟體", u"許", "C:\\users\\\xB3\x5C"},
};

// Takes away what the test with a user named outside the code page made.
void SweepWideUser();

// Takes away what the test with these names made, in the code page in force.
void SweepCodePageNames()
{
    SHDeleteKeyA(HKEY_USERS, kCodePageUser);
    for (const CodePageNames& names : kCodePages) {
        if (names.codePage == GetACP()) {
            for (const std::string& made : {names.parent, names.profile, "C:\\log" + names.last})
                DeleteTreeForTest(made);
        }
    }
}

class Road : public ::testing::Test {
protected:
    void SetUp() override { Prepare(IdeLayout::BothComplete); }
    void TearDown() override
    {
        ResetSampleMachine();
        DeleteFileA(kLog);
        for (const char* folder : {"C:\\Quillon", "C:\\Quillon2", "C:\\Libs", "C:\\QuillonLinked", "C:\\Quillon Deployed",
                                   "C:\\Tools", "C:\\ReadOnlyPackage", "C:\\Work", "C:\\PlantedPackage",
                                   kMarks, "C:\\BigPackage"})
            DeleteTreeForTest(folder);
        SweepCodePageNames();
        SweepWideUser();
    }

    void Prepare(IdeLayout layout)
    {
        ResetSampleMachine();
        machine_ = MakeSampleMachine(layout);
        before_ = SnapshotMachine();
    }

    // What a test does to the first folder dialog before it is answered.
    typedef std::function<void(ChildProcess&, HWND progress, HWND dialog)> Steps;

    // Runs the package's setup.exe. For each entry of folders the dialog is answered: typed
    // text then OK ("" keeps the proposal); a null entry presses Cancel. Between the answers
    // come the error boxes. Ends with the closing message and the exit, with 0 whatever the end.
    Outcome Run(const std::string& exe, const std::string& args,
                const std::vector<const char*>& folders, const Steps& steps = nullptr)
    {
        Outcome outcome;
        ChildProcess child;
        HWND progress = child.Start(exe, args, cwd_) ? child.WaitForWindow("Setup") : nullptr;
        if (!progress) {
            ADD_FAILURE() << exe << ": " << child.Error();
            return outcome;
        }
        // The template's text, then the step's.
        const std::vector<std::string> texts = ChildProcess::StaticTexts(progress);
        EXPECT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts.at(0), "Please wait while installing the Quillon library...");
        for (size_t i = 0; i < folders.size(); ++i) {
            HWND dialog = child.WaitForWindow("Choose Folder");
            if (!dialog) {
                ADD_FAILURE() << child.Error();
                return outcome;
            }
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), progress);
            const std::string shown = ChildProcess::ReadItem(dialog, ChildProcess::FOLDER_BOX);
            if (i == 0)
                outcome.proposal = shown;
            else
                EXPECT_EQ(shown, outcome.proposal) << "a new dialog shows the recorded folder again";
            if (i == 0 && steps)
                steps(child, progress, dialog);
            if (folders[i] && *folders[i])
                ChildProcess::TypeItem(dialog, ChildProcess::FOLDER_BOX, folders[i]);
            ChildProcess::Press(dialog, folders[i] ? IDOK : IDCANCEL);
            child.WaitForWindowGone(dialog);
            if (i + 1 < folders.size())
                TakeMessage(child, progress, outcome);
        }
        TakeMessage(child, progress, outcome);
        DWORD exitCode = 0xFFFF;
        EXPECT_TRUE(child.WaitForExit(exitCode)) << child.Error();
        EXPECT_EQ(exitCode, 0u);
        return outcome;
    }

    Outcome Install(const std::vector<const char*>& folders = {""})
    {
        return Run(kPackage + "\\setup.exe", "", folders);
    }

    // As the system runs the recorded uninstall command.
    Outcome Uninstall()
    {
        const Command command = RecordedCommand("UninstallString");
        return Run(command.exe, command.args, {});
    }

    // As the machine restarts: the deletions waiting for it are carried out.
    static void Restart()
    {
        ChildProcess restart;
        ASSERT_TRUE(restart.Start("C:\\windows\\system32\\wineboot.exe", "-r", "C:\\"));
        DWORD code = 0;
        ASSERT_TRUE(restart.WaitForExit(code)) << restart.Error();
    }

    // A package whose library takes seconds to copy: the sample's, with files of 16 KB in bulk.
    void MakeBigPackage(int files)
    {
        package_ = "C:\\BigPackage";
        CreateDirectoryA(package_.c_str(), nullptr);
        MakeTree(package_, SnapshotTree(kPackage));
        const std::string bulk = package_ + "\\Quillon\\lib\\bulk";
        CreateDirectoryA(bulk.c_str(), nullptr);
        for (int file = 0; file < files; ++file)
            WriteFileBytes(bulk + "\\part" + std::to_string(file) + ".lib", std::string(16 * 1024, 'q'));
    }

    // Records folder, which exists, as an earlier install's: the next run proposes it and may
    // install over what it holds.
    static void RecordInstallFolder(const std::string& folder)
    {
        ASSERT_EQ(SetRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallDir", REG_SZ,
                                   folder + '\0'),
                  ERROR_SUCCESS);
        ASSERT_EQ(SetRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallDirId", REG_BINARY,
                                   FolderIdBytes(folder)),
                  ERROR_SUCCESS);
    }

    // The next message box: the only one, over the progress window, with only an OK button.
    static void TakeMessage(ChildProcess& child, HWND progress, Outcome& outcome)
    {
        HWND box = child.WaitForMessageBox();
        if (!box) {
            ADD_FAILURE() << child.Error();
            return;
        }
        EXPECT_EQ(ChildProcess::Caption(box), "Setup");
        EXPECT_EQ(GetWindow(box, GW_OWNER), progress);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, IDOK)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDCANCEL)));
        const std::vector<HWND> windows = child.VisibleWindows();
        EXPECT_EQ(std::count_if(windows.begin(), windows.end(), ChildProcess::IsMessageBox), 1);
        outcome.messages.push_back(ChildProcess::ReadItem(box, ChildProcess::MESSAGE_TEXT));
        ChildProcess::Press(box, IDOK);
        child.WaitForWindowGone(box);
    }

    // ideRoot: the IDE version the entry records; its wizard folders get ours, unless the
    // version lacks them (then none does).
    // typedText: the characters of typed, when it is not ASCII.
    void ExpectInstalledInto(const std::string& typed, const char* ideRoot, bool wizards = true,
                             std::u16string typedText = std::u16string())
    {
        const std::string folder = WithoutTrailingBackslashes(typed);
        const std::u16string help = (typedText.empty() ? Ascii16(typed) : typedText) + u"\\Help\\";
        EXPECT_EQ(SnapshotTree(folder), SnapshotTree(package_ + "\\Quillon"));
        EXPECT_EQ(ReadFileBytes(kUserSettings), UserSettingsWith(folder));
        EXPECT_EQ(ReadFileBytes(kAliceSettings), AliceSettingsWith(folder));
        EXPECT_EQ(ReadFileBytes(machine_.helpFolder + "nslist.hxl"), NamespaceListWith(help));
        EXPECT_EQ(ReadFileBytes(machine_.helpFolder + "MS.VSCC.hxn"), CollectionWith(help));
        EXPECT_EQ(ReadFileBytes(machine_.helpFolder + "Quillon.hxn"), NamespaceFileFor(help));

        EXPECT_EQ(UninstallValue("DisplayName"), std::string("Quillon library", 16));
        EXPECT_EQ(UninstallValue("UninstallString"),
                  "\"" + typed + "\\setup.exe\" /uninstall" + std::string(1, '\0'));
        EXPECT_EQ(UninstallValue("InstallDir"), typed + std::string(1, '\0'));
        const std::string ide = ideRoot ? std::string(ideRoot) + "Common7\\IDE\\" : std::string();
        EXPECT_EQ(UninstallValue("IDEDir"), ide + std::string(1, '\0'));
        EXPECT_EQ(UninstallValue("InstallDirId", REG_BINARY), FolderIdBytes(folder));
        const std::string program = typed + "\\setup.exe";
        EXPECT_EQ(UninstallValue("QuietUninstallString"),
                  "\"" + program + "\" /uninstall /quiet" + std::string(1, '\0'));
        EXPECT_EQ(UninstallValue("InstallLocation"), typed + std::string(1, '\0'));
        EXPECT_EQ(UninstallValue("DisplayIcon"), program + ",0" + std::string(1, '\0'));
        size_t bytes = 0;
        for (const auto& entry : SnapshotTree(package_ + "\\Quillon"))
            bytes += entry.second.size();
        EXPECT_EQ(UninstallValue("EstimatedSize", REG_DWORD), Dword((bytes + 1023) / 1024));
        EXPECT_EQ(UninstallValue("NoModify", REG_DWORD), Dword(1));
        EXPECT_EQ(UninstallValue("NoRepair", REG_DWORD), Dword(1));

        for (const char* root : {kIde70, kIde71}) {
            const bool taken = wizards && ideRoot && std::string(root) == ideRoot;
            const std::string vc7 = std::string(root) + "Vc7\\";
            for (const char* file : {"QuillonWiz.vsz", "QuillonWiz.ico", "QuillonWiz.vsdir"})
                EXPECT_EQ(FileExists(vc7 + "vcprojects\\" + file), taken) << root << file;
            if (taken)
                EXPECT_EQ(SnapshotTree(vc7 + "VCWizards\\QuillonWiz"),
                          SnapshotTree(kPackage + "\\AppWizard\\VCWizards\\QuillonWiz"));
            else
                EXPECT_FALSE(FolderExists(vc7 + "VCWizards\\QuillonWiz")) << root;
        }
    }

    SavedValue pending_{HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations"};
    std::string cwd_ = "C:\\";  // where Run starts setup.exe
    std::string package_ = kPackage;  // the package ExpectInstalledInto compares with
    SampleMachine machine_;
    std::string before_;
};

using Messages = std::vector<std::string>;
const char* const kInstalled = "Quillon installed successfully";
const char* const kUninstalled = "Quillon uninstalled";
const char* const kCannotCreate = "Error: cannot create install folder";
const std::string kIncomplete = "The Quillon uninstall is incomplete:\n";
const std::string kNotOurs =
    kIncomplete + "install folder not removed: it is not the folder the install made";

TEST_F(Road, InstallAndReinstallsKeepOneOfEachAndMoveTheLists)
{
    const Outcome fresh = Install();
    EXPECT_EQ(fresh.proposal, kDefaultFolder);
    EXPECT_EQ(fresh.messages, Messages{kInstalled});
    ExpectInstalledInto(kDefaultFolder, kIde71);

    // A read-only file of the earlier install is kept as it is, on purpose: no failure.
    const std::string readme = kDefaultFolder + "\\readme.txt";
    ASSERT_TRUE(SetFileAttributesA(readme.c_str(), FILE_ATTRIBUTE_READONLY));
    const Outcome same = Install();
    EXPECT_EQ(same.proposal, kDefaultFolder);
    EXPECT_EQ(same.messages, Messages{kInstalled});
    ExpectInstalledInto(kDefaultFolder, kIde71);

    // Another folder, typed with a trailing backslash: the entry keeps it, the lists do not;
    // the lists move, the old files stay.
    const Tree old = SnapshotTree(kDefaultFolder);
    const Outcome moved = Install({"C:\\Quillon2\\"});
    EXPECT_EQ(moved.proposal, kDefaultFolder);
    EXPECT_EQ(moved.messages, Messages{kInstalled});
    ExpectInstalledInto("C:\\Quillon2\\", kIde71);
    EXPECT_EQ(SnapshotTree(kDefaultFolder), old);
}

TEST_F(Road, EachIdeLayoutGetsTheWizardsOfTheVersionTaken)
{
    const struct {
        IdeLayout layout;
        const char* ide;
        bool wizards;
    } layouts[] = {{IdeLayout::NewestLacksWizards, kIde70, true},
                   {IdeLayout::NoVisualStudio, nullptr, true},
                   // No version is complete: the last one read is recorded, no wizard placed.
                   {IdeLayout::NoneComplete, kIde70, false}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(static_cast<int>(layout.layout));
        Prepare(layout.layout);
        EXPECT_EQ(Install().messages, Messages{kInstalled});
        ExpectInstalledInto(kDefaultFolder, layout.ide, layout.wizards);
    }
}

// A person's own files in the default folder, and no entry: neither an install nor an uninstall
// (the switch may stand anywhere) takes them, through the restart.
TEST_F(Road, ThePersonsFilesInTheDefaultFolderOutliveEveryRun)
{
    const Tree mine = {{"main.cpp", "int main() {}\r\n"}, {"notes\\", ""}, {"notes\\todo.txt", "keep"}};
    CreateDirectoryA(kDefaultFolder.c_str(), nullptr);
    MakeTree(kDefaultFolder, mine);
    const std::string notEmpty = "Error: the install folder must be new or empty:\n" + kDefaultFolder;
    EXPECT_EQ(Run(kPackage + "\\setup.exe", "x/uninstallnow", {}).messages, Messages{kUninstalled});
    EXPECT_EQ(RunQuiet(kPackage + "\\setup.exe", "/quiet").exitCode, 1603u);
    const Outcome outcome = Install({"", "C:\\Quillon2"});
    EXPECT_EQ(outcome.messages, (Messages{notEmpty, kInstalled}));
    ExpectInstalledInto("C:\\Quillon2", kIde71);
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});
    Restart();
    EXPECT_FALSE(FolderExists("C:\\Quillon2"));
    EXPECT_EQ(SnapshotTree(kDefaultFolder), mine);
}

// One step of a user at the folder dialog, or of another program posting to the progress window.
void PerformStep(ChildProcess& child, HWND progress, HWND dialog, const std::string& step)
{
    if (step.compare(0, 5, "type ") == 0) {
        EXPECT_TRUE(ChildProcess::TypeItem(dialog, ChildProcess::FOLDER_BOX, step.substr(5)));
    } else if (step.compare(0, 6, "browse") == 0) {
        // "browse ok", "browse cancel", or "browse to PATH" (then OK)
        EXPECT_TRUE(ChildProcess::Press(dialog, ChildProcess::BROWSE_BUTTON));
        HWND browser = child.WaitForWindow("Browse for Folder");
        ASSERT_NE(browser, nullptr) << child.Error();
        EXPECT_EQ(GetWindow(browser, GW_OWNER), dialog);
        if (step.compare(0, 10, "browse to ") == 0) {
            EXPECT_TRUE(child.SelectInBrowser(browser, step.substr(10)));
        }
        EXPECT_TRUE(ChildProcess::Press(browser, step == "browse cancel" ? IDCANCEL : IDOK));
        EXPECT_TRUE(child.WaitForWindowGone(browser)) << child.Error();
    } else if (step == "escape" || step == "close box") {
        EXPECT_TRUE(step == "escape" ? PostMessageA(GetDlgItem(dialog, ChildProcess::FOLDER_BOX),
                                                    WM_KEYDOWN, VK_ESCAPE, 0x00010001)
                                     : PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
        EXPECT_TRUE(child.WaitForWindowGone(dialog)) << child.Error();
    } else if (step == "post to the progress window") {
        const WPARAM commands[] = {IDOK, IDCANCEL, 0, 122, 127, 1000, 0xFFFF, MAKEWPARAM(7, 1)};
        for (WPARAM command : commands)
            EXPECT_TRUE(PostMessageA(progress, WM_COMMAND, command, 0));
        EXPECT_TRUE(PostMessageA(progress, WM_KEYDOWN, VK_ESCAPE, 0x00010001));
        EXPECT_TRUE(PostMessageA(progress, WM_KEYDOWN, VK_RETURN, 0x001C0001));
        EXPECT_TRUE(PostMessageA(progress, WM_CLOSE, 0, 0));
        EXPECT_TRUE(PostMessageA(progress, WM_SYSCOMMAND, SC_CLOSE, 0));
    } else {
        ADD_FAILURE() << "unknown step " << step;
    }
}

// The folder dialog answered in every way but OK (what OK hands on, the installs find): its box
// holds what the user left there. Commands, keys and closes posted to the progress window are
// ignored, and so are switches other than "/uninstall": each run ends as aborted, with that
// message only, and changes nothing.
TEST_F(Road, TheFolderBoxHoldsWhatTheUserLeftAndTheProgressWindowIgnoresTheRest)
{
    char desktop[MAX_PATH] = "";
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop), S_OK);
    const std::string browsed = desktop + std::string("\\Quillon");
    const struct {
        const char* args;
        std::vector<std::string> steps;
        std::string box;  // after the steps; "" where they closed the dialog
    } cases[] = {
        {"", {"type F:\\Typed", "browse cancel"}, "F:\\Typed"},
        {"", {"browse ok"}, browsed},
        {"", {"browse to C:\\Program Files"}, "C:\\Program Files\\Quillon"},
        {"", {"browse to C:\\"}, "C:\\\\Quillon"},
        {"", {"browse to C:\\", "browse cancel", "browse ok"}, browsed},
        {"/UNINSTALL", {"post to the progress window"}, kDefaultFolder},
        {"-uninstall", {"type E:\\Elsewhere", "escape"}, ""},
        {"", {"close box"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps.back());
        const Outcome outcome =
            Run(kPackage + "\\setup.exe", c.args, {nullptr}, [&c](ChildProcess& child,
                                                                   HWND progress, HWND dialog) {
                for (const std::string& step : c.steps)
                    PerformStep(child, progress, dialog, step);
                if (!c.box.empty()) {
                    EXPECT_EQ(ChildProcess::ReadItem(dialog, ChildProcess::FOLDER_BOX), c.box);
                }
            });
        EXPECT_EQ(outcome.proposal, kDefaultFolder);
        EXPECT_EQ(outcome.messages, Messages{"Installation aborted"});
    }
    EXPECT_EQ(SnapshotMachine(), before_);
}

// Each refused folder brings the error, then the dialog again with the proposal; none of them
// loses or gains a file, through the install, the uninstall and the restart.
TEST_F(Road, RefusedFoldersAreAskedForAgainAndKeepWhatTheyHold)
{
    WriteFileBytes("C:\\quillon-file", "a file, not a folder");
    // A folder of the user's that already holds files: the uninstall would take them along.
    const Tree tools = {{"tool.exe", "mine"}, {"notes\\", ""}, {"notes\\todo.txt", "keep"}};
    CreateDirectoryA("C:\\Tools", nullptr);
    MakeTree("C:\\Tools", tools);
    // The package is copied from, never into: not into itself, nor below its library folder.
    const Tree package = SnapshotTree(kPackage);
    const std::string inLibrary = kPackage + "\\Quillon\\Quillon";
    // An earlier uninstall left only a file below this folder for the restart.
    ASSERT_EQ(SetRegistryValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations",
                               REG_MULTI_SZ, "\\??\\C:\\Pending\\sub\\left.h" + std::string(3, '\0')),
              ERROR_SUCCESS);
    const Outcome outcome =
        Install({"C:\\no\\such\\Quillon", "C:\\", "C:\\windows", "C:\\Program Files", "relative",
                 "C:\\quillon-file", "C:\\Tools", "c:/tools/notes/..", kPackage.c_str(),
                 inLibrary.c_str(), "C:\\Pending", ""});
    const std::string notEmpty = "Error: the install folder must be new or empty:\n";
    const std::string inPackage = "Error: the install folder must lie outside the package:\n";
    EXPECT_EQ(outcome.messages,
              (Messages{kCannotCreate, kCannotCreate, kCannotCreate, kCannotCreate, kCannotCreate,
                        kCannotCreate, notEmpty + "C:\\Tools", notEmpty + "c:/tools/notes/..",
                        inPackage + kPackage, inPackage + inLibrary,
                        "Error: an earlier uninstall removes this folder at the next restart:\n"
                        "C:\\Pending\nRestart the computer, then install again.",
                        kInstalled}));
    EXPECT_FALSE(FolderExists("C:\\no") || FolderExists("C:\\Pending"));
    EXPECT_FALSE(FileExists("C:\\windows\\readme.txt"));
    EXPECT_FALSE(FileExists("C:\\readme.txt"));
    ExpectInstalledInto(kDefaultFolder, kIde71);
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});
    Restart();
    EXPECT_FALSE(FolderExists(kDefaultFolder));
    EXPECT_EQ(ReadFileBytes("C:\\quillon-file"), "a file, not a folder");
    DeleteFileA("C:\\quillon-file");
    EXPECT_EQ(SnapshotTree("C:\\Tools"), tools);
    EXPECT_EQ(SnapshotTree(kPackage), package);
}

// The entry as an earlier setup.exe wrote it, without the folder's identity: its recorded command
// still removes everything.
TEST_F(Road, RecordedUninstallRemovesOursKeepsTheirsAndFinishesAtRestart)
{
    Install();
    ASSERT_EQ(SHDeleteValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallDirId"), ERROR_SUCCESS);
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});

    // The running program and its folder wait for the restart; everything else is gone.
    const std::vector<std::string> pending = PendingDeletes();
    EXPECT_EQ(pending, (std::vector<std::string>{kDefaultFolder + "\\setup.exe", kDefaultFolder}));
    EXPECT_EQ(SnapshotTree(kDefaultFolder), (Tree{{"setup.exe", ReadFileBytes(kPackage + "\\setup.exe")}}));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(FolderExists(std::string(kIde71) + "Vc7\\VCWizards\\QuillonWiz"));
    EXPECT_FALSE(FileExists(std::string(kIde71) + "Vc7\\vcprojects\\QuillonWiz.vsz"));
    EXPECT_TRUE(FileExists(std::string(kIde71) + "Vc7\\vcprojects\\QuillonWiz.old\\notes.txt"));
    EXPECT_TRUE(FileExists(std::string(kIde71) + "Vc7\\vcprojects\\QuillonWizard.vsz"));
    // Removing the last entry of a list keeps the separator before it (an empty entry).
    EXPECT_EQ(ReadFileBytes(kUserSettings), UserSettingsWith(""));
    EXPECT_EQ(ReadFileBytes(kAliceSettings), AliceSettingsWith(""));
    EXPECT_EQ(ReadFileBytes(machine_.helpFolder + "nslist.hxl"), SampleNamespaceList());
    EXPECT_EQ(ReadFileBytes(machine_.helpFolder + "MS.VSCC.hxn"), SampleCollectionFile());
    EXPECT_FALSE(FileExists(machine_.helpFolder + "Quillon.hxn"));

    // An install there before the restart would lose its files to the scheduled removal: it is
    // refused, however the folder is spelled.
    char shortName[MAX_PATH] = "";
    GetShortPathNameA(kDefaultFolder.c_str(), shortName, MAX_PATH);
    const Outcome early = Install({"", shortName, nullptr});
    const std::string refusal = "Error: an earlier uninstall removes this folder at the next "
                                "restart:\n";
    const std::string advice = "\nRestart the computer, then install again.";
    EXPECT_EQ(early.messages, (Messages{refusal + kDefaultFolder + advice,
                                        refusal + shortName + advice, "Installation aborted"}));
    EXPECT_EQ(PendingDeletes(), pending);

    Restart();
    EXPECT_FALSE(FolderExists(kDefaultFolder));
    // Only the settings files, checked above, differ from the machine before the install.
    WriteFileBytes(kUserSettings, SAMPLE_VCCOMPONENTS);
    WriteFileBytes(kAliceSettings, SAMPLE_VCCOMPONENTS_ALICE);
    EXPECT_EQ(SnapshotMachine(), before_);
}

// An edited entry must never turn the uninstall against what is not ours: it says what it left
// and keeps the entry; the user's files, the package and the install folder itself come through
// the restart byte for byte, and the lists keep the install folder.
TEST_F(Road, AnEditedEntryLeavesEverythingOutsideOurFootprint)
{
    char profile[MAX_PATH] = "";
    GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    const std::vector<std::string> sentinels = {"C:\\quillon-sentinel.txt",
                                                "C:\\windows\\quillon-sentinel.txt",
                                                std::string(profile) + "\\quillon-sentinel.txt"};
    const Tree package = SnapshotTree(kPackage);
    const Tree project = {{"main.cpp", "int main() {}\r\n"}, {"notes\\", ""},
                          {"notes\\todo.txt", "keep"}};
    const std::string z(1, '\0');
    const struct {
        std::string installDir;  // the data of "InstallDir"
        DWORD type;
        bool identity;  // false: as an earlier setup.exe wrote the entry
        bool recorded;  // run by the recorded command, else from the package
    } rows[] = {{"C:\\" + z, REG_SZ, true, false},
                {z, REG_SZ, true, false},
                {"C:\\windows" + z, REG_SZ, true, false},
                {profile + z, REG_SZ, true, false},
                {"C:" + z, REG_SZ, true, false},
                {"." + z, REG_SZ, true, false},
                {"C:\\Work\\Project" + z, REG_SZ, true, true},
                {"C:\\Work\\Project\\main.cpp" + z, REG_SZ, true, true},
                {"C:\\Work\\Project" + z, REG_SZ, false, true},
                {kPackage + z, REG_SZ, false, false},
                {kPackage + "\\" + z, REG_BINARY, true, false},
                {kDefaultFolder + z, REG_BINARY, true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.installDir + (row.identity ? "" : " without identity"));
        Prepare(IdeLayout::BothComplete);
        for (const std::string& sentinel : sentinels)
            WriteFileBytes(sentinel, "not ours");
        SHCreateDirectoryExA(nullptr, "C:\\Work\\Project", nullptr);
        MakeTree("C:\\Work\\Project", project);
        Install();
        const Tree installed = SnapshotTree(kDefaultFolder);
        ASSERT_EQ(SetRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallDir", row.type,
                                   row.installDir),
                  ERROR_SUCCESS);
        if (!row.identity)
            SHDeleteValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallDirId");
        const Outcome outcome =
            row.recorded ? Uninstall() : Run(kPackage + "\\setup.exe", "/uninstall", {});
        EXPECT_EQ(outcome.messages, Messages{kNotOurs});
        Restart();
        for (const std::string& sentinel : sentinels) {
            EXPECT_EQ(ReadFileBytes(sentinel), "not ours") << sentinel;
            DeleteFileA(sentinel.c_str());
        }
        EXPECT_EQ(SnapshotTree(kPackage), package);
        EXPECT_EQ(SnapshotTree("C:\\Work\\Project"), project);
        EXPECT_EQ(SnapshotTree(kDefaultFolder), installed);
        EXPECT_EQ(ReadFileBytes(kUserSettings), UserSettingsWith(kDefaultFolder));
        EXPECT_TRUE(FolderExists("C:\\windows\\system32"));
        EXPECT_TRUE(KeyExists(kUninstallKey));
    }
}

// A folder that cannot be listed may hold anything: it is refused like one that holds files
// (were it taken for empty, the install would be cancellable there, and its files overwritten).
// The fixture makes C:\\quillon-unlistable, with a file in it, readable but not searchable on the
// Unix side: Wine identifies the folder but cannot list it, for the ordinary user that runs the
// tests.
TEST_F(Road, AFolderThatCannotBeListedIsNotTakenForEmpty)
{
    const char* const folder = "C:\\quillon-unlistable";
    ASSERT_TRUE(FolderExists(folder)) << "the link fixture did not run";
    WIN32_FIND_DATAA entry;
    ASSERT_EQ(FindFirstFileA("C:\\quillon-unlistable\\*.*", &entry), INVALID_HANDLE_VALUE)
        << "listed: run as an ordinary user";
    EXPECT_EQ(Install({folder, ""}).messages,
              (Messages{std::string("Error: the install folder must be new or empty:\n") + folder,
                        kInstalled}));
    ExpectInstalledInto(kDefaultFolder, kIde71);
}

// Other programs read a user's settings file and the help namespace list, sharing reads only,
// during the recorded uninstall: the report names both and the entry stays. After the restart
// the recorded command has gone with the install folder; the package's setup.exe finishes.
TEST_F(Road, HeldFilesMakeTheUninstallIncompleteAndThePackageFinishesIt)
{
    Install();
    const std::string list = machine_.helpFolder + "nslist.hxl";
    std::vector<HANDLE> readers;
    for (const std::string& held : {std::string(kAliceSettings), list}) {
        readers.push_back(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(readers.back(), INVALID_HANDLE_VALUE) << held;
    }
    const Outcome held = Uninstall();
    for (HANDLE reader : readers)
        CloseHandle(reader);
    EXPECT_EQ(held.messages,
              Messages{kIncomplete + "help not unregistered\ndirectory lists not updated"});
    EXPECT_EQ(ReadFileBytes(kAliceSettings), AliceSettingsWith(kDefaultFolder));
    EXPECT_EQ(ReadFileBytes(kUserSettings), UserSettingsWith(""));
    EXPECT_EQ(ReadFileBytes(list), NamespaceListWith(Ascii16(kDefaultFolder + "\\Help\\")));
    Restart();
    EXPECT_FALSE(FolderExists(kDefaultFolder));
    // A script is told the same by the exit code.
    readers[0] = CreateFileA(kAliceSettings, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const QuietOutcome quiet = RunQuiet(kPackage + "\\setup.exe", "/uninstall /quiet");
    CloseHandle(readers[0]);
    EXPECT_EQ(quiet.exitCode, 1603u);
    ExpectLogHolds(quiet.log, {"end: " + kIncomplete.substr(0, kIncomplete.size() - 1) +
                                   " directory lists not updated", "exit code 1603"});
    EXPECT_EQ(Run(kPackage + "\\setup.exe", "/uninstall", {}).messages, Messages{kUninstalled});
    EXPECT_EQ(ReadFileBytes(kAliceSettings), AliceSettingsWith(""));
    WriteFileBytes(kUserSettings, SAMPLE_VCCOMPONENTS);
    WriteFileBytes(kAliceSettings, SAMPLE_VCCOMPONENTS_ALICE);
    EXPECT_EQ(SnapshotMachine(), before_);
}

// From read-only media every file of the package arrives read-only; the uninstall still takes
// all of the library and of the wizard files. The fixture links C:\\QuillonLinked\\link to
// C:\\quillon-link-test\\target on the Unix side (Wine shows the link as a reparse point, as
// Windows shows a junction): the uninstall leaves the target alone.
TEST_F(Road, UninstallTakesReadOnlyFilesAndLeavesTheTargetOfALink)
{
    ASSERT_TRUE(GetFileAttributesA("C:\\QuillonLinked\\link") & FILE_ATTRIBUTE_REPARSE_POINT)
        << "the link fixture did not run";
    const Tree target = SnapshotTree("C:\\quillon-link-test\\target");
    ASSERT_FALSE(target.empty());
    const std::string package = "C:\\ReadOnlyPackage";
    CreateDirectoryA(package.c_str(), nullptr);
    MakeTree(package, SnapshotTree(kPackage));
    for (const auto& entry : SnapshotTree(package))
        if (entry.first.back() != '\\')
            SetFileAttributesA((package + "\\" + entry.first).c_str(), FILE_ATTRIBUTE_READONLY);
    // Not empty, so it is taken only as the folder of an earlier install.
    RecordInstallFolder("C:\\QuillonLinked");
    EXPECT_EQ(Run(package + "\\setup.exe", "", {""}).messages, Messages{kInstalled});
    const std::string vc7 = std::string(kIde71) + "Vc7\\";
    for (const std::string& copy : {std::string("C:\\QuillonLinked\\readme.txt"), vc7 + "vcprojects\\QuillonWiz.vsz",
                                   vc7 + "VCWizards\\QuillonWiz\\HTML\\1033\\default.htm"})
        EXPECT_TRUE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY) << copy;
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});
    Restart();
    EXPECT_FALSE(FileExists("C:\\QuillonLinked\\readme.txt"));
    EXPECT_FALSE(FolderExists(vc7 + "VCWizards\\QuillonWiz"));
    for (const char* file : {"QuillonWiz.vsz", "QuillonWiz.ico", "QuillonWiz.vsdir"})
        EXPECT_FALSE(FileExists(vc7 + "vcprojects\\" + file)) << file;
    EXPECT_TRUE(FileExists(vc7 + "vcprojects\\QuillonWizard.vsz"));
    EXPECT_EQ(SnapshotTree("C:\\quillon-link-test\\target"), target);
    EXPECT_EQ(SnapshotTree(package + "\\Quillon"), SnapshotTree(kPackage + "\\Quillon"));
}

// The names of the DLLs planted, from WINEDLLOVERRIDES ("version,uxtheme,...=n,b"), with which
// ctest runs this test: Wine takes those found on the search path first, as Windows does for
// DLLs that are not KnownDLLs.
std::vector<std::string> PlantedNames()
{
    const std::string names = getenv("WINEDLLOVERRIDES") ? getenv("WINEDLLOVERRIDES") : "";
    std::vector<std::string> list;
    if (names.size() > 4 && names.compare(names.size() - 4, 4, "=n,b") == 0)
        for (size_t start = 0, end = 0; end < names.size() - 4; start = end + 1)
            list.push_back(names.substr(start, (end = std::min(names.find(',', start), names.size() - 4)) - start));
    return list;
}

void PlantDlls(const std::string& folder)
{
    for (const std::string& name : PlantedNames())
        EXPECT_TRUE(CopyFileA(QUILLON_PLANTED_DLL, (folder + "\\" + name + ".dll").c_str(), FALSE))
            << folder << " " << name;
}

// setup.exe runs as administrator from a folder that others may write to. DLLs dropped beside
// the package's setup.exe, beside the installed copy and in the folder a script starts it from
// never run: not in a person's install, nor in the recorded uninstall, nor in a script's runs.
TEST_F(Road, DllsPlantedBesideItOrWhereItStartsNeverRun)
{
    ASSERT_GE(PlantedNames().size(), 10u) << "run by ctest, with WINEDLLOVERRIDES naming them";
    const std::string package = "C:\\PlantedPackage";
    CreateDirectoryA(package.c_str(), nullptr);
    MakeTree(package, SnapshotTree(kPackage));
    CreateDirectoryA("C:\\Work", nullptr);
    PlantDlls(package);
    PlantDlls("C:\\Work");
    cwd_ = "C:\\Work";

    // An ordinary program that imports user32 runs them: the marks and the overrides work.
    ASSERT_TRUE(CopyFileA(QUILLON_DRIVER_EXE, "C:\\Work\\driver.exe", FALSE));
    ChildProcess ordinary;
    DWORD code = 0;
    ASSERT_TRUE(ordinary.Start("C:\\Work\\driver.exe", "--help", cwd_));
    EXPECT_TRUE(ordinary.WaitForExit(code)) << ordinary.Error();
    EXPECT_TRUE(FileExists(std::string(kMarks) + "\\version.dll.txt"));
    DeleteTreeForTest(kMarks);

    EXPECT_EQ(Run(package + "\\setup.exe", "", {""}).messages, Messages{kInstalled});
    ExpectInstalledInto(kDefaultFolder, kIde71);
    PlantDlls(kDefaultFolder);
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});
    Restart();
    EXPECT_FALSE(FolderExists(kDefaultFolder));

    // A script's install, logging where a quiet run logs unless told.
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string defaultLog = temp + std::string("Quillon setup.log");
    const QuietOutcome install = RunQuiet(package + "\\setup.exe", "/quiet", defaultLog, cwd_);
    DeleteFileA(defaultLog.c_str());
    EXPECT_EQ(install.exitCode, 0u);
    ExpectLogHolds(install.log, {"end: Quillon installed successfully", "exit code 0"});
    ExpectInstalledInto(kDefaultFolder, kIde71);
    PlantDlls(kDefaultFolder);
    EXPECT_EQ(RunQuiet(kDefaultFolder + "\\setup.exe", "/uninstall /quiet", kLog, cwd_).exitCode, 0u);
    EXPECT_EQ(SnapshotTree(kMarks), Tree{});
}

// A file held by another program, a help file another program damaged, a settings file an IDE
// holds open: the install goes through, says what failed, and leaves the uninstall to clean up.
TEST_F(Road, FailuresMakeTheInstallIncompleteAndTheUninstallStillCleansUp)
{
    const std::string damaged = "not a help file";
    WriteFileBytes(machine_.helpFolder + "MS.VSCC.hxn", damaged);
    CreateDirectoryA("C:\\Quillon", nullptr);
    RecordInstallFolder("C:\\Quillon");
    WriteFileBytes("C:\\Quillon\\readme.txt", "held");
    HANDLE held = CreateFileA("C:\\Quillon\\readme.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    HANDLE settings = CreateFileA(kAliceSettings, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_NE(settings, INVALID_HANDLE_VALUE);
    const Outcome outcome = Install();
    CloseHandle(held);
    CloseHandle(settings);
    EXPECT_EQ(outcome.messages, Messages{"The Quillon installation is incomplete:\n"
                                         "1 library files not copied\nhelp not registered\n"
                                         "directory lists not updated"});
    EXPECT_EQ(UninstallValue("InstallDir"), std::string("C:\\Quillon", 11));
    EXPECT_EQ(ReadFileBytes(kAliceSettings), SAMPLE_VCCOMPONENTS_ALICE);
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});
    Restart();
    EXPECT_FALSE(FolderExists("C:\\Quillon"));
    EXPECT_EQ(ReadFileBytes(machine_.helpFolder + "MS.VSCC.hxn"), damaged);
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

// The registry view line of the log, for a setup.exe of this test program's word size.
std::string ViewLine()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return sizeof(void*) == 8 ? "registry view: native (a 64-bit program)"
           : wow64            ? "registry view: 32-bit (a 32-bit program on 64-bit Windows)"
                              : "registry view: native (32-bit Windows)";
}

// Deployed by a script: no window, exit codes 0, the log of every step; the entry's quiet
// command takes it all away again.
TEST_F(Road, QuietInstallAndUninstallShowNoWindowAndLogEachStep)
{
    const std::string folder = "C:\\Quillon Deployed";
    const std::string exe = kPackage + "\\setup.exe";
    const std::string args = "/QUIET \"/dir=" + folder + "\"";
    const QuietOutcome install = RunQuiet(exe, args);
    EXPECT_EQ(install.exitCode, 0u);
    ExpectInstalledInto(folder, kIde71);
    size_t files = 0;
    for (const char* part : {"\\Quillon", "\\AppWizard"})
        for (const auto& entry : SnapshotTree(kPackage + part))
            files += entry.first.back() != '\\';
    const std::string program = folder + "\\setup.exe";
    ExpectLogHolds(install.log,
                   {"command line: \"" + exe + "\" " + args + " /log=" + kLog, "install", ViewLine(),
                    "install folder: " + folder,
                    std::string("IDE version for the wizard: 7.1 (") + kIde71 + "Common7\\IDE\\)",
                    "files copied: " + std::to_string(files) + " of " + std::to_string(files),
                    "entry value UninstallString = \"" + program + "\" /uninstall",
                    "entry value InstallDir = " + folder,
                    "entry value QuietUninstallString = \"" + program + "\" /uninstall /quiet",
                    "end: Quillon installed successfully", "exit code 0"});

    const Command command = RecordedCommand("QuietUninstallString");
    const QuietOutcome uninstall = RunQuiet(command.exe, command.args);
    EXPECT_EQ(uninstall.exitCode, 0u);
    EXPECT_EQ(PendingDeletes(), (std::vector<std::string>{program, folder}));
    ExpectLogHolds(uninstall.log, {"uninstall", ViewLine(), "removed: " + folder + "\\readme.txt",
                                   // A running program cannot be deleted, nor the folder it works in.
                                   "scheduled for the restart: " + program + " (error 5)",
                                   "scheduled for the restart: " + folder + " (error 32)",
                                   "end: Quillon uninstalled", "exit code 0"});
    Restart();
    EXPECT_FALSE(FolderExists(folder));
    WriteFileBytes(kUserSettings, SAMPLE_VCCOMPONENTS);
    WriteFileBytes(kAliceSettings, SAMPLE_VCCOMPONENTS_ALICE);
    EXPECT_EQ(SnapshotMachine(), before_);

    // A library file in use waits for the restart too: the script is told to restart. A person
    // who names the folder sees it proposed, and the log of the run goes where it was asked.
    const Outcome interactive = Run(exe, "/dir=C:\\Quillon2 /log=" + std::string(kLog), {""});
    EXPECT_EQ(interactive.proposal, "C:\\Quillon2");
    EXPECT_EQ(interactive.messages, Messages{kInstalled});
    // Appended: the quiet uninstall's lines come first.
    const std::string log = ReadFileBytes(kLog);
    EXPECT_EQ(log.substr(20, 16 + program.size()), "command line: \"" + program + "\"");
    EXPECT_EQ(log.substr(log.size() - 13), "exit code 0\r\n");
    HANDLE held = CreateFileA("C:\\Quillon2\\readme.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const QuietOutcome busy = RunQuiet("C:\\Quillon2\\setup.exe", "/uninstall /quiet");
    CloseHandle(held);
    EXPECT_EQ(busy.exitCode, 3010u);
    ExpectLogHolds(busy.log, {"scheduled for the restart: C:\\Quillon2\\readme.txt (error 32)",
                              "end: Quillon uninstalled", "exit code 3010"});
}

// Lines that are refused, folders a script may not take, a second setup while one runs: each
// ends as the table says and changes nothing. A person is shown a box; a script gets a code.
TEST_F(Road, RefusedRunsAndASecondSetupChangeNothing)
{
    CreateDirectoryA("C:\\Tools", nullptr);
    MakeTree("C:\\Tools", {{"tool.exe", "mine"}});
    const std::string exe = kPackage + "\\setup.exe";
    const std::string usage = SETUP_USAGE;
    const struct {
        bool secondSetup;  // run while another setup.exe holds its folder dialog
        std::string args;
        DWORD exitCode;
        std::string shown;  // the box of an interactive run, or the log line of a quiet one
    } cases[] = {
        {false, "/quiet /dir=C:\\windows", 1603, "folder refused: Error: cannot create install folder"},
        {false, "/quiet /dir=C:\\Tools", 1603,
         "folder refused: Error: the install folder must be new or empty: C:\\Tools"},
        {false, "/quiet \"/dir=" + kPackage + "\"", 1603,
         "folder refused: Error: the install folder must lie outside the package: " + kPackage},
        {false, "/quiet /bogus", 1639, "invalid command line: unknown argument \"/bogus\""},
        {false, "/quiet /?", 0, "command line: \"" + exe + "\" /quiet /? /log=" + kLog},
        {false, "/?", 0, usage},
        {false, "/dir=", 0, usage},
        {true, "/quiet", 1618, "another setup is running: nothing done"},
        {true, "", 0, "Setup is already running."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        ChildProcess first;
        if (c.secondSetup) {
            ASSERT_TRUE(first.Start(exe, "", "C:\\"));
            ASSERT_TRUE(first.WaitForWindow("Choose Folder")) << first.Error();
        }
        if (c.args.find("/quiet") != std::string::npos) {
            const QuietOutcome outcome = RunQuiet(exe, c.args);
            EXPECT_EQ(outcome.exitCode, c.exitCode);
            ExpectLogHolds(outcome.log, {c.shown, "exit code " + std::to_string(c.exitCode)});
        } else {
            ChildProcess second;
            ASSERT_TRUE(second.Start(exe, c.args, "C:\\"));
            HWND box = second.WaitForMessageBox();
            ASSERT_TRUE(box) << second.Error();
            EXPECT_EQ(ChildProcess::ReadItem(box, ChildProcess::MESSAGE_TEXT), c.shown);
            ChildProcess::Press(box, IDOK);
            DWORD exitCode = 0xFFFF;
            EXPECT_TRUE(second.WaitForExit(exitCode)) << second.Error();
            EXPECT_EQ(exitCode, c.exitCode);
        }
        if (c.secondSetup) {
            ChildProcess::Press(first.WaitForWindow("Choose Folder"), IDCANCEL);
            HWND box = first.WaitForMessageBox();
            EXPECT_EQ(ChildProcess::ReadItem(box, ChildProcess::MESSAGE_TEXT), "Installation aborted");
            ChildProcess::Press(box, IDOK);
            DWORD exitCode = 0xFFFF;
            EXPECT_TRUE(first.WaitForExit(exitCode)) << first.Error();
        }
        EXPECT_EQ(SnapshotMachine(), before_);
    }
    EXPECT_EQ(SnapshotTree("C:\\Tools"), (Tree{{"tool.exe", "mine"}}));
}

// A folder named in the user's code page, ending in such a character, for a user whose profile
// folder is named so too: every file goes inside it, nothing beside it; the entry, the lists and
// the log name it exactly as typed, and the help files name its characters. A person's install
// with the recorded uninstall, then a script's with quoted values and the quiet uninstall. ctest
// runs this in code pages 932 and 1252 (LANG=ja_JP.UTF-8, fr_FR.UTF-8).
TEST_F(Road, FoldersNamedInTheUsersCodePageInstallAndUninstallExactly)
{
    const CodePageNames* names = nullptr;
    for (const CodePageNames& candidate : kCodePages)
        if (candidate.codePage == GetACP())
            names = &candidate;
    ASSERT_TRUE(names) << "code page " << GetACP() << ": run by ctest with LANG set";
    const std::string folder = names->parent + "\\" + names->last;
    const std::u16string folderText = names->parentText + u"\\" + names->lastText;
    const std::string log = "C:\\log" + names->last;
    SweepCodePageNames();  // what a run that was killed left
    ASSERT_TRUE(CreateDirectoryA(names->parent.c_str(), nullptr));
    const std::string local = names->profile + "\\AppData\\Local";
    const std::string settings = local + "\\Microsoft\\VisualStudio\\7.0\\VCComponents.dat";
    const std::string shellFolders = kCodePageUser + std::string("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    ASSERT_EQ(SetRegistryValue(HKEY_USERS, shellFolders, "Local AppData", REG_SZ, local + '\0'), ERROR_SUCCESS);
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, (local + "\\Microsoft\\VisualStudio\\7.0").c_str(), nullptr), ERROR_SUCCESS);
    WriteFileBytes(settings, SAMPLE_VCCOMPONENTS);
    // What the parent holds: the install folder and everything in it, under its own name.
    Tree installed;
    for (const auto& entry : SnapshotTree(kPackage + "\\Quillon"))
        installed[names->last + "\\" + entry.first] = entry.second;
    installed[names->last + "\\"] = "";
    const auto expectInstalled = [&] {
        ExpectInstalledInto(folder, kIde71, true, folderText);
        EXPECT_EQ(SnapshotTree(names->parent), installed);
        EXPECT_EQ(ReadFileBytes(settings), UserSettingsWith(folder));
    };
    const auto expectGoneAfterRestart = [&] {
        Restart();
        EXPECT_EQ(SnapshotTree(names->parent), Tree{});
        EXPECT_EQ(ReadFileBytes(settings), UserSettingsWith(""));
        EXPECT_FALSE(KeyExists(kUninstallKey));
        WriteFileBytes(settings, SAMPLE_VCCOMPONENTS);
    };

    EXPECT_EQ(Install({folder.c_str()}).messages, Messages{kInstalled});
    expectInstalled();
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});
    expectGoneAfterRestart();

    const QuietOutcome script =
        RunQuiet(kPackage + "\\setup.exe", "/quiet \"/dir=" + folder + "\" \"/log=" + log + "\"", log);
    EXPECT_EQ(script.exitCode, 0u);
    expectInstalled();
    ExpectLogHolds(script.log, {"install folder: " + folder, "entry value InstallDir = " + folder,
                                "end: Quillon installed successfully", "exit code 0"});
    const Command command = RecordedCommand("QuietUninstallString");
    EXPECT_EQ(RunQuiet(command.exe, command.args + " \"/log=" + log + "\"", log).exitCode, 0u);
    expectGoneAfterRestart();
}

// What the progress window showed while it was watched: each new step text and bar position.
struct Watched {
    std::vector<std::string> steps;
    std::vector<unsigned> positions;
};

// Reads the progress window's step text and bar until the bar reaches until, a message box shows
// or the child ends; false when none of these came in time.
bool WatchProgress(ChildProcess& child, HWND progress, Watched& watched, unsigned until = 1001)
{
    HWND step = GetDlgItem(progress, 1002);
    HWND bar = GetDlgItem(progress, 1003);
    for (int polls = 0; polls < 20000; ++polls) {
        // A message box shows only after everything posted before it was shown: read after it.
        const std::vector<HWND> windows = child.VisibleWindows();
        const bool ended = std::any_of(windows.begin(), windows.end(), ChildProcess::IsMessageBox) ||
                           !child.Running();
        const std::string text = ChildProcess::ReadText(step);
        if (!text.empty() && (watched.steps.empty() || watched.steps.back() != text))
            watched.steps.push_back(text);
        DWORD_PTR position = 0;
        SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000, &position);
        if (watched.positions.empty() || watched.positions.back() != position)
            watched.positions.push_back(static_cast<unsigned>(position));
        if (ended || position >= until)
            return true;
        Sleep(1);
    }
    return false;
}

// A person changes their mind during the copy of a library that takes seconds: Cancel, the close
// box and Escape ask first; No goes on, Yes takes back everything the run copied and made. The
// window shows each step and a bar that grows to its end.
TEST_F(Road, CancelDuringTheCopyLeavesTheMachineAsItWasAndNoFinishes)
{
    MakeBigPackage(4000);
    const char* const kCopying = "Copying the library files";
    // Each way of asking (the button, the close box, Escape) answered Yes, then No.
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool yes;
    } answers[] = {{WM_COMMAND, IDCANCEL, 0, true}, {WM_SYSCOMMAND, SC_CLOSE, 0, true},
                   {WM_KEYDOWN, VK_ESCAPE, 0x00010001, true}, {WM_COMMAND, IDCANCEL, 0, false}};
    for (const auto& answer : answers) {
        SCOPED_TRACE(std::to_string(answer.message) + (answer.yes ? ", yes" : ", no"));
        Prepare(IdeLayout::BothComplete);
        DeleteFileA(kLog);
        ChildProcess child(60000);
        ASSERT_TRUE(child.Start(package_ + "\\setup.exe", "/log=" + std::string(kLog), "C:\\"));
        HWND progress = child.WaitForWindow("Setup");
        HWND dialog = child.WaitForWindow("Choose Folder");
        ASSERT_TRUE(progress && dialog) << child.Error();
        HWND cancel = GetDlgItem(progress, IDCANCEL);
        EXPECT_FALSE(IsWindowEnabled(cancel)) << "before the copy";
        ChildProcess::Press(dialog, IDOK);
        Watched watched;
        ASSERT_TRUE(WatchProgress(child, progress, watched, 20));
        ASSERT_EQ(watched.steps, std::vector<std::string>{kCopying});
        EXPECT_TRUE(IsWindowEnabled(cancel));
        PostMessageA(progress, answer.message, answer.wParam, answer.lParam);
        HWND question = child.WaitForMessageBox();
        ASSERT_TRUE(question) << child.Error();
        EXPECT_EQ(ChildProcess::Caption(question), "Setup");
        EXPECT_EQ(GetWindow(question, GW_OWNER), progress);
        EXPECT_EQ(ChildProcess::ReadItem(question, ChildProcess::MESSAGE_TEXT),
                  "Cancel the installation of Quillon?");
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(question, IDYES)) && IsWindowVisible(GetDlgItem(question, IDNO)));
        // Completion codes that another program posts meanwhile are not the run's end.
        if (!answer.yes)
            for (WPARAM code : {123, 125})  // installed, aborted
                PostMessageA(progress, WM_COMMAND, code, 0);
        Sleep(200);
        EXPECT_TRUE(IsWindow(question) && IsWindow(progress)) << "a stranger's code closed them";
        ChildProcess::Press(question, answer.yes ? IDYES : IDNO);
        ASSERT_TRUE(child.WaitForWindowGone(question)) << child.Error();
        ASSERT_TRUE(WatchProgress(child, progress, watched));
        HWND end = child.WaitForMessageBox();
        ASSERT_TRUE(end) << child.Error();
        const std::string closing = ChildProcess::ReadItem(end, ChildProcess::MESSAGE_TEXT);
        EXPECT_FALSE(IsWindowEnabled(cancel)) << "after the copy";
        ChildProcess::Press(end, IDOK);
        DWORD exitCode = 0xFFFF;
        EXPECT_TRUE(child.WaitForExit(exitCode)) << child.Error();
        EXPECT_EQ(exitCode, 0u);
        EXPECT_TRUE(std::is_sorted(watched.positions.begin(), watched.positions.end()));
        if (answer.yes) {
            EXPECT_EQ(closing, "Installation aborted");
            EXPECT_EQ(SnapshotMachine(), before_);
            ExpectLogHolds(ReadLog(kLog), {"step: Copying the library files",
                                          "cancelled: what this run copied and made is taken away",
                                          "removed: " + kDefaultFolder, "end: Installation aborted",
                                          "exit code 0"});
        } else {
            EXPECT_EQ(closing, kInstalled);
            ExpectInstalledInto(kDefaultFolder, kIde71);
            EXPECT_EQ(watched.positions.back(), 1000u);
            // The short steps may pass between two looks; those seen come in order.
            const std::vector<std::string> all = {kCopying, "Copying the wizard files",
                                                  "Registering the help", "Updating the directory lists",
                                                  "Writing the uninstall entry"};
            auto next = all.begin();
            for (const std::string& step : watched.steps) {
                next = std::find(next, all.end(), step);
                EXPECT_TRUE(next != all.end()) << "unknown, or out of order: " << step;
            }
            EXPECT_EQ(watched.steps.back(), all.back());
            ExpectLogHolds(ReadLog(kLog), {"step: Copying the library files", "step: Copying the wizard files",
                                          "step: Registering the help", "step: Updating the directory lists",
                                          "step: Writing the uninstall entry",
                                          "end: Quillon installed successfully", "exit code 0"});
        }
    }
}

// Waits until the run's log holds the line; false when the run ended or a minute passed first.
bool WaitForLogLine(ChildProcess& child, const std::string& line)
{
    for (int polls = 0; polls < 60000 && child.Running(); ++polls) {
        // The log may not be there yet, or be held for a moment by the run that writes it.
        try {
            if (FileExists(kLog) && ReadFileBytes(kLog).find(' ' + line + "\r\n") != std::string::npos)
                return true;
        } catch (const std::exception&) {
        }
        Sleep(1);
    }
    return false;
}

bool WaitForFile(const std::string& path)
{
    for (int polls = 0; polls < 20000 && !FileExists(path); ++polls)
        Sleep(1);
    return FileExists(path);
}

// Ended abruptly in any step of an install into a chosen folder, or of the recorded uninstall,
// the same command run again finishes: installed exactly once, or after the restart nothing of
// ours left and nothing else changed. At the kill an entry always records what is there.
TEST_F(Road, KilledInAnyStepTheSameCommandRunAgainFinishes)
{
    MakeBigPackage(1500);
    const std::string folder = "C:\\Libs\\Quillon";
    const std::string args = "/log=" + std::string(kLog);
    const char* const installSteps[] = {"Copying the library files", "Copying the wizard files",
                                        "Registering the help", "Updating the directory lists",
                                        "Writing the uninstall entry"};
    // A machine as before the first install, with the chosen folder's parent.
    const auto fresh = [this] {
        Prepare(IdeLayout::BothComplete);
        DeleteTreeForTest("C:\\Libs");
        CreateDirectoryA("C:\\Libs", nullptr);
        DeleteFileA(kLog);
    };
    for (const char* step : installSteps) {
        SCOPED_TRACE(step);
        fresh();
        ChildProcess child(60000);
        ASSERT_TRUE(child.Start(package_ + "\\setup.exe", args, "C:\\"));
        HWND dialog = child.WaitForWindow("Choose Folder");
        ASSERT_TRUE(dialog) << child.Error();
        ChildProcess::TypeItem(dialog, ChildProcess::FOLDER_BOX, folder);
        ChildProcess::Press(dialog, IDOK);
        ASSERT_TRUE(WaitForLogLine(child, std::string("step: ") + step)) << child.Error();
        // In the first seconds of the copy: once its first file, the program, is there.
        if (step == installSteps[0]) {
            ASSERT_TRUE(WaitForFile(folder + "\\setup.exe"));
        }
        child.Kill();
        if (step == installSteps[0]) {
            EXPECT_LT(SnapshotTree(folder).size(), SnapshotTree(package_ + "\\Quillon").size());
            EXPECT_NE(UninstallValue("InstallUnfinished"), "missing");
        }
        EXPECT_EQ(UninstallValue("InstallDir"), folder + std::string(1, '\0'));
        EXPECT_EQ(UninstallValue("InstallDirId", REG_BINARY), FolderIdBytes(folder));
        const Outcome again = Run(package_ + "\\setup.exe", "", {folder.c_str()});
        EXPECT_EQ(again.proposal, folder);
        EXPECT_EQ(again.messages, Messages{kInstalled});
        ExpectInstalledInto(folder, kIde71);
        EXPECT_EQ(UninstallValue("InstallUnfinished"), "missing");
    }

    // A script's install, ended in its copy and run again the same way.
    fresh();
    const std::string quiet = "/quiet \"/dir=" + folder + "\"";
    {
        ChildProcess child(60000);
        ASSERT_TRUE(child.Start(package_ + "\\setup.exe", quiet + " " + args, "C:\\"));
        ASSERT_TRUE(WaitForFile(folder + "\\setup.exe"));
        child.Kill();
    }
    EXPECT_EQ(RunQuiet(package_ + "\\setup.exe", quiet).exitCode, 0u);
    ExpectInstalledInto(folder, kIde71);

    const char* const uninstallSteps[] = {"Removing the help", "Removing the directory list entries",
                                          "Removing the wizard files", "Removing the library files",
                                          "Removing the uninstall entry"};
    package_ = kPackage;
    for (const char* step : uninstallSteps) {
        SCOPED_TRACE(step);
        fresh();
        ASSERT_EQ(Install({folder.c_str()}).messages, Messages{kInstalled});
        const Command command = RecordedCommand("UninstallString");
        DeleteFileA(kLog);
        {
            ChildProcess child(60000);
            ASSERT_TRUE(child.Start(command.exe, command.args + " " + args, "C:\\"));
            ASSERT_TRUE(WaitForLogLine(child, std::string("step: ") + step)) << child.Error();
            child.Kill();
        }
        EXPECT_EQ(Run(command.exe, command.args, {}).messages, Messages{kUninstalled});
        Restart();
        EXPECT_FALSE(FolderExists(folder));
        EXPECT_EQ(ReadFileBytes(kUserSettings), UserSettingsWith(""));
        EXPECT_EQ(ReadFileBytes(kAliceSettings), AliceSettingsWith(""));
        WriteFileBytes(kUserSettings, SAMPLE_VCCOMPONENTS);
        WriteFileBytes(kAliceSettings, SAMPLE_VCCOMPONENTS_ALICE);
        EXPECT_EQ(SnapshotMachine(), before_);
    }
}

// An earlier setup.exe moved the old file aside before it moved the new one in: killed between
// the two, the help collection file and a user's settings file were missing, their old content
// beside them. The next install puts them back and edits them, every other record intact.
TEST_F(Road, ARewriteStoppedBetweenItsStepsIsFinishedByTheNextRun)
{
    const std::string collection = machine_.helpFolder + "MS.VSCC.hxn";
    const std::string settings = kAliceSettings;
    ASSERT_TRUE(MoveFileA(collection.c_str(), (collection + ".quillon-old").c_str()));
    WriteFileBytes(collection + ".tmp", "the new content, cut short");
    ASSERT_TRUE(MoveFileA(settings.c_str(), (settings + ".quillon-old").c_str()));
    WriteFileBytes(settings + ".quillon-new", "Include Dirs=");
    EXPECT_EQ(RunQuiet(kPackage + "\\setup.exe", "/quiet").exitCode, 0u);
    ExpectInstalledInto(kDefaultFolder, kIde71);
    for (const std::string& left : {collection + ".quillon-old", collection + ".tmp",
                                    settings + ".quillon-old", settings + ".quillon-new"})
        EXPECT_FALSE(FileExists(left)) << left;
}

// A virus scanner holds the program the copy brought first while Yes takes the run back: the
// closing message says what stays and until when, and no entry is left for a run that stays
// only until the restart. A reinstall over the recorded install cannot be cancelled: its Cancel
// is disabled, and a Yes, were it asked, must never take the earlier install's files.
TEST_F(Road, CancelSaysWhatStaysAndNeverTakesAnEarlierInstall)
{
    MakeBigPackage(1500);
    for (const bool reinstall : {false, true}) {
        SCOPED_TRACE(reinstall ? "reinstall" : "held file");
        if (reinstall) {
            ASSERT_EQ(Run(package_ + "\\setup.exe", "", {""}).messages, Messages{kInstalled});
        }
        ChildProcess child(60000);
        ASSERT_TRUE(child.Start(package_ + "\\setup.exe", "", "C:\\"));
        HWND progress = child.WaitForWindow("Setup");
        HWND dialog = child.WaitForWindow("Choose Folder");
        ASSERT_TRUE(progress && dialog) << child.Error();
        ChildProcess::Press(dialog, IDOK);
        Watched watched;
        ASSERT_TRUE(WatchProgress(child, progress, watched, 20));
        HANDLE held = reinstall ? nullptr
                                : CreateFileA((kDefaultFolder + "\\setup.exe").c_str(), GENERIC_READ,
                                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(progress, IDCANCEL)), !reinstall);
        PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
        HWND box = child.WaitForMessageBox();
        ASSERT_TRUE(box) << child.Error();
        if (ChildProcess::ReadItem(box, ChildProcess::MESSAGE_TEXT) == "Cancel the installation of Quillon?") {
            ChildProcess::Press(box, IDYES);
            ASSERT_TRUE(child.WaitForWindowGone(box)) << child.Error();
            box = child.WaitForMessageBox();
            ASSERT_TRUE(box) << child.Error();
        }
        const std::string closing = ChildProcess::ReadItem(box, ChildProcess::MESSAGE_TEXT);
        ChildProcess::Press(box, IDOK);
        DWORD exitCode = 0xFFFF;
        EXPECT_TRUE(child.WaitForExit(exitCode)) << child.Error();
        CloseHandle(held);
        if (reinstall) {
            EXPECT_EQ(closing, kInstalled);
            ExpectInstalledInto(kDefaultFolder, kIde71);
        } else {
            EXPECT_EQ(closing, "Installation aborted\n2 files or folders of this run stay until the next restart");
            EXPECT_FALSE(KeyExists(kUninstallKey));
            Restart();
            EXPECT_EQ(SnapshotMachine(), before_);
        }
    }
}

// A user whose profile folder no name in the code page can reach: "Łukasz 王" in 1252.
const wchar_t* const kWideUser = L"S-1-5-21-0-0-0-1010";
const std::wstring kWideProfile = L"C:\\users\\\u0141ukasz \u738B";

std::string ReadWideNamedFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, &bytes[0], 1 << 16, &read, nullptr))
        read = 0;
    CloseHandle(file);
    return bytes.substr(0, read);
}

// What the test with that user made, the registry key and the profile folder.
void SweepWideUser()
{
    SHDeleteKeyW(HKEY_USERS, kWideUser);
    std::wstring from = kWideProfile + L'\0';  // a list of one, ended by a second NUL
    SHFILEOPSTRUCTW remove = {};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    SHFileOperationW(&remove);
}

// The system keeps each user's profile folder in UTF-16, and so does the program, from the
// registry to the settings file and the default log: that user's directory lists get the folder
// and lose it again, and the uninstall ends complete.
TEST_F(Road, AUserNamedOutsideTheCodePageGetsAndLosesTheFolders)
{
    ASSERT_EQ(GetACP(), 1252u) << "run by ctest with LANG=fr_FR.UTF-8";
    SweepWideUser();  // what a run that was killed left
    const std::wstring local = kWideProfile + L"\\AppData\\Local";
    const std::wstring settingsFolder = local + L"\\Microsoft\\VisualStudio\\7.0";
    const std::wstring settings = settingsFolder + L"\\VCComponents.dat";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_USERS,
                              (std::wstring(kWideUser) +
                               L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")
                                  .c_str(),
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Local AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(local.c_str()),
                   static_cast<DWORD>((local.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, settingsFolder.c_str(), nullptr), ERROR_SUCCESS);
    HANDLE file = CreateFileW(settings.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    const std::string sample = SAMPLE_VCCOMPONENTS;
    ASSERT_TRUE(WriteFile(file, sample.data(), static_cast<DWORD>(sample.size()), &written, nullptr));
    CloseHandle(file);

    EXPECT_EQ(Install().messages, Messages{kInstalled});
    ExpectInstalledInto(kDefaultFolder, kIde71);
    EXPECT_EQ(ReadWideNamedFile(settings), UserSettingsWith(kDefaultFolder));
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});
    EXPECT_EQ(ReadWideNamedFile(settings), UserSettingsWith(""));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    Restart();

    // A script run by that user logs to the temporary folder inside that profile.
    const std::wstring temp = local + L"\\Temp";
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    wchar_t saved[2][MAX_PATH] = {};
    const wchar_t* const names[] = {L"TMP", L"TEMP"};
    for (int i = 0; i < 2; ++i) {
        GetEnvironmentVariableW(names[i], saved[i], MAX_PATH);
        SetEnvironmentVariableW(names[i], temp.c_str());
    }
    ChildProcess child(60000);
    DWORD exitCode = 0xFFFF;
    const bool started = child.Start(kPackage + "\\setup.exe", "/quiet", "C:\\");
    const bool ended = started && child.WaitForExit(exitCode);
    for (int i = 0; i < 2; ++i)
        SetEnvironmentVariableW(names[i], saved[i]);
    ASSERT_TRUE(ended) << child.Error();
    EXPECT_EQ(exitCode, 0u);
    const std::string log = ReadWideNamedFile(temp + L"\\Quillon setup.log");
    for (const char* line : {" end: Quillon installed successfully\r\n", " exit code 0\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " not in the log:\n" << log;
    EXPECT_EQ(ReadWideNamedFile(settings), UserSettingsWith(kDefaultFolder));
    EXPECT_EQ(RunQuiet(kDefaultFolder + "\\setup.exe", "/uninstall /quiet").exitCode, 0u);
    SweepWideUser();
}

// A dialog template's font at a DPI, as the dialog manager makes it.
LOGFONTW DialogFont(const wchar_t* face, LONG weight, BYTE charset, UINT dpi)
{
    LOGFONTW font = {};
    font.lfHeight = -MulDiv(8, dpi, 72);
    font.lfWeight = weight;
    font.lfCharSet = charset;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return font;
}

// The message boxes' font at a DPI: the system's message font.
LOGFONTW MessageFont(UINT dpi)
{
    typedef BOOL(WINAPI * ForDpi)(UINT, UINT, PVOID, UINT, UINT);
    const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SystemParametersInfoForDpi")));
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    EXPECT_TRUE(forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi));
    return metrics.lfMessageFont;
}

// The width of the widest line of text and the height of all its lines, in the font.
SIZE TextExtent(const LOGFONTW& font, const std::string& text)
{
    HDC dc = GetDC(nullptr);
    HFONT handle = CreateFontIndirectW(&font);
    HGDIOBJ old = SelectObject(dc, handle);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SIZE total = {0, 0};
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        SIZE line = {0, 0};
        GetTextExtentPoint32A(dc, text.data() + start, static_cast<int>(end - start), &line);
        total.cx = std::max(total.cx, line.cx);
        total.cy += metrics.tmHeight;
        start = end + 1;
    }
    SelectObject(dc, old);
    DeleteObject(handle);
    ReleaseDC(nullptr, dc);
    return total;
}

// Each visible control of the window lies inside it, no two overlap (a group box frames those
// wholly inside it), and each text fits its control in the window's font. Returns the window's
// size.
SIZE ExpectLaidOut(HWND window, const LOGFONTW& font, const std::string& what)
{
    SCOPED_TRACE(what);
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    struct Control {
        RECT rect;
        bool frame;
        std::string name;
    };
    std::vector<Control> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const bool button = lstrcmpiA(className, "Button") == 0;
        const bool frame = button && (style & BS_TYPEMASK) == BS_GROUPBOX;
        std::string text = ChildProcess::ReadText(child);
        const std::string name = std::string(className) + " \"" + text + "\"";
        Control control = {{}, frame, name};
        GetWindowRect(child, &control.rect);
        EXPECT_TRUE(control.rect.left >= client.left && control.rect.top >= client.top &&
                    control.rect.right <= client.right && control.rect.bottom <= client.bottom)
            << name << " lies outside the window";
        const bool label = button || (lstrcmpiA(className, "Static") == 0 &&
                                      (style & SS_TYPEMASK) != SS_ICON);
        if (label && !text.empty()) {
            if (button || !(style & SS_NOPREFIX))
                text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
            const SIZE needed = TextExtent(font, text);
            RECT inside = {};
            GetClientRect(child, &inside);
            EXPECT_LE(needed.cx, inside.right) << name << " is too narrow for its text";
            if (!frame) {
                EXPECT_LE(needed.cy, inside.bottom) << name << " is too low for its text";
            }
        }
        controls.push_back(control);
    }
    EXPECT_GE(controls.size(), 2u);
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const Control& a = controls[i];
            const Control& b = controls[j];
            RECT common;
            if (!IntersectRect(&common, &a.rect, &b.rect))
                continue;
            // A group box may frame a control whole.
            const bool framed = (a.frame && EqualRect(&common, &b.rect)) ||
                                (b.frame && EqualRect(&common, &a.rect));
            EXPECT_TRUE(framed) << a.name << " overlaps " << b.name;
        }
    }
    RECT frame = {};
    GetWindowRect(window, &frame);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// At 100%, 150% and 200% display scaling (Wine takes the DPI from "LogPixels" as each program
// starts) every window the program shows is laid out for the DPI: the folder dialog, an error, the
// progress window with its step, bar and Cancel, the question and the closing message. Each grows
// with the DPI.
TEST_F(Road, EveryWindowIsLaidOutForTheDisplayScaling)
{
    // Sizes as the windows have them, unscaled for this program.
    typedef BOOL(WINAPI * SetAware)();
    const auto setAware = reinterpret_cast<SetAware>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware")));
    ASSERT_TRUE(setAware && setAware());
    MakeBigPackage(1500);
    SavedValue logPixels(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels");
    const char* const kWindows[] = {"folder dialog", "error", "progress window", "question", "closing"};
    std::vector<std::vector<SIZE>> sizes;
    for (const UINT dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        Prepare(IdeLayout::BothComplete);
        ASSERT_EQ(SetRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels",
                                   REG_DWORD, Dword(dpi)),
                  ERROR_SUCCESS);
        const LOGFONTW message = MessageFont(dpi);
        std::vector<SIZE> seen;
        ChildProcess child(60000);
        ASSERT_TRUE(child.Start(package_ + "\\setup.exe", "", "C:\\"));
        HWND progress = child.WaitForWindow("Setup");
        HWND dialog = child.WaitForWindow("Choose Folder");
        ASSERT_TRUE(progress && dialog) << child.Error();
        seen.push_back(ExpectLaidOut(dialog, DialogFont(L"MS Shell Dlg", 400, DEFAULT_CHARSET, dpi),
                                     kWindows[0]));
        ChildProcess::TypeItem(dialog, ChildProcess::FOLDER_BOX, "C:\\no\\such\\Quillon");
        ChildProcess::Press(dialog, IDOK);
        HWND box = child.WaitForMessageBox();
        ASSERT_TRUE(box) << child.Error();
        seen.push_back(ExpectLaidOut(box, message, kWindows[1]));
        ChildProcess::Press(box, IDOK);
        ASSERT_TRUE(child.WaitForWindowGone(box)) << child.Error();
        dialog = child.WaitForWindow("Choose Folder");
        ASSERT_TRUE(dialog) << child.Error();
        ChildProcess::Press(dialog, IDOK);
        Watched watched;
        ASSERT_TRUE(WatchProgress(child, progress, watched, 20));
        seen.push_back(ExpectLaidOut(progress, DialogFont(L"MS Sans Serif", 0, ANSI_CHARSET, dpi),
                                     kWindows[2]));
        PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
        box = child.WaitForMessageBox();
        ASSERT_TRUE(box) << child.Error();
        seen.push_back(ExpectLaidOut(box, message, kWindows[3]));
        ChildProcess::Press(box, IDNO);
        ASSERT_TRUE(child.WaitForWindowGone(box)) << child.Error();
        box = child.WaitForMessageBox();
        ASSERT_TRUE(box) << child.Error();
        EXPECT_EQ(ChildProcess::ReadItem(box, ChildProcess::MESSAGE_TEXT), kInstalled);
        seen.push_back(ExpectLaidOut(box, message, kWindows[4]));
        ChildProcess::Press(box, IDOK);
        DWORD exitCode = 0xFFFF;
        EXPECT_TRUE(child.WaitForExit(exitCode)) << child.Error();
        sizes.push_back(seen);
    }
    for (size_t window = 0; window < std::size(kWindows); ++window) {
        for (size_t step = 1; step < sizes.size(); ++step) {
            const SIZE before = sizes[step - 1][window], after = sizes[step][window];
            EXPECT_GT(after.cx * 8, before.cx * 9) << kWindows[window];
            EXPECT_GT(after.cy * 8, before.cy * 9) << kWindows[window];
        }
    }
}

}  // namespace

// A 32-bit setup.exe on 64-bit Windows: the registry redirects its machine-wide writes to the
// 32-bit view (WOW6432Node) and names the 32-bit Program Files folder; the uninstall finds both.
TEST_F(Road, OnWow64TheProgramLivesInThe32BitViewAndFolder)
{
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    ASSERT_TRUE(wow64) << "a 32-bit program in a 64-bit prefix only";
    // The native folders are not this program's own, and are refused all the same.
    const Outcome outcome = Install({"C:\\Program Files", "C:\\Program Files\\Common Files",
                                     "C:\\windows\\Sysnative", ""});
    EXPECT_EQ(outcome.proposal, "C:\\Program Files (x86)\\Quillon");
    EXPECT_EQ(outcome.messages, (Messages{kCannotCreate, kCannotCreate, kCannotCreate, kInstalled}));
    ExpectInstalledInto(outcome.proposal, kIde71);
    const std::string redirected =
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon";
    EXPECT_TRUE(KeyExists(redirected.c_str(), KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExists(kUninstallKey, KEY_WOW64_64KEY));
    EXPECT_EQ(Uninstall().messages, Messages{kUninstalled});
    EXPECT_FALSE(KeyExists(redirected.c_str(), KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExists(kUninstallKey));

    // A script's install lands in the same view and folder, once the restart has taken what the
    // uninstall left of it.
    Restart();
    EXPECT_EQ(RunQuiet(kPackage + "\\setup.exe", "/quiet").exitCode, 0u);
    EXPECT_TRUE(KeyExists(redirected.c_str(), KEY_WOW64_64KEY));
    EXPECT_EQ(UninstallValue("InstallLocation"), outcome.proposal + std::string(1, '\0'));
    EXPECT_EQ(RunQuiet(outcome.proposal + "\\setup.exe", "/uninstall /quiet").exitCode, 0u);
    EXPECT_FALSE(KeyExists(redirected.c_str(), KEY_WOW64_64KEY));
}
