#include "vc_directories.h"

#include "dir_list_text.h"
#include "win32/code_page.h"
#include "win32/file_system.h"
#include "win32/reg_key.h"
#include "win32/safe_rewrite.h"

namespace {

const char* const SHELL_FOLDERS_KEY =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t* const VC_COMPONENTS_FILE = L"\\Microsoft\\VisualStudio\\7.0\\VCComponents.dat";

}  // namespace

void ListVcComponentsFiles(std::vector<WidePath>& paths)
{
    paths.clear();
    const RegKey users(HKEY_USERS);
    std::vector<std::string> names;
    users.EnumSubKeys(names);
    for (const std::string& name : names) {
        RegKey folders;
        if (folders.Open(HKEY_USERS, (name + SHELL_FOLDERS_KEY).c_str(), KEY_READ) != ERROR_SUCCESS)
            continue;
        // Read as the system keeps it: a profile folder need not fit the code page.
        WidePath localAppData;
        if (folders.ReadWideString(L"Local AppData", localAppData) != ERROR_SUCCESS ||
            localAppData.empty())
            continue;
        paths.push_back(localAppData + VC_COMPONENTS_FILE);
    }
}

namespace {

// Runs edit on the text of every readable settings file; edit says whether to write it back.
template <typename Edit>
bool EditEachSettingsFile(Edit edit, FileEvents* events)
{
    bool allEdited = true;
    std::vector<WidePath> paths;
    ListVcComponentsFiles(paths);
    for (const WidePath& widePath : paths) {
        // The log and the closing message name the file as the code page can.
        const std::string path = Narrow(widePath);
        // What an interrupted rewrite left is finished first: the old file back at its name.
        if (!FinishInterruptedRewrite(widePath)) {
            AddEvent(events, "settings file not edited, its old content cannot be moved back", path,
                     GetLastError());
            allEdited = false;
            continue;
        }
        FileHandle file(OpenForRewrite(widePath));
        if (file.Get() == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
                AddEvent(events, "settings file skipped, there is none", path, 0);
                continue;
            }
            AddEvent(events, "settings file not edited, it cannot be opened", path, error);
            allEdited = false;
            continue;
        }
        std::string text;
        if (!ReadWholeFile(file.Get(), text)) {
            // An empty file holds no list to edit.
            if (text.empty() && GetFileSize(file.Get(), nullptr) == 0) {
                AddEvent(events, "settings file skipped, it is empty", path, 0);
                continue;
            }
            AddEvent(events, "settings file not edited, it cannot be read", path, GetLastError());
            allEdited = false;
            continue;
        }
        if (!edit(text)) {
            AddEvent(events, "settings file skipped, it has no such list", path, 0);
        } else if (ReplaceFileContent(widePath, file, text)) {
            AddEvent(events, "settings file edited", path, 0);
        } else {
            AddEvent(events, "settings file not edited, it cannot be rewritten", path, GetLastError());
            allEdited = false;
        }
    }
    return allEdited;
}

}  // namespace

bool AddVcDirectory(const std::string& listName, const std::string& folder, FileEvents* events)
{
    // Without the list, or without the line end after it, the file is not rewritten at all.
    return EditEachSettingsFile(
        [&](std::string& text) { return AddListEntry(text, listName, folder, IsAnsiLeadByte); }, events);
}

bool RemoveVcDirectory(const std::string& folder, FileEvents* events)
{
    // A readable file is written back even when nothing was removed.
    return EditEachSettingsFile(
        [&](std::string& text) {
            RemoveListEntries(text, folder, IsAnsiLeadByte);
            return true;
        },
        events);
}
