#include "win_test_support.h"

#include <shlwapi.h>

#include <cstring>
#include <stdexcept>

namespace {

std::string UniqueName(const char* prefix)
{
    static LONG counter = 0;
    return std::string(prefix) + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(InterlockedIncrement(&counter)) + "_" + std::to_string(GetTickCount());
}

}  // namespace

bool ReadRegistryValue(HKEY root, const std::string& key, const char* name, std::string& data,
                       DWORD* type)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG result = RegQueryValueExA(handle, name, nullptr, type, nullptr, &size);
    data.assign(size + 1, '\0');
    if (result == ERROR_SUCCESS)
        result = RegQueryValueExA(handle, name, nullptr, type, reinterpret_cast<BYTE*>(&data[0]),
                                  &size);
    data.resize(size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

LONG SetRegistryValue(HKEY root, const std::string& key, const char* name, DWORD type,
                      const std::string& data)
{
    HKEY handle = nullptr;
    LONG result = RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &handle, nullptr);
    if (result == ERROR_SUCCESS)
        result = RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()));
    RegCloseKey(handle);
    return result;
}

ScratchKey::ScratchKey() : path_("Software\\QuillonTests\\" + UniqueName("k"))
{
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create key " + path_);
}

ScratchKey::~ScratchKey()
{
    RegCloseKey(key_);
    SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
}

void ScratchKey::SetString(const std::string& subkey, const char* name,
                           const std::string& value) const
{
    if (SetRegistryValue(key_, subkey, name, REG_SZ, value + '\0') != ERROR_SUCCESS)
        throw std::runtime_error("cannot set a value of " + subkey);
}

TempFolder::TempFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + UniqueName("qt");
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + path_);
}

SavedValue::SavedValue(HKEY root, const std::string& key, const char* name)
    : root_(root), key_(key), name_(name)
{
    existed_ = ReadRegistryValue(root, key, name, data_, &type_);
}

SavedValue::~SavedValue()
{
    if (existed_)
        SetRegistryValue(root_, key_, name_.c_str(), type_, data_);
    else
        SHDeleteValueA(root_, key_.c_str(), name_.c_str());
}

const char* const kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";

std::vector<std::string> PendingDeletes()
{
    std::string data;
    ReadRegistryValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations", data);
    std::vector<std::string> strings, paths;
    for (const char* s = data.c_str(); s < data.c_str() + data.size(); s += strlen(s) + 1)
        strings.push_back(s);
    // Pairs of source and target; the target of a deletion is empty.
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        const std::string& source = strings[i];
        const std::string path = source.compare(0, 4, "\\??\\") == 0 ? source.substr(4) : source;
        paths.push_back(strings[i + 1].empty() ? path : path + " -> " + strings[i + 1]);
    }
    return paths;
}
