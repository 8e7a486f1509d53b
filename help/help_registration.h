#pragma once
// Registration of a help namespace with the IDE's help collection, through the help system's
// registration files in the help data folder ("Common AppData" followed by "\Microsoft Help\").

#include "win32/file_event.h"

#include <windows.h>

#include <string>

// Writes the namespace file, then adds a namespace record to "nslist.hxl" and a plug-in record to
// "MS.VSCC.hxn"; stops at the first step that fails, keeping what was written before. Returns
// false when a step was tried and failed (a file could not be written, or one that exists could
// not be read); a machine without the help data folder or its files, or a collection without a
// plug-in to copy from, is no failure: there is nothing to register with. events, when given,
// receive what became of each registration file; the same holds for UnregisterHelp.
bool RegisterHelp(const std::string& helpFolder, const std::string& namespaceName,
                  const std::string& fileBase, const std::string& description,
                  FileEvents* events = nullptr);
// The help data folder: "Common AppData" followed by "\Microsoft Help\".
bool GetCommonHelpFolder(std::string& folder);
bool GetCommonHelpFolder(HKEY machineRoot, std::string& folder);

// Deletes the namespace file and the first record named namespaceName in each list file. Returns
// false when the namespace file or a list file holding such a record is left because it could
// not be deleted or rewritten, or a list file that exists could not be read; a damaged list file
// is left as it is and is no failure.
bool UnregisterHelp(const std::string& namespaceName, FileEvents* events = nullptr);

// The same, with "Common AppData" looked up under machineRoot instead of HKEY_LOCAL_MACHINE.
bool RegisterHelp(HKEY machineRoot, const std::string& helpFolder,
                  const std::string& namespaceName, const std::string& fileBase,
                  const std::string& description, FileEvents* events = nullptr);
bool UnregisterHelp(HKEY machineRoot, const std::string& namespaceName,
                    FileEvents* events = nullptr);
