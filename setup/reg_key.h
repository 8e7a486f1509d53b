#pragma once
// The owning registry key holder and the few lookups built on it.

#include <windows.h>

#include <string>
#include <vector>

// Holds one registry key handle, or nothing. Never copied; closes what it holds when it goes.
class RegKey {
public:
    RegKey() = default;
    // Takes a predefined root key (such as HKEY_USERS) in order to list its subkeys.
    explicit RegKey(HKEY key) : key_(key) {}
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Closes what is held, then opens root\path into this holder; returns RegOpenKeyExA's result.
    LONG Open(HKEY root, const char* path, REGSAM access);
    // The handle slot for RegOpenKeyExA / RegCreateKeyExA; whatever was held is closed first.
    HKEY* Slot();
    HKEY Get() const { return key_; }

    LONG Close();
    // The value's data taken as text whatever its type, less the terminating NUL it carries.
    LONG ReadString(const char* valueName, std::string& text) const;
    // Every subkey name, last index first; an error ends the listing with the names so far.
    LONG EnumSubKeys(std::vector<std::string>& names) const;
    LONG EnumSubKey(DWORD index, std::string& name) const;

private:
    HKEY key_ = nullptr;
};

// The help data folder: "Common AppData" followed by "\Microsoft Help\".
bool GetCommonHelpFolder(std::string& folder);
bool GetCommonHelpFolder(HKEY machineRoot, std::string& folder);
