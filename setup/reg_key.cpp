#include "reg_key.h"

LONG RegKey::Open(HKEY root, const char* path, REGSAM access)
{
    return RegOpenKeyExA(root, path, 0, access, Slot());
}

HKEY* RegKey::Slot()
{
    Close();
    return &key_;
}

LONG RegKey::Close()
{
    if (!key_)
        return ERROR_SUCCESS;
    const LONG result = RegCloseKey(key_);
    key_ = nullptr;
    return result;
}

LONG RegKey::ReadString(const char* valueName, std::string& text) const
{
    text.clear();
    DWORD size = 0;
    LONG result = RegQueryValueExA(key_, valueName, nullptr, nullptr, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return result;
    text.assign(size, '\0');
    // A zero-byte value still needs a valid buffer address.
    BYTE empty = 0;
    BYTE* buffer = size ? reinterpret_cast<BYTE*>(&text[0]) : &empty;
    result = RegQueryValueExA(key_, valueName, nullptr, nullptr, buffer, &size);
    if (result == ERROR_SUCCESS && !text.empty())
        text.pop_back();
    return result;
}

LONG RegKey::EnumSubKey(DWORD index, std::string& name) const
{
    name.assign(256, '\0');
    DWORD count = 256;
    const LONG result =
        RegEnumKeyExA(key_, index, &name[0], &count, nullptr, nullptr, nullptr, nullptr);
    name.resize(count);
    return result;
}

LONG RegKey::EnumSubKeys(std::vector<std::string>& names) const
{
    names.clear();
    DWORD count = 0;
    LONG result = RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    names.reserve(count);
    for (DWORD index = count; index-- > 0;) {
        std::string name;
        result = EnumSubKey(index, name);
        if (result != ERROR_SUCCESS)
            return result;
        names.push_back(std::move(name));
    }
    return ERROR_SUCCESS;
}

bool GetCommonHelpFolder(HKEY machineRoot, std::string& folder)
{
    RegKey key;
    if (key.Open(machineRoot, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 KEY_READ) != ERROR_SUCCESS)
        return false;
    if (key.ReadString("Common AppData", folder) != ERROR_SUCCESS)
        return false;
    folder += "\\Microsoft Help\\";
    return true;
}

bool GetCommonHelpFolder(std::string& folder)
{
    return GetCommonHelpFolder(HKEY_LOCAL_MACHINE, folder);
}
