#include "system_functions.h"

namespace {

// By way of the parameterless function type, the compiler's agreed generic one.
template <typename Function>
Function FunctionOf(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

template <typename Function>
Function Kernel32Function(const char* name)
{
    return FunctionOf<Function>(GetModuleHandleA("KERNEL32.DLL"), name);
}

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD flags);
typedef BOOL(WINAPI* SetDllDirectoryFunction)(LPCSTR folder);

const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// The system DLLs load others later, by name, through delay-load stubs or calls of their own
// (the theme code brings msimg32 when it first draws). Older systems search the program's folder
// for those first, and Wine does even after the search was limited; but a DLL already loaded is
// found by its name before any folder is searched. So these come from the system folder now,
// where the system has them.
const char* const kBroughtLater[] = {"uxtheme.dll", "msimg32.dll", "dwmapi.dll", "version.dll",
                                     "userenv.dll", "profapi.dll", "cryptbase.dll", "propsys.dll",
                                     "oleacc.dll", "sspicli.dll", "winmm.dll", "shcore.dll"};

}  // namespace

MoveFileExFunction LookUpMoveFileEx()
{
    return Kernel32Function<MoveFileExFunction>("MoveFileExA");
}

MoveFileExWideFunction LookUpMoveFileExW()
{
    return Kernel32Function<MoveFileExWideFunction>("MoveFileExW");
}

IsWow64ProcessFunction LookUpIsWow64Process()
{
    return Kernel32Function<IsWow64ProcessFunction>("IsWow64Process");
}

bool IsWow64()
{
    const IsWow64ProcessFunction isWow64 = LookUpIsWow64Process();
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

DllSearch RestrictDllSearch()
{
    // Windows 7 with its loader update and every later Windows.
    const auto setDefault = Kernel32Function<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
    if (setDefault && setDefault(kSearchSystem32))
        return SEARCH_SYSTEM_FOLDER_ONLY;
    // Earlier ones search the program's folder first whatever is done, so each DLL is named by
    // its full path; this at least keeps the current folder out of the imports those DLLs bring.
    const auto setDirectory = Kernel32Function<SetDllDirectoryFunction>("SetDllDirectoryA");
    if (setDirectory)
        setDirectory("");
    return SEARCH_WITHOUT_CURRENT_FOLDER;
}

HMODULE LoadSystemDll(const char* name, DllSearch search)
{
    if (search == SEARCH_SYSTEM_FOLDER_ONLY)
        return LoadLibraryExA(name, nullptr, kSearchSystem32);
    if (lstrcmpiA(name, "comctl32.dll") == 0)
        return LoadLibraryA(name);
    char path[MAX_PATH + 32];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    lstrcpyA(path + length, "\\");
    lstrcpynA(path + length + 1, name, 30);
    // The DLL's own folder, not the program's, is searched for the DLLs it imports.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool LoadSystemImports(const char* const* dlls, size_t dllCount, const SystemImport* imports,
                       size_t count, const char** missing)
{
    const DllSearch search = RestrictDllSearch();
    for (const char* dll : kBroughtLater)
        LoadSystemDll(dll, search);
    HMODULE modules[16] = {};
    for (size_t i = 0; i < dllCount && i < 16; ++i) {
        modules[i] = LoadSystemDll(dlls[i], search);
        if (!modules[i]) {
            *missing = dlls[i];
            return false;
        }
    }
    for (size_t i = 0; i < count; ++i) {
        const SystemImport& import = imports[i];
        *import.slot = import.dll < dllCount && import.dll < 16
                           ? reinterpret_cast<void*>(GetProcAddress(modules[import.dll], import.name))
                           : nullptr;
        if (!*import.slot) {
            *missing = import.name;
            return false;
        }
    }
    return true;
}
