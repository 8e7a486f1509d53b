#pragma once
// Questions to the file system and the whole-file read.

#include "code_page.h"

#include <windows.h>

#include <string>

// True when a search finds the path (a folder path without trailing backslash finds the folder
// itself), so that it serves for files and folders alike.
bool PathExists(const std::string& path);

// True when the path has attributes: a file or a folder is there.
bool Exists(const std::string& path);
bool Exists(const WidePath& path);
bool IsFolder(const std::string& path);
// A junction or symbolic link (to a folder, it is still a folder to a listing).
bool IsLink(const std::string& path);

// True when the whole file, from the handle's position, came into text (resized to the file's
// size first). An empty file, a short read and a file of 4 GB or more give false.
bool ReadWholeFile(HANDLE file, std::string& text);
