#pragma once
// System functions that older Windows versions lack, looked up by name when they are used, so
// that the program still starts where they are missing. They are called through these look-ups
// only, never imported: an import of the same function would make the program need it to start.

#include <windows.h>

typedef BOOL(WINAPI* MoveFileExFunction)(LPCSTR existing, LPCSTR replacement, DWORD flags);
typedef BOOL(WINAPI* ReplaceFileFunction)(LPCSTR replaced, LPCSTR replacement, LPCSTR backup,
                                          DWORD flags, LPVOID exclude, LPVOID reserved);
typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE process, PBOOL wow64);

// Each is null where the system has no such function.
MoveFileExFunction LookUpMoveFileEx();
ReplaceFileFunction LookUpReplaceFile();
IsWow64ProcessFunction LookUpIsWow64Process();

// True for a 32-bit program on 64-bit Windows.
bool IsWow64();
