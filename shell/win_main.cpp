#include <windows.h>

#include "run_setup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RunSetup(nullptr);
    return 0;
}
