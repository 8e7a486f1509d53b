#include "reg_key.h"

LONG RegKey::Open(HKEY root, const char* path, REGSAM access)
{
    return RegOpenKeyExA(root, path, 0, access, Slot());
}

LONG RegKey::ReadValue(const char* valueName, std::string& data, DWORD* type) const
{
    data.clear();
    DWORD size = 0;
    LONG result = RegQueryValueExA(key_.Get(), valueName, nullptr, nullptr, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return result;
    data.assign(size, '\0');
    // A zero-byte value still needs a valid buffer address.
    BYTE empty = 0;
    BYTE* buffer = size ? reinterpret_cast<BYTE*>(&data[0]) : &empty;
    result = RegQueryValueExA(key_.Get(), valueName, nullptr, type, buffer, &size);
    if (result != ERROR_SUCCESS)
        data.clear();
    return result;
}

LONG RegKey::ReadString(const char* valueName, std::string& text) const
{
    const LONG result = ReadValue(valueName, text);
    if (result == ERROR_SUCCESS && !text.empty())
        text.pop_back();
    return result;
}

LONG RegKey::ReadWideString(const wchar_t* valueName, std::wstring& text) const
{
    // A folder's name: MAX_PATH characters and the NUL fit with room to spare.
    wchar_t data[MAX_PATH * 2 + 1];
    DWORD size = sizeof data - sizeof(wchar_t);
    const LONG result = RegQueryValueExW(key_.Get(), valueName, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data), &size);
    size_t length = result == ERROR_SUCCESS ? size / sizeof(wchar_t) : 0;
    data[length] = L'\0';
    text = data;
    return result;
}

LONG RegKey::EnumSubKey(DWORD index, std::string& name) const
{
    name.assign(256, '\0');
    DWORD count = 256;
    const LONG result =
        RegEnumKeyExA(key_.Get(), index, &name[0], &count, nullptr, nullptr, nullptr, nullptr);
    name.resize(count);
    return result;
}

LONG RegKey::EnumSubKeys(std::vector<std::string>& names) const
{
    names.clear();
    DWORD count = 0;
    LONG result = RegQueryInfoKeyA(key_.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr,
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
