#include "vc_profiles.h"

#include <shlwapi.h>

#include <stdexcept>

const char* const kShellFolders =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kSettingsFile = "\\Microsoft\\VisualStudio\\7.0\\VCComponents.dat";
const FILETIME kOldTime = {0x96b5ce00, 0x01c2fb39};

namespace {

void SetValueOrThrow(const std::string& key, const char* name, DWORD type, const std::string& data)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_USERS, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create HKEY_USERS\\" + key);
    const LONG result = RegSetValueExA(handle, name, 0, type,
                                       reinterpret_cast<const BYTE*>(data.data()),
                                       static_cast<DWORD>(data.size()));
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot set " + key);
}

std::string TextValue(const std::string& text) { return text + std::string(1, '\0'); }

}  // namespace

Profiles::Profiles() : prefix_("QuillonVcTest" + std::to_string(GetCurrentProcessId()) + "-")
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(HKEY_USERS, index, name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    for (const std::string& user : names) {
        const std::string key = user + kShellFolders;
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_USERS, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            continue;
        const bool hasValue = RegQueryValueExA(handle, "Local AppData", nullptr, nullptr, nullptr,
                                               nullptr) == ERROR_SUCCESS;
        RegCloseKey(handle);
        if (!hasValue)
            continue;
        saved_.emplace_back(new SavedValue(HKEY_USERS, key, "Local AppData"));
        const std::string folder = temp_ / ("existing" + std::to_string(existing_.size()));
        SetValueOrThrow(key, "Local AppData", REG_SZ, TextValue(folder));
        existing_.emplace_back(user, folder + kSettingsFile);
    }
}

Profiles::~Profiles()
{
    for (const std::string& key : created_)
        SHDeleteKeyA(HKEY_USERS, key.c_str());
    saved_.clear();
}

void Profiles::CreateUserKey(const std::string& suffix, const std::string& subkey)
{
    created_.push_back(KeyName(suffix));
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_USERS, (KeyName(suffix) + subkey).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create user key " + KeyName(suffix));
    RegCloseKey(handle);
}

void Profiles::AddUserAt(const std::string& suffix, const std::string& localAppData)
{
    CreateUserKey(suffix, kShellFolders);
    SetValueOrThrow(KeyName(suffix) + kShellFolders, "Local AppData", REG_SZ,
                    TextValue(localAppData));
}

std::string Profiles::AddUser(const std::string& suffix)
{
    const std::string localAppData = temp_ / suffix;
    AddUserAt(suffix, localAppData);
    MakeTree(localAppData.substr(0, localAppData.rfind('\\')),
             {{suffix + "\\", ""}, {suffix + "\\Microsoft\\", ""},
              {suffix + "\\Microsoft\\VisualStudio\\", ""},
              {suffix + "\\Microsoft\\VisualStudio\\7.0\\", ""}});
    return localAppData + kSettingsFile;
}

std::string Profiles::AddUser(const std::string& suffix, const std::string& content)
{
    const std::string path = AddUser(suffix);
    WriteFileBytes(path, content);
    return path;
}

void Profiles::AddUserWithoutShellFolders(const std::string& suffix)
{
    CreateUserKey(suffix, "\\Software");
}

void Profiles::AddUserWithValue(const std::string& suffix, const char* name, DWORD type,
                                const std::string& data)
{
    CreateUserKey(suffix, kShellFolders);
    SetValueOrThrow(KeyName(suffix) + kShellFolders, name, type, data);
}

Tree SettingsTree()
{
    return {{"Microsoft\\", ""}, {"Microsoft\\VisualStudio\\", ""},
            {"Microsoft\\VisualStudio\\7.0\\", ""}};
}

Tree SettingsTree(const std::string& content)
{
    Tree tree = SettingsTree();
    tree["Microsoft\\VisualStudio\\7.0\\VCComponents.dat"] = content;
    return tree;
}

FILETIME WriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        throw std::runtime_error("no attributes for " + path);
    return data.ftLastWriteTime;
}

void SetWriteTime(const std::string& path, const FILETIME& time)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path);
    const BOOL set = SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    if (!set)
        throw std::runtime_error("cannot set the time of " + path);
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }
