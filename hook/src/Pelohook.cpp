// The keyboard hook library. While the hook is installed the system maps this library into
// every process that reads keyboard input, so it stays tiny and harmless: no C or C++
// runtime, no start-up work, and nothing in the hook path but a handful of user32 calls.
#include "hook/Pelohook.h"

#include "hook/ExcludedPrograms.h"
#include "hook/FocusDelivery.h"
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
int g_bPassShortcuts PELO_SHARED = 0;
pelo::hook::ExcludedPrograms<wchar_t> g_ExcludedPrograms PELO_SHARED = {};

namespace {

// The hook this process installed (per process, not shared). A process removes only its own hook:
// another copy of the program may have installed one after it and overwritten the shared handle,
// and a handle left behind by a process that ended without removing its hook names no hook any
// more, so the shared handle never decides what this process installs or removes.
HHOOK s_hOwnHook = nullptr;

// Whether the excluded programs' list names this process (per process, not shared).
pelo::hook::ProcessExclusion s_exclusion;

struct OwnPath {
    int operator()(wchar_t* path, int capacity) const
    {
        const DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(capacity));
        return length < static_cast<DWORD>(capacity) ? static_cast<int>(length) : 0; // cut short: unknown
    }
};

// The calling thread's key state, as of the key message being processed.
struct ThreadKeyState {
    bool Down(unsigned vk) const { return ::GetKeyState(static_cast<int>(vk)) < 0; }
    bool ReadAll(unsigned char (&keys)[pelo::hook::kKeyStateSize]) const
    {
        return ::GetKeyboardState(keys) != 0;
    }
};

// The window queries of the delivery decision, on the real windows.
struct Win32Windows {
    static pelo::hook::GuiWindows<HWND> Of(DWORD thread)
    {
        GUITHREADINFO info;
        info.cbSize = sizeof info;
        if (!::GetGUIThreadInfo(thread, &info)) {
            return {};
        }
        return { info.hwndActive, info.hwndFocus };
    }
    pelo::hook::GuiWindows<HWND> Foreground() const { return Of(0); } // 0: the foreground thread
    pelo::hook::GuiWindows<HWND> Current() const { return Of(::GetCurrentThreadId()); }
    bool IsCurrentThreadWindow(HWND hwnd) const
    {
        return ::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId();
    }
    void Focus(HWND hwnd) const { ::SetFocus(hwnd); }
    void Post(HWND hwnd, char16_t ch) const { ::PostMessageW(hwnd, WM_CHAR, static_cast<WPARAM>(ch), 0); }
};

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    OwnPath ownPath;
    if (!pelo::hook::TakesOverKey(code, wParam, static_cast<ULONG_PTR>(lParam))
        || s_exclusion.Excluded(g_ExcludedPrograms, ownPath)) {
        return ::CallNextHookEx(g_hHook, code, wParam, lParam);
    }
    ThreadKeyState keys;
    const pelo::hook::KeyDownDecision decision
        = pelo::hook::DecideKeyDown(keys, g_bPassShortcuts != 0, g_bAxBnShiftDown != 0);
    if (!decision.convert) {
        return ::CallNextHookEx(g_hHook, code, wParam, lParam);
    }
    Win32Windows windows;
    pelo::hook::DeliverFromHook(windows, g_hWndMain, g_hWndLastFocus,
        static_cast<char16_t>(Dll_ConvertKeyCharToTChar(static_cast<unsigned int>(wParam), decision.shift)));
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

void Dll_SetbPassShortcutsInHook(int bPass)
{
    g_bPassShortcuts = bPass;
}

int Dll_SetExcludedProgramsInHook(const wchar_t* names, int count)
{
    return pelo::hook::WriteExcludedPrograms(g_ExcludedPrograms, names, count) ? 1 : 0;
}

wchar_t Dll_ConvertKeyCharToTChar(unsigned int key, int bShift)
{
    return static_cast<wchar_t>(pelo::hook::ConvertKey(g_KeyTable, key, bShift != 0));
}

void Dll_SendTCharToFocus(wchar_t tchar, long)
{
    Win32Windows windows;
    pelo::hook::DeliverFromProgram(windows, g_hWndMain, g_hWndLastFocus, static_cast<char16_t>(tchar));
}
