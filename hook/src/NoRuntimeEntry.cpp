// The entry point of a library built without any runtime: there is nothing to set up, and
// thread attach and detach calls are turned off, since no thread needs anything from it.
#include <windows.h>

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
