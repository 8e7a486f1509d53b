// The worker body of the test program shell_probe.exe, which links the real application
// object, progress dialog and resources. Its command line says what the worker does:
//
//   idle RESULT              post nothing (the test posts to the window itself)
//   hold CODE EVENT RESULT   post CODE, then keep working until the named event is set
//   folder PROPOSAL RESULT   show the install folder dialog; post 123 after OK, 125 otherwise
//   nothread                 CreateThread fails (its import is redirected); should a worker
//                            run all the same, it posts 123
//
// RESULT is a file the worker writes: "window" or "no window" (whether the progress window
// existed when the worker began), then per mode "released" or "<result>|<folder>".
#include "folder_dialog.h"
#include "run_setup.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string Arg(int index)
{
    return index < __argc ? __argv[index] : "";
}

void Append(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

HANDLE WINAPI RefuseThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                           LPDWORD)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// The slot of this program's import table through which the shell's Thread::Start reaches
// CreateThread, found by the address it holds: the same on every word size and decoration.
void** CreateThreadSlot()
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    void* const target =
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateThread"));
    const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; imports.VirtualAddress && descriptor->Name; ++descriptor) {
        auto* slot = reinterpret_cast<void**>(base + descriptor->FirstThunk);
        for (; *slot; ++slot) {
            if (*slot == target)
                return slot;
        }
    }
    return nullptr;
}

// Runs during static initialisation, before WinMain creates the progress dialog.
struct ThreadRefusal {
    ThreadRefusal()
    {
        if (Arg(1) != "nothread")
            return;
        void** slot = CreateThreadSlot();
        if (!slot)
            ExitProcess(3);  // the test then fails: no refusal could be arranged
        DWORD protection = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
        *slot = reinterpret_cast<void*>(RefuseThread);
        VirtualProtect(slot, sizeof *slot, protection, &protection);
    }
} threadRefusal;

}  // namespace

void RunSetup(HWND progressWindow)
{
    const std::string mode = Arg(1);
    const int resultArg = mode == "idle" ? 2 : mode == "hold" ? 4 : 3;
    const std::string result = mode == "nothread" ? "" : Arg(resultArg);
    if (!result.empty())
        Append(result, IsWindow(progressWindow) ? "window\n" : "no window\n");

    if (mode == "hold") {
        PostMessageA(progressWindow, WM_COMMAND, std::atoi(Arg(2).c_str()), 0);
        HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, Arg(3).c_str());
        if (event) {
            WaitForSingleObject(event, 60000);
            CloseHandle(event);
        }
        Append(result, "released\n");
    } else if (mode == "folder") {
        FolderDialog dialog(Arg(2));
        const INT_PTR answer = dialog.ShowModal(progressWindow, 0, GetModuleHandleA(nullptr));
        Append(result, std::to_string(answer) + "|" + dialog.folder + "\n");
        PostMessageA(progressWindow, WM_COMMAND, answer == IDOK ? 123 : 125, 0);
    } else if (mode == "nothread") {
        // A worker that should not exist ends the run with the wrong text, at once.
        PostMessageA(progressWindow, WM_COMMAND, 123, 0);
    }
}
