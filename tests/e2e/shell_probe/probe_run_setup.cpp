// The worker body of the test program shell_probe.exe, which links the real application
// object, progress dialog and resources. Its command line says what the worker does:
//
//   hold EVENT RESULT   post the code of a finished install, then keep working until the named
//                       event is set; RESULT is a file the worker writes: "window" or "no
//                       window" (whether the progress window existed when it began), then
//                       "released"
//   nothread            CreateThread fails (its import is redirected); should a worker run all
//                       the same, it posts the code of a finished install at once
#include "interactive_ui.h"

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

void RunInteractive(HWND progressWindow, CancelSwitch& cancel, const SetupOptions&, LogFile&)
{
    const WPARAM installed = 123;
    cancel.Finish();
    if (Arg(1) != "hold") {
        PostMessageA(progressWindow, WM_COMMAND, installed, 0);
        return;
    }
    Append(Arg(3), IsWindow(progressWindow) ? "window\n" : "no window\n");
    PostMessageA(progressWindow, WM_COMMAND, installed, 0);
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, Arg(2).c_str());
    if (event) {
        WaitForSingleObject(event, 60000);
        CloseHandle(event);
    }
    Append(Arg(3), "released\n");
}
