#pragma once
// The worker thread's whole job: find the recorded install folder, read the command line,
// move into the package folder and run one of the two sequences.

#include <windows.h>

#include <string>

class RegKey;
class SetupUi;
struct SetupOptions;
struct FolderIdentity;

// Key paths, relative to HKEY_LOCAL_MACHINE.
extern const char* const UNINSTALL_KEY;         // ...\CurrentVersion\Uninstall\Quillon
extern const char* const UNINSTALL_PARENT_KEY;  // ...\CurrentVersion\Uninstall
extern const char* const CURRENT_VERSION_KEY;   // ...\Windows\CurrentVersion

// The Uninstall entry's value that tells the install folder from any other folder of that name.
extern const char* const INSTALL_DIR_ID;  // "InstallDirId"
// Marks an install that has not reached its last step: REG_SZ, the earlier install folder whose
// directory list entries the unfinished run had yet to take out (a later run takes them out).
// Gone once the install is finished.
extern const char* const INSTALL_UNFINISHED;  // "InstallUnfinished"
// Its REG_BINARY data: the volume serial number, then the 64-bit file index, each little-endian
// (12 bytes); empty for an identity that is not valid.
std::string RecordedIdentity(const FolderIdentity& identity);

// The entry's "InstallDirId" as recorded (12 bytes), or empty when there is none of that form.
std::string ReadRecordedIdentity(const RegKey& entry);

// The whole work of one run, told to and asked of ui, whoever watches.
void RunSetup(const SetupOptions& options, SetupUi& ui);

// Opens the Uninstall entry into uninstallKey (left empty when that fails) and returns its
// "InstallDir", or else "ProgramFilesDir" followed by "\Quillon".
std::string LookupInstallFolder(HKEY machineRoot, RegKey& uninstallKey);

// proposal: the folder first offered (the command line's, else the recorded one).
void RunInstall(const std::string& recordedFolder, const std::string& proposal, SetupUi& ui);
void RunUninstall(const std::string& recordedFolder, SetupUi& ui);
