#pragma once
// User profiles under HKEY_USERS for the directory list tests: keys of the test's own, each
// with a "Local AppData" folder in the test's temporary folder, removed again at the end. The
// machine's own profiles (a fresh Wine prefix points two of them at the same folder) are turned
// to empty folders of the test meanwhile, so that no real settings file is touched.

#include "support/win_test_support.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

extern const char* const kShellFolders;   // "\Software\...\Explorer\Shell Folders"
extern const char* const kSettingsFile;   // "\Microsoft\VisualStudio\7.0\VCComponents.dat"

class Profiles {
public:
    Profiles();
    ~Profiles();
    Profiles(const Profiles&) = delete;
    Profiles& operator=(const Profiles&) = delete;

    // The key name of a user of this test: a common prefix, then suffix.
    std::string KeyName(const std::string& suffix) const { return prefix_ + suffix; }
    const std::string& Prefix() const { return prefix_; }
    const std::string& Root() const { return temp_.Path(); }

    // A user whose "Local AppData" is Root()\suffix, with the settings folder made. Returns the
    // settings file's path; the file is written when content is given.
    std::string AddUser(const std::string& suffix);
    std::string AddUser(const std::string& suffix, const std::string& content);
    // A user whose "Local AppData" is the folder given, which is left as it is.
    void AddUserAt(const std::string& suffix, const std::string& localAppData);
    // A user key with only "Software" under it.
    void AddUserWithoutShellFolders(const std::string& suffix);
    // A user with a Shell Folders key holding the value given (name, type, bytes).
    void AddUserWithValue(const std::string& suffix, const char* name, DWORD type,
                          const std::string& data);

    // The machine's own user keys and the settings paths they name for now.
    const std::vector<std::pair<std::string, std::string>>& Existing() const { return existing_; }

private:
    void CreateUserKey(const std::string& suffix, const std::string& subkey);

    TempFolder temp_;
    std::string prefix_;
    std::vector<std::string> created_;
    std::vector<std::unique_ptr<SavedValue>> saved_;
    std::vector<std::pair<std::string, std::string>> existing_;
};

// The tree under a user's "Local AppData" folder: the settings folders and, when given, the file.
Tree SettingsTree();
Tree SettingsTree(const std::string& content);

FILETIME WriteTime(const std::string& path);
void SetWriteTime(const std::string& path, const FILETIME& time);
bool SameTime(const FILETIME& a, const FILETIME& b);
// 2003-04-05 06:07:08 UTC, a time no rewrite leaves behind.
extern const FILETIME kOldTime;
