// The program's entry point: the program-wide objects exist before it runs.
#include <windows.h>

#include "app/PeloApp.h"

namespace {
CPeloApp theApp;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return theApp.Run(instance);
}
