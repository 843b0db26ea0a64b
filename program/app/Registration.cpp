#include "Registration.h"

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace pelo::program {

namespace {
bool g_bRemovalStarted = false;
}

void StartRegistration(bool unregister, unsigned long waitMs)
{
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    if (length == 0) {
        return;
    }
    std::wstring directory(length, L'\0');
    directory.resize(::GetCurrentDirectoryW(length, directory.data()));
    std::wstring command = RegistrationCommand(directory, unregister);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process {};
    if (::CreateProcessW(
            nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        UniqueKernelHandle thread(process.hThread);
        UniqueKernelHandle owned(process.hProcess);
        if (waitMs != 0) {
            ::WaitForSingleObject(owned.get(), waitMs);
        }
    }
}

void RemoveRegistrationOnce(unsigned long waitMs)
{
    if (g_bRemovalStarted) {
        return;
    }
    g_bRemovalStarted = true;
    StartRegistration(true, waitMs);
}

} // namespace pelo::program
