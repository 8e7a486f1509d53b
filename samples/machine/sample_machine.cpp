#include "sample_machine.h"

#include "file_tree.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <stdexcept>

namespace {

const char* const SHELL_FOLDERS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const VC_SETTINGS = "\\Microsoft\\VisualStudio\\7.0\\VCComponents.dat";

void MakeFolders(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    MakeFolders(path.substr(0, path.rfind('\\')));
    WriteFileBytes(path, bytes);
}

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + key);
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
}

const char* const MACHINE_SHELL_FOLDERS =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string HelpDataFolder()
{
    char common[MAX_PATH] = "C:\\ProgramData";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MACHINE_SHELL_FOLDERS, 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        DWORD size = sizeof common;
        RegQueryValueExA(key, "Common AppData", nullptr, nullptr, reinterpret_cast<BYTE*>(common), &size);
        RegCloseKey(key);
    }
    return std::string(common) + "\\Microsoft Help\\";
}

std::string ProfileFolder()
{
    char profile[MAX_PATH] = "";
    GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    return profile;
}

void MakeIde(const std::string& root, const std::string& installDir, bool projects, bool wizards)
{
    MakeFolders(installDir.substr(0, installDir.size() - 1));
    WriteBytes(installDir + "devenv.exe", "IDE placeholder\r\n");
    if (projects) {
        WriteBytes(root + "\\Vc7\\vcprojects\\MFCAppWiz.vsz", "[VS]\r\nWizard=MFCAppWiz\r\n");
        WriteBytes(root + "\\Vc7\\vcprojects\\MFCAppWiz.vsdir", "MFCAppWiz.vsz|MFC Application\r\n");
        WriteBytes(root + "\\Vc7\\vcprojects\\QuillonWizard.vsz", "[VS]\r\nsomebody else's\r\n");
        // Named like the library's wizard files, but a folder: it is not theirs to delete.
        WriteBytes(root + "\\Vc7\\vcprojects\\QuillonWiz.old\\notes.txt", "keep me\r\n");
    }
    if (wizards)
        WriteBytes(root + "\\Vc7\\VCWizards\\MFCAppWiz\\HTML\\1033\\default.htm", "<html></html>\r\n");
}

}  // namespace

