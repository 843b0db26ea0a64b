// The least a keyboard hook library can do for the same effect, as the benchmark's yardstick:
// swallow each key-down of 0-9 and A-Z and post one fixed character to the focus window.
#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HHOOK s_hook = nullptr;

LRESULT CALLBACK MinimalHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const bool mapped = (wParam >= 0x30 && wParam <= 0x39) || (wParam >= 0x41 && wParam <= 0x5A);
    if (code != HC_ACTION || (lParam & 0x80000000) != 0 || !mapped) {
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    ::PostMessageW(::GetFocus(), WM_CHAR, L'x', 0);
    return 1;
}

} // namespace

extern "C" __declspec(dllexport) int MinimalHookStart()
{
    s_hook = ::SetWindowsHookExW(WH_KEYBOARD, MinimalHookProc, reinterpret_cast<HINSTANCE>(&__ImageBase), 0);
    return s_hook != nullptr ? 1 : 0;
}

extern "C" __declspec(dllexport) int MinimalHookStop()
{
    const BOOL removed = s_hook != nullptr && ::UnhookWindowsHookEx(s_hook);
    s_hook = nullptr;
    return removed ? 1 : 0;
}
