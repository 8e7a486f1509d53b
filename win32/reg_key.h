#pragma once
// The registry key holder and the reads the program makes through it.

#include "handle.h"

#include <string>
#include <vector>

// Holds one registry key handle, or nothing. Moves, never copies; closes what it holds when it
// goes.
class RegKey {
public:
    RegKey() = default;
    // Takes a predefined root key (such as HKEY_USERS) in order to list its subkeys.
    explicit RegKey(HKEY key) : key_(key) {}

    // Closes what is held, then opens root\path into this holder; returns RegOpenKeyExA's result.
    LONG Open(HKEY root, const char* path, REGSAM access);
    // The handle slot for RegOpenKeyExA / RegCreateKeyExA; whatever was held is closed first.
    HKEY* Slot() { return key_.Slot(); }
    HKEY Get() const { return key_.Get(); }

    // RegCloseKey's result; ERROR_SUCCESS when nothing was held.
    LONG Close() { return key_ ? RegCloseKey(key_.Release()) : ERROR_SUCCESS; }
    // The value's data as stored, and its type when asked for; empty on failure.
    LONG ReadValue(const char* valueName, std::string& data, DWORD* type = nullptr) const;
    // The value's data taken as text whatever its type, less the terminating NUL it carries.
    LONG ReadString(const char* valueName, std::string& text) const;
    // A text value as the system keeps it, in UTF-16 (a folder it names need not fit the code
    // page), less the terminating NUL it carries; empty on failure.
    LONG ReadWideString(const wchar_t* valueName, std::wstring& text) const;
    // Every subkey name, last index first; an error ends the listing with the names so far.
    LONG EnumSubKeys(std::vector<std::string>& names) const;
    LONG EnumSubKey(DWORD index, std::string& name) const;

private:
    RegistryKey key_;
};