std::string HelpU32(unsigned value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string HelpText(const std::string& narrow)
{
    std::string bytes = HelpU32(static_cast<unsigned>(narrow.size() * 2));
    for (char c : narrow) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::string HelpText(const std::u16string& characters)
{
    std::string bytes = HelpU32(static_cast<unsigned>(characters.size() * 2));
    for (const char16_t unit : characters) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string HelpRecord(unsigned type, const std::string& payload)
{
    return HelpU32(type) + HelpU32(static_cast<unsigned>(payload.size())) + payload;
}

std::string HelpHeader(int version)
{
    return HelpU32(static_cast<unsigned>(version)) + std::string(12, '\0');
}

const char* const SAMPLE_VCCOMPONENTS =
    "[VC\\VC_OBJECTS_PLATFORM_INFO\\Win32\\Directories]\r\n"
    "Path Dirs=$(VCInstallDir)bin;$(VSInstallDir)Common7\\Tools\\bin;$(VSInstallDir)Common7\\tools\r\n"
    "Include Dirs=$(VCInstallDir)include;$(VCInstallDir)atlmfc\\include;$(VCInstallDir)PlatformSDK\\include\r\n"
    "Reference Dirs=$(FrameWorkDir)$(FrameWorkVersion);$(VCInstallDir)atlmfc\\lib\r\n"
    "Library Dirs=$(VCInstallDir)lib;$(VCInstallDir)atlmfc\\lib;$(VCInstallDir)PlatformSDK\\lib\r\n"
    "Source Dirs=$(VCInstallDir)atlmfc\\src\\mfc;$(VCInstallDir)crt\\src\r\n"
    "[VC\\VC_OBJECTS_PLATFORM_INFO\\Win32\\ToolDefaultExtensionLists]\r\n"
    "VCCLCompilerTool=*.cpp;*.cxx;*.cc;*.c\r\n";

const char* const SAMPLE_VCCOMPONENTS_ALICE =
    "[VC\\VC_OBJECTS_PLATFORM_INFO\\Win32\\Directories]\r\n"
    "Library Dirs=C:\\Libs\\boost\\lib;$(VCInstallDir)lib;\r\n"
    "Include Dirs=C:\\Libs\\boost;C:\\Program Files\\Quillon Extras;$(VCInstallDir)include\r\n"
    "Source Dirs=\r\n";

std::string SampleNamespaceList()
{
    return HelpHeader(1) +
           HelpRecord(2, HelpText("MS.VSCC") +
                         HelpText("C:\\Program Files\\Common Files\\Microsoft Shared\\VS Help Data\\7.0\\VSCC.HxC") +
                         HelpText("Visual Studio .NET Combined Help Collection")) +
           HelpRecord(9, std::string("\x01\x02\x03\x04\x05", 5)) +
           HelpRecord(2, HelpText("MS.MSDNQTR.2003FEB.1033") +
                         HelpText("C:\\Program Files\\MSDN\\2003FEB\\1033\\MSDNQTR.HxC") +
                         HelpText("MSDN Library - January 2003"));
}

std::string SampleCollectionFile()
{
    return HelpHeader(4) +
           HelpRecord(4, HelpText("MS.MSDNQTR.2003FEB.1033") + HelpText("MS.VSCC.2003") +
                         HelpText("C:/Program Files/MSDN/2003FEB/1033/MSDNQTR.HxT") +
                         HelpText("C:\\Program Files\\MSDN\\2003FEB\\1033\\MSDNQTR.HxA")) +
           HelpRecord(6, HelpU32(1) + HelpText("C:\\Program Files\\MSDN\\") + HelpText("C:\\Program Files\\MSDN\\")) +
           HelpRecord(3, HelpText("Filter") + HelpText("\"DocSet\"=\"Visual C++\""));
}

SampleMachine MakeSampleMachine(IdeLayout layout)
{
    SampleMachine machine;
    const std::string vs70 = "C:\\Program Files\\Microsoft Visual Studio .NET";
    const std::string vs71 = "C:\\Program Files\\Microsoft Visual Studio .NET 2003";
    machine.ide70 = vs70 + "\\Common7\\IDE\\";
    machine.ide71 = vs71 + "\\Common7\\IDE\\";
    if (layout != IdeLayout::NoVisualStudio) {
        const bool complete = layout != IdeLayout::NoneComplete;
        MakeIde(vs70, machine.ide70, complete, complete);
        MakeIde(vs71, machine.ide71, complete, layout == IdeLayout::BothComplete);
        SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\VisualStudio\\7.0", "InstallDir", machine.ide70);
        SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\VisualStudio\\7.1", "InstallDir", machine.ide71);
    }

    // This user, and .Default pointed at the system profile as on Windows (a fresh prefix
    // points it at this user's folder).
    const std::string local = ProfileFolder() + "\\AppData\\Local";
    WriteBytes(local + VC_SETTINGS, SAMPLE_VCCOMPONENTS);
    machine.vcComponentsFiles.push_back(local + VC_SETTINGS);
    SetString(HKEY_USERS, std::string(".Default\\") + SHELL_FOLDERS, "Local AppData",
              "C:\\windows\\system32\\config\\systemprofile\\AppData\\Local");
    // Alice has her own settings; Bob never ran the IDE; the fourth profile has no folder value.
    SetString(HKEY_USERS, std::string("S-1-5-21-0-0-0-1001\\") + SHELL_FOLDERS, "Local AppData",
              "C:\\users\\alice\\AppData\\Local");
    WriteBytes(std::string("C:\\users\\alice\\AppData\\Local") + VC_SETTINGS, SAMPLE_VCCOMPONENTS_ALICE);
    machine.vcComponentsFiles.push_back(std::string("C:\\users\\alice\\AppData\\Local") + VC_SETTINGS);
    SetString(HKEY_USERS, std::string("S-1-5-21-0-0-0-1002\\") + SHELL_FOLDERS, "Local AppData",
              "C:\\users\\bob\\AppData\\Local");
    MakeFolders("C:\\users\\bob\\AppData\\Local");
    SetString(HKEY_USERS, std::string("S-1-5-21-0-0-0-1003\\") + SHELL_FOLDERS, "AppData",
              "C:\\users\\carol\\AppData\\Roaming");

    // Windows names the all-users data folder in both registry views; a fresh 64-bit Wine
    // prefix may leave the 32-bit view without it until some shell call fills it in.
    HKEY folders = nullptr;
    const bool named =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, MACHINE_SHELL_FOLDERS, 0, KEY_READ, &folders) ==
            ERROR_SUCCESS &&
        RegQueryValueExA(folders, "Common AppData", nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS;
    if (folders)
        RegCloseKey(folders);
    if (!named)
        SetString(HKEY_LOCAL_MACHINE, MACHINE_SHELL_FOLDERS, "Common AppData", "C:\\ProgramData");
    machine.helpFolder = HelpDataFolder();
    WriteBytes(machine.helpFolder + "nslist.hxl", SampleNamespaceList());
    WriteBytes(machine.helpFolder + "MS.VSCC.hxn", SampleCollectionFile());
    return machine;
}

void ResetSampleMachine()
{
    for (const std::string& tree :
         {std::string("C:\\Program Files\\Microsoft Visual Studio .NET"),
          std::string("C:\\Program Files\\Microsoft Visual Studio .NET 2003"),
          std::string("C:\\Program Files\\Quillon"), std::string("C:\\Program Files (x86)\\Quillon"),
          std::string("C:\\users\\alice"),
          std::string("C:\\users\\bob"), ProfileFolder() + "\\AppData\\Local\\Microsoft\\VisualStudio"})
        DeleteTreeForTest(tree);
    for (const char* file : {"nslist.hxl", "MS.VSCC.hxn", "Quillon.hxn"})
        DeleteTreeForTest(HelpDataFolder() + file);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\VisualStudio");
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon");
    for (const char* user : {"S-1-5-21-0-0-0-1001", "S-1-5-21-0-0-0-1002", "S-1-5-21-0-0-0-1003"})
        SHDeleteKeyA(HKEY_USERS, user);
    // A fresh prefix points .Default at this user's folder.
    SetString(HKEY_USERS, std::string(".Default\\") + SHELL_FOLDERS, "Local AppData",
              ProfileFolder() + "\\AppData\\Local");
}

namespace {

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void SnapshotFiles(const std::string& folder, std::vector<std::string>& lines)
{
    for (const auto& entry : SnapshotTree(folder)) {
        const std::string path = folder + "\\" + entry.first;
        if (!entry.first.empty() && entry.first.back() == '\\')
            lines.push_back("dir  " + path.substr(0, path.size() - 1));
        else
            lines.push_back("file " + path + " " + Hex(entry.second));
    }
}

std::vector<std::string> SubkeyNames(HKEY key)
{
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    return names;
}

void SnapshotKey(HKEY root, const std::string& rootName, const std::string& path,
                 std::vector<std::string>& lines)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines.push_back("key  " + rootName + "\\" + path);
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameSize = sizeof name;
        BYTE data[16384];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        lines.push_back("val  " + rootName + "\\" + path + " [" + name + "] " + std::to_string(type) +
                        " " + Hex(std::string(reinterpret_cast<char*>(data), dataSize)));
    }
    const std::vector<std::string> subkeys = SubkeyNames(key);
    RegCloseKey(key);
    for (const std::string& sub : subkeys)
        SnapshotKey(root, rootName, path + "\\" + sub, lines);
}

}  // namespace

std::string SnapshotMachine()
{
    std::vector<std::string> lines;
    for (const std::string& folder :
         {std::string("C:\\Program Files"), std::string("C:\\ProgramData\\Microsoft Help"),
          ProfileFolder() + "\\AppData\\Local\\Microsoft", std::string("C:\\users\\alice"),
          std::string("C:\\users\\bob"), std::string("C:\\Quillon"), std::string("D:\\Quillon")})
        SnapshotFiles(folder, lines);
    SnapshotKey(HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", lines);
    SnapshotKey(HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE\\Microsoft\\VisualStudio", lines);
    for (const std::string& user : SubkeyNames(HKEY_USERS))
        SnapshotKey(HKEY_USERS, "HKU", user + "\\" + SHELL_FOLDERS, lines);
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}
