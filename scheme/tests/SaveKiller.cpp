#include "SaveKiller.h"

#include <windows.h>

#include <atomic>

#include "SaveLoopSchemes.h"
#include "WinTestSupport.h"
#include "framework/UniqueHandle.h"

namespace schemetest {

namespace {

void Wait(unsigned microseconds)
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    const LONGLONG ticks = static_cast<LONGLONG>(microseconds) * frequency.QuadPart / 1000000;
    for (;;) {
        ::QueryPerformanceCounter(&now);
        const LONGLONG left = ticks - (now.QuadPart - start.QuadPart);
        if (left <= 0) {
            return;
        }
        // Sleep only while more than two milliseconds are left; the rest is yielded away.
        if (left > 2 * frequency.QuadPart / 1000) {
            ::Sleep(1);
        } else {
            ::SwitchToThread();
        }
    }
}

} // namespace

Bytes SaveLoopFile(int scheme)
{
    KeyTCharPair table[KEY_COUNT];
    for (int i = 0; i < KEY_COUNT; ++i) {
        table[i] = SaveLoopEntry(kSaveLoopSchemes[scheme], i);
    }
    return Encoded(kSaveLoopSchemes[scheme].name, table);
}

KilledSave KillSaveLoop(const std::wstring& helperPath, unsigned delayMicroseconds)
{
    static std::atomic<unsigned> s_serial { 0 };
    KilledSave result;
    const std::wstring eventName = L"pelo-scheme-saved-" + std::to_wstring(::GetCurrentProcessId()) + L"-"
        + std::to_wstring(++s_serial);
    const pelo::UniqueKernelHandle saved(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    wchar_t folder[MAX_PATH];
    if (!saved.valid() || ::GetCurrentDirectoryW(MAX_PATH, folder) == 0) {
        result.failure = "no event or no current directory";
        return result;
    }
    std::wstring commandLine = L"\"" + helperPath + L"\" \"" + folder + L"\" " + eventName;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(helperPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
            &startup, &info)) {
        result.failure = "CreateProcess failed with " + std::to_string(::GetLastError());
        return result;
    }
    const pelo::UniqueKernelHandle process(info.hProcess);
    const pelo::UniqueKernelHandle thread(info.hThread);

    const HANDLE waits[] = { saved.get(), process.get() };
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, 60000);
    if (woke != WAIT_OBJECT_0) {
        DWORD code = 0;
        ::GetExitCodeProcess(process.get(), &code);
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 30000);
        result.failure = "the saver did not get going: wait " + std::to_string(woke) + ", exit code "
            + std::to_string(code);
        return result;
    }
    Wait(delayMicroseconds);
    if (!::TerminateProcess(process.get(), 1)
        || ::WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        result.failure = "the saver could not be ended";
        return result;
    }

    const Bytes now = ReadAll(L"fangan\\1.kmf");
    result.fileBytes = now.size();
    result.outcome = now == SaveLoopFile(0) ? KillOutcome::FirstScheme
        : now == SaveLoopFile(1)            ? KillOutcome::SecondScheme
                                            : KillOutcome::Neither;
    return result;
}

std::wstring SaveLoopHelperBesideThisProgram()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self(path, length);
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"scheme_save_loop.exe";
}

} // namespace schemetest
