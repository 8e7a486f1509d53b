#include "application.h"

SetupApplication setupApplication;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (Application::instance)
        Application::instance->Run();
    return 0;
}
