#include "win_test_support.h"

#include <shlwapi.h>

#include <stdexcept>

namespace {

std::string UniqueName(const char* prefix)
{
    static LONG counter = 0;
    return std::string(prefix) + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(InterlockedIncrement(&counter)) + "_" + std::to_string(GetTickCount());
}

HKEY CreateKeyOrThrow(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create key " + path);
    return key;
}

}  // namespace

ScratchKey::ScratchKey() : path_("Software\\QuillonTests\\" + UniqueName("k"))
{
    key_ = CreateKeyOrThrow(HKEY_CURRENT_USER, path_);
}

ScratchKey::~ScratchKey()
{
    RegCloseKey(key_);
    SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
}

void ScratchKey::CreateKey(const std::string& subkey) const
{
    RegCloseKey(CreateKeyOrThrow(key_, subkey));
}

void ScratchKey::SetValue(const std::string& subkey, const char* name, DWORD type,
                          const void* data, DWORD size) const
{
    HKEY key = CreateKeyOrThrow(key_, subkey);
    const LONG result =
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot set value " + subkey);
}

void ScratchKey::SetString(const std::string& subkey, const char* name,
                           const std::string& value) const
{
    SetValue(subkey, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

TempFolder::TempFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + UniqueName("qt");
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + path_);
}

TempFolder::~TempFolder() { DeleteTreeForTest(path_); }

SavedValue::SavedValue(HKEY root, const std::string& key, const char* name)
    : root_(root), key_(key), name_(name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (RegQueryValueExA(handle, name, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size + 1);
        existed_ = RegQueryValueExA(handle, name, nullptr, &type_, data_.data(), &size) ==
                   ERROR_SUCCESS;
        data_.resize(size);
    }
    RegCloseKey(handle);
}

SavedValue::~SavedValue()
{
    HKEY handle = nullptr;
    if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (existed_)
        RegSetValueExA(handle, name_.c_str(), 0, type_, data_.data(),
                       static_cast<DWORD>(data_.size()));
    else
        RegDeleteValueA(handle, name_.c_str());
    RegCloseKey(handle);
}

const char* const kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";

std::vector<std::string> PendingDeletes()
{
    std::vector<std::string> paths;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return paths;
    DWORD size = 0;
    std::string data;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        data.assign(size, '\0');
        RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&data[0]), &size);
    }
    RegCloseKey(key);
    std::vector<std::string> strings;
    for (size_t start = 0; start < data.size();) {
        size_t end = data.find('\0', start);
        if (end == std::string::npos)
            end = data.size();
        strings.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    // Pairs of source and target; the target of a deletion is empty.
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        const std::string& source = strings[i];
        const std::string path = source.compare(0, 4, "\\??\\") == 0 ? source.substr(4) : source;
        paths.push_back(strings[i + 1].empty() ? path : path + " -> " + strings[i + 1]);
    }
    return paths;
}
