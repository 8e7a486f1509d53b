#pragma once
// System functions that older Windows versions lack, looked up by name when they are used, so
// that the program still starts where they are missing. They are called through these look-ups
// only, never imported: an import of the same function would make the program need it to start.
//
// Also the loader of every other system DLL that setup.exe calls: its import table names only
// KERNEL32 and msvcrt, which Windows always takes from the system folder, and the rest is loaded
// here once the DLL search is limited to that folder (see LoadSystemImports).

#include <windows.h>

#include <cstddef>

typedef BOOL(WINAPI* MoveFileExFunction)(LPCSTR existing, LPCSTR replacement, DWORD flags);
typedef BOOL(WINAPI* MoveFileExWideFunction)(LPCWSTR existing, LPCWSTR replacement, DWORD flags);
typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE process, PBOOL wow64);

// Each is null where the system has no such function.
MoveFileExFunction LookUpMoveFileEx();
MoveFileExWideFunction LookUpMoveFileExW();
IsWow64ProcessFunction LookUpIsWow64Process();

// True for a 32-bit program on 64-bit Windows.
bool IsWow64();

// How the DLL search was limited to the system folder.
enum DllSearch {
    SEARCH_SYSTEM_FOLDER_ONLY,  // SetDefaultDllDirectories: every later load and its imports
    SEARCH_WITHOUT_CURRENT_FOLDER,  // older systems: each DLL by its full path in that folder
};

// Limits the DLL search of the process to the system folder. Called before any DLL other than
// those the loader brings for KERNEL32 and msvcrt is loaded.
DllSearch RestrictDllSearch();

// A system DLL ("user32.dll") from the system folder only, as search allows; null if missing.
// Common Controls come by name: the manifest's side-by-side assembly decides which.
HMODULE LoadSystemDll(const char* name, DllSearch search);

// A function setup.exe calls: the compiler calls a Windows function through its import slot
// (__imp_Name), which the program defines itself and fills here.
struct SystemImport {
    unsigned char dll;  // index into the DLL names handed with the table
    const char* name;
    void** slot;
};

// Restricts the search, loads the DLLs and fills every slot. False if a DLL or a function is
// missing; then *missing names it (no slot may be called then).
bool LoadSystemImports(const char* const* dlls, size_t dllCount, const SystemImport* imports,
                       size_t count, const char** missing);
