#include "system_functions.h"

namespace {

template <typename Function>
Function Kernel32Function(const char* name)
{
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (!kernel)
        return nullptr;
    // By way of the parameterless function type, the compiler's agreed generic one.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}

}  // namespace

MoveFileExFunction LookUpMoveFileEx()
{
    return Kernel32Function<MoveFileExFunction>("MoveFileExA");
}

ReplaceFileFunction LookUpReplaceFile()
{
    return Kernel32Function<ReplaceFileFunction>("ReplaceFileA");
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
