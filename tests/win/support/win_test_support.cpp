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

void DeleteTreeForTest(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &data);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = data.cFileName;
                if (name != "." && name != "..")
                    names.push_back(name);
            } while (FindNextFileA(search, &data));
            FindClose(search);
        }
        for (const std::string& name : names)
            DeleteTreeForTest(path + "\\" + name);
    }
    RemoveDirectoryA(path.c_str());
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (written != bytes.size())
        throw std::runtime_error("short write " + path);
}

std::string ReadFileBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot read " + path);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeTree(const std::string& root, const Tree& tree)
{
    for (const auto& entry : tree) {
        const std::string path = root + "\\" + entry.first;
        if (!entry.first.empty() && entry.first.back() == '\\') {
            CreateDirectoryA(path.substr(0, path.size() - 1).c_str(), nullptr);
        } else {
            WriteFileBytes(path, entry.second);
        }
    }
}

namespace {

void SnapshotLevel(const std::string& root, const std::string& relative, Tree& tree)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((root + "\\" + relative + "*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::string> folders;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[relative + name + "\\"] = "";
            folders.push_back(relative + name + "\\");
        } else {
            tree[relative + name] = ReadFileBytes(root + "\\" + relative + name);
        }
    } while (FindNextFileA(search, &data));
    FindClose(search);
    for (const std::string& folder : folders)
        SnapshotLevel(root, folder, tree);
}

}  // namespace

Tree SnapshotTree(const std::string& root)
{
    Tree tree;
    SnapshotLevel(root, "", tree);
    return tree;
}

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
