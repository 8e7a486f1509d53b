#include "run_setup.h"

#include "command_line.h"
#include "folder_guard.h"
#include "options.h"
#include "setup_ui.h"
#include "win32/code_page.h"
#include "win32/reg_key.h"
#include "win32/system_functions.h"

const char* const UNINSTALL_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon";
const char* const UNINSTALL_PARENT_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const CURRENT_VERSION_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const INSTALL_DIR_ID = "InstallDirId";
const char* const INSTALL_UNFINISHED = "InstallUnfinished";

std::string RecordedIdentity(const FolderIdentity& identity)
{
    std::string bytes;
    if (!identity.valid)
        return bytes;
    for (const unsigned long part : {identity.volume, identity.indexLow, identity.indexHigh})
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((part >> shift) & 0xFF);
    return bytes;
}

std::string ReadRecordedIdentity(const RegKey& entry)
{
    std::string recorded;
    DWORD type = REG_NONE;
    if (!entry.Get() || entry.ReadValue(INSTALL_DIR_ID, recorded, &type) != ERROR_SUCCESS ||
        type != REG_BINARY || recorded.size() != 12)
        return std::string();
    return recorded;
}

std::string LookupInstallFolder(HKEY machineRoot, RegKey& uninstallKey)
{
    std::string folder;
    uninstallKey.Open(machineRoot, UNINSTALL_KEY, KEY_ALL_ACCESS);
    if (uninstallKey.ReadString("InstallDir", folder) == ERROR_SUCCESS)
        return folder;

    RegKey currentVersion;
    currentVersion.Open(machineRoot, CURRENT_VERSION_KEY, KEY_ALL_ACCESS);
    std::string programFiles;
    currentVersion.ReadString("ProgramFilesDir", programFiles);
    return programFiles + "\\Quillon";
}

void RunSetup(const SetupOptions& options, SetupUi& ui)
{
    RegKey uninstallKey;
    const std::string recordedFolder = LookupInstallFolder(HKEY_LOCAL_MACHINE, uninstallKey);

    const CommandLine commandLine = ScanCommandLine(GetCommandLineA(), IsAnsiLeadByte);
    if (commandLine.changeDirectory)
        SetCurrentDirectoryA(commandLine.directory.c_str());

    ui.Note(options.uninstall ? "uninstall" : "install");
    ui.Note(sizeof(void*) == 8 ? "registry view: native (a 64-bit program)"
            : IsWow64()        ? "registry view: 32-bit (a 32-bit program on 64-bit Windows)"
                               : "registry view: native (32-bit Windows)");
    if (options.uninstall)
        RunUninstall(recordedFolder, ui);
    else
        RunInstall(recordedFolder, options.hasFolder ? options.folder : recordedFolder, ui);
}
