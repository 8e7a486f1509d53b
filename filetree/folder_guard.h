#pragma once
// Which folders the setup program may treat as its own install folder, and so remove.

#include <string>

// The folder as an absolute path with "." and ".." resolved, "/" turned into "\" and no
// trailing backslash; empty when the text is not an absolute drive or UNC path.
std::string NormalizeFolder(const std::string& folder);

// False for an empty or relative path, a drive root, a UNC server or share root, and for the
// machine's well-known folders (and every folder above one of them): the Windows and system
// folders, Program Files and Common Files, the all-users data folder, the profiles folder,
// every user's profile folder and its Desktop and Documents. Letter case does not matter.
bool IsOwnableFolder(const std::string& folder);
