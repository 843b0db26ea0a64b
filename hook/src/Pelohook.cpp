// The keyboard hook library. While the hook is installed the system maps this library into
// every process that reads keyboard input, so it stays tiny and harmless: no C or C++
// runtime, no start-up work, and nothing in the hook path but a handful of user32 calls.
#include "hook/Pelohook.h"

#include "hook/KeyHookLogic.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

// One copy for all processes that map the library. Explicitly initialised, so that the
// section holds them from the start; the program writes them, hook procedures read them.
#define PELO_SHARED __attribute__((section("mydata"), shared))
HHOOK g_hHook PELO_SHARED = nullptr;
KeyTCharPair g_KeyTable[KEY_COUNT] PELO_SHARED = {};
int g_bAxBnShiftDown PELO_SHARED = 0;
HWND g_hWndMain PELO_SHARED = nullptr;
HWND g_hWndLastFocus PELO_SHARED = nullptr;

namespace {

// The hook this process installed (per process, not shared). A process removes only its own hook:
// another copy of the program may have installed one after it and overwritten the shared handle,
// and a handle left behind by a process that ended without removing its hook names no hook any
// more, so the shared handle never decides what this process installs or removes.
HHOOK s_hOwnHook = nullptr;

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (!pelo::hook::TakesOverKey(code, wParam, static_cast<ULONG_PTR>(lParam))) {
        return ::CallNextHookEx(g_hHook, code, wParam, lParam);
    }
    // The soft Shift flag first: when it is set the key state cannot change the outcome.
    const int shift = g_bAxBnShiftDown != 0 || ::GetKeyState(VK_SHIFT) < 0;
    Dll_SendTCharToFocus(
        Dll_ConvertKeyCharToTChar(static_cast<unsigned int>(wParam), shift), static_cast<long>(lParam));
    return 1;
}

} // namespace

CKeyboardHook::CKeyboardHook() = default;

CKeyboardHook::~CKeyboardHook()
{
    StopHook();
}

int CKeyboardHook::StartHook()
{
    if (s_hOwnHook == nullptr) {
        s_hOwnHook = ::SetWindowsHookExW(
            WH_KEYBOARD, KeyboardHookProc, reinterpret_cast<HINSTANCE>(&__ImageBase), 0);
    }
    g_hHook = s_hOwnHook;
    return s_hOwnHook != nullptr ? 1 : 0;
}

int CKeyboardHook::StopHook()
{
    const HHOOK hook = s_hOwnHook;
    if (hook == nullptr) {
        return 0;
    }
    const BOOL removed = ::UnhookWindowsHookEx(hook);
    if (removed) {
        s_hOwnHook = nullptr;
        if (g_hHook == hook) {
            g_hHook = nullptr;
        }
    }
    return removed;
}

void Dll_SetFangAnInHook(CKeyMapFangAn* pFangAn)
{
    if (pFangAn != nullptr) {
        pFangAn->GetKeyTable(g_KeyTable);
    }
}

void Dll_Setg_hWndMainInDll(HWND hWnd)
{
    g_hWndMain = hWnd;
}

void Dll_Setg_bAxBnShiftDownInHook(int bShiftDown)
{
    g_bAxBnShiftDown = bShiftDown;
}

wchar_t Dll_ConvertKeyCharToTChar(unsigned int key, int bShift)
{
    return static_cast<wchar_t>(pelo::hook::ConvertKey(g_KeyTable, key, bShift != 0));
}

void Dll_SendTCharToFocus(wchar_t tchar, long)
{
    // One query gives both the active and the focus window of the calling thread.
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    HWND active = nullptr;
    HWND focus = nullptr;
    if (::GetGUIThreadInfo(::GetCurrentThreadId(), &info)) {
        active = info.hwndActive;
        focus = info.hwndFocus;
    }
    // In the keyboard window's own thread the character goes to the focus remembered from the
    // application the user typed in last; anywhere else to the thread's own focus window,
    // which is remembered. A thread with no active window never counts as the keyboard window.
    HWND target;
    if (active != nullptr && active == g_hWndMain) {
        target = g_hWndLastFocus;
    } else {
        target = focus;
        g_hWndLastFocus = focus;
    }
    // Focusing the window that already has the focus changes nothing; skip that call.
    if (target != focus) {
        ::SetFocus(target);
    }
    if (target != nullptr) {
        ::PostMessageW(target, WM_CHAR, static_cast<WPARAM>(tchar), 0);
    }
}
