#include "Registration.h"

#include <windows.h>

#include "framework/UniqueHandle.h"
#include "framework/window/Application.h"

namespace pelo::program {

namespace {

bool g_bRegistered = false;
bool g_bRemovalStarted = false;
UINT_PTR g_registerTimer = 0;

// What regsvr32 /s does, without a second process: a standard user's registration simply fails.
void CallSelfRegistration(const char* entry)
{
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    if (length == 0) {
        return;
    }
    std::wstring directory(length, L'\0');
    directory.resize(::GetCurrentDirectoryW(length, directory.data()));
    const UniqueHmodule library(
        ::LoadLibraryExW(KeyLibraryPath(directory).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library) {
        return;
    }
    using EntryFn = HRESULT(STDAPICALLTYPE*)();
    if (const auto call
        = reinterpret_cast<EntryFn>(reinterpret_cast<void*>(::GetProcAddress(library.get(), entry)))) {
        (void)call();
    }
}

// A thread timer: its message comes after the window's paint, whichever modal loop runs.
void CALLBACK RegisterIfShown(HWND, UINT, UINT_PTR, DWORD)
{
    const window::Application* app = window::Application::Current();
    if (!g_bRemovalStarted && (app == nullptr || !::IsWindowVisible(app->MainWindow()))) {
        return; // still starting: the welcome dialog or a message comes first
    }
    ::KillTimer(nullptr, g_registerTimer);
    g_registerTimer = 0;
    if (!g_bRemovalStarted) {
        g_bRegistered = true;
        CallSelfRegistration("DllRegisterServer");
    }
}

} // namespace

void RegisterOnceShown()
{
    if (g_registerTimer == 0 && !g_bRegistered) {
        g_registerTimer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &RegisterIfShown);
    }
}

void RemoveRegistrationOnce()
{
    if (g_bRemovalStarted) {
        return;
    }
    g_bRemovalStarted = true;
    if (g_registerTimer != 0) {
        ::KillTimer(nullptr, g_registerTimer);
        g_registerTimer = 0;
    }
    // Also when the start never got as far as the registration: a copy that ended without
    // removing its own may have left one for this folder.
    CallSelfRegistration("DllUnregisterServer");
}

} // namespace pelo::program
