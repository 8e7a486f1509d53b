// A DLL planted under the name of a system DLL: loaded into a process, it leaves a mark, a line
// with its own path and the process's command line in C:\quillon-marks\<its name>.txt. It exports
// nothing, so a program that imports from the real DLL stops at start after the mark is made.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(instance, path, MAX_PATH);
    const char* name = path;
    for (const char* at = path; *at; ++at)
        if (*at == '\\')
            name = at + 1;
    char mark[MAX_PATH + 32] = "C:\\quillon-marks\\";
    CreateDirectoryA(mark, nullptr);
    lstrcatA(mark, name);
    lstrcatA(mark, ".txt");
    HANDLE file = CreateFileA(mark, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        const char* command = GetCommandLineA();
        WriteFile(file, path, lstrlenA(path), &written, nullptr);
        WriteFile(file, " in ", 4, &written, nullptr);
        WriteFile(file, command, lstrlenA(command), &written, nullptr);
        WriteFile(file, "\r\n", 2, &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
