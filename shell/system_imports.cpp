// setup.exe only: the program's entry point, and the import slots of every system DLL but
// KERNEL32 and msvcrt.
//
// setup.exe runs as administrator from whatever folder it was unpacked or copied to. Windows looks
// for most DLLs in the program's own folder first, so a DLL that anybody dropped beside setup.exe
// (version.dll, uxtheme.dll, ...) would run with those rights before WinMain if the import table
// named a DLL that brings it. The table names only KERNEL32 and msvcrt, which always come from the
// system folder; the entry point limits the DLL search to that folder, then loads the rest.
//
// The Windows headers declare each function dllimport, so every call goes through the slot
// __imp_Name (on 32-bit __imp__Name@bytes-of-arguments); the slots are defined here, so the
// linker takes these and the import libraries add nothing for them. A function missing from this
// list is taken from its import library and shows in the import table, which the build checks.
#include "win32/system_functions.h"

#include "commands.h"

#ifdef _WIN64
#define QUILLON_SLOT_NAME(name, bytes) "__imp_" #name
#else
#define QUILLON_SLOT_NAME(name, bytes) "__imp__" #name "@" #bytes
#endif

namespace {

enum SystemDll { ADVAPI32, COMCTL32, OLE32, SHELL32, USER32 };
const char* const kDlls[] = {"advapi32.dll", "comctl32.dll", "ole32.dll", "shell32.dll", "user32.dll"};

}  // namespace

// X(DLL, function, bytes of its arguments on 32-bit Windows)
#ifdef _WIN64
#define QUILLON_WINDOW_LONG(X) X(USER32, GetWindowLongPtrA, 0) X(USER32, SetWindowLongPtrA, 0)
#else
#define QUILLON_WINDOW_LONG(X) X(USER32, GetWindowLongA, 8) X(USER32, SetWindowLongA, 12)
#endif
#define QUILLON_SYSTEM_IMPORTS(X) \
    X(ADVAPI32, RegCloseKey, 4) \
    X(ADVAPI32, RegCreateKeyExA, 36) \
    X(ADVAPI32, RegDeleteKeyA, 8) \
    X(ADVAPI32, RegDeleteValueA, 8) \
    X(ADVAPI32, RegEnumKeyExA, 32) \
    X(ADVAPI32, RegFlushKey, 4) \
    X(ADVAPI32, RegOpenKeyExA, 20) \
    X(ADVAPI32, RegQueryInfoKeyA, 48) \
    X(ADVAPI32, RegQueryValueExA, 24) \
    X(ADVAPI32, RegQueryValueExW, 24) \
    X(ADVAPI32, RegSetValueExA, 24) \
    X(COMCTL32, InitCommonControlsEx, 4) \
    X(OLE32, CoInitialize, 4) \
    X(OLE32, CoTaskMemFree, 4) \
    X(OLE32, CoUninitialize, 0) \
    X(SHELL32, SHBrowseForFolderA, 4) \
    X(SHELL32, SHGetFolderPathA, 20) \
    X(SHELL32, SHGetPathFromIDListA, 8) \
    X(USER32, CharLowerBuffA, 8) \
    X(USER32, CreateDialogParamA, 20) \
    X(USER32, CreateWindowExA, 48) \
    X(USER32, DefWindowProcA, 16) \
    X(USER32, DestroyWindow, 4) \
    X(USER32, DialogBoxParamA, 20) \
    X(USER32, DispatchMessageA, 4) \
    X(USER32, EnableWindow, 8) \
    X(USER32, EndDialog, 8) \
    X(USER32, GetDlgItem, 8) \
    X(USER32, GetMessageA, 16) \
    X(USER32, GetWindowRect, 8) \
    X(USER32, GetWindowTextA, 12) \
    X(USER32, GetWindowTextLengthA, 4) \
    X(USER32, IsCharAlphaA, 4) \
    X(USER32, IsDialogMessageA, 8) \
    X(USER32, IsWindow, 4) \
    X(USER32, IsWindowEnabled, 4) \
    X(USER32, MapDialogRect, 8) \
    X(USER32, MessageBoxA, 16) \
    X(USER32, MsgWaitForMultipleObjects, 20) \
    X(USER32, PeekMessageA, 20) \
    X(USER32, PostMessageA, 16) \
    X(USER32, PostQuitMessage, 4) \
    X(USER32, SendMessageA, 16) \
    X(USER32, SetWindowPos, 28) \
    X(USER32, SetWindowTextA, 8) \
    X(USER32, ShowWindow, 8) \
    X(USER32, TranslateMessage, 4) \
    X(USER32, UpdateWindow, 4) \
    QUILLON_WINDOW_LONG(X)

#define QUILLON_DEFINE_SLOT(dll, name, bytes) \
    extern "C" void* quillon_slot_##name __asm__(QUILLON_SLOT_NAME(name, bytes)); \
    void* quillon_slot_##name = nullptr;
QUILLON_SYSTEM_IMPORTS(QUILLON_DEFINE_SLOT)

namespace {

#define QUILLON_TABLE_ROW(dll, name, bytes) {dll, #name, &quillon_slot_##name},
const SystemImport kImports[] = {QUILLON_SYSTEM_IMPORTS(QUILLON_TABLE_ROW)};

}  // namespace

// The C runtime's own start, which runs the constructors and then WinMain.
extern "C" int WinMainCRTStartup();

extern "C" int QuillonStart()
{
    const char* missing = nullptr;
    // Without these DLLs no window can tell anybody anything: the exit code is all there is.
    if (!LoadSystemImports(kDlls, sizeof kDlls / sizeof *kDlls, kImports,
                           sizeof kImports / sizeof *kImports, &missing))
        ExitProcess(EXIT_FAILED);
    return WinMainCRTStartup();
}
