#pragma once
// Which folders the setup program may treat as its own install folder, and so remove.
//
// Folders are compared by what the file system says they are (volume serial number and file
// index), never by their spelling: a namespace prefix, a short name, "/" separators, trailing
// dots, another drive letter or a link all reach the same folder and must meet the same answer.

#include <string>

// The folder as an absolute path with "." and ".." resolved, "/" turned into "\" and no
// trailing backslash; empty when the text is not an absolute drive or UNC path.
std::string NormalizeFolder(const std::string& folder);

// A folder's identity on its volume; valid only when the folder could be opened.
struct FolderIdentity {
    unsigned long volume = 0;
    unsigned long indexHigh = 0;
    unsigned long indexLow = 0;
    bool valid = false;
    bool operator==(const FolderIdentity& other) const
    {
        return valid && other.valid && volume == other.volume && indexHigh == other.indexHigh &&
               indexLow == other.indexLow;
    }
};

// The identity of an existing folder (not a file); invalid when it cannot be established.
FolderIdentity IdentifyFolder(const std::string& path);

// True when inner is outer or lies below it, by identity: outer is compared with inner and with
// each folder on inner's path up to its root.
bool IsSameOrBelow(const std::string& inner, const std::string& outer);

// False for an empty or relative path, a folder whose identity cannot be established (a missing
// folder among them), a drive or share root, and a folder that is, or lies above, one of the
// machine's well-known folders: the Windows and system folders, Program Files and Common Files
// (on 64-bit Windows the native ones too), the all-users data folder, the profiles folder, every
// user's profile folder with its Desktop and Documents, this user's application data; also a
// folder that holds one of them further down, however it is reached.
bool IsOwnableFolder(const std::string& folder);
