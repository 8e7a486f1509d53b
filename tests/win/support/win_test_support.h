#pragma once
// Sandboxes for the Windows tests, removed again at the end, and registry values put back as
// they were. The file tree helpers come from fixtures/, which the sample machine shares.

#include "file_tree.h"

#include <windows.h>

#include <string>
#include <vector>

// HKEY_CURRENT_USER\Software\QuillonTests\<unique>, deleted with its subkeys at the end.
class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY Get() const { return key_; }
    // Sets a string value of subkey, which is created if need be.
    void SetString(const std::string& subkey, const char* name, const std::string& value) const;

private:
    std::string path_;
    HKEY key_ = nullptr;
};

// A new empty folder under the Windows temporary folder; removed with its content at the end
// (read-only attributes are cleared first).
class TempFolder {
public:
    TempFolder();
    ~TempFolder() { DeleteTreeForTest(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }  // no trailing backslash
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

// A registry value changed for one test and put back as it was (deleted if it was missing).
class SavedValue {
public:
    SavedValue(HKEY root, const std::string& key, const char* name);
    ~SavedValue();
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY root_;
    std::string key_, name_, data_;
    bool existed_ = false;
    DWORD type_ = 0;
};

// Reads a value's raw data; false when it cannot be read.
bool ReadRegistryValue(HKEY root, const std::string& key, const char* name, std::string& data,
                       DWORD* type = nullptr);
// Creates root\key if need be and sets a value of it; the first error, or ERROR_SUCCESS.
LONG SetRegistryValue(HKEY root, const std::string& key, const char* name, DWORD type,
                      const std::string& data);

// HKEY_LOCAL_MACHINE's key that holds PendingFileRenameOperations.
extern const char* const kSessionManager;

// The operations registered for the next restart, in order: a deletion as its path ("\??\"
// prefix removed), anything else as "path -> target".
std::vector<std::string> PendingDeletes();
