// Target process of the hook tests: a window with a focused edit control that records every key
// and character message it receives into the log shared with the test.
// Usage: PelohookTarget.exe <object name base>
#include "CrossProcess.h"
#include "TargetLog.h"

using namespace pelo::crossprocess;
using namespace pelo::hooktest;

namespace {

TargetLog* g_log = nullptr;
HANDLE g_sentinel = nullptr;
HWND g_edit = nullptr;
WNDPROC g_editProc = nullptr;

void Record(UINT msg, WPARAM wParam)
{
    const LONG index = g_log->count;
    if (index < static_cast<LONG>(sizeof g_log->records / sizeof g_log->records[0])) {
        g_log->records[index] = TargetRecord { msg, static_cast<UINT>(wParam) };
        ::InterlockedExchange(&g_log->count, index + 1);
    }
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        Record(msg, wParam);
        break;
    default:
        break;
    }
    const LRESULT result = ::CallWindowProcW(g_editProc, hwnd, msg, wParam, lParam);
    if (msg == WM_KEYUP && wParam == kSentinelKey) {
        ::SetEvent(g_sentinel);
    }
    return result;
}

LRESULT CALLBACK TopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case kMsgActivate:
        ::SetForegroundWindow(hwnd);
        ::SetFocus(g_edit);
        ::SetWindowTextW(g_edit, L"");
        ::InterlockedExchange(&g_log->count, 0);
        return ::GetFocus() == g_edit && ::GetForegroundWindow() == hwnd ? 1 : 0;
    case kMsgClear:
        ::InterlockedExchange(&g_log->count, 0);
        return 1;
    case kMsgSync:
        ::SetEvent(g_sentinel);
        return 1;
    case kMsgQuit:
        ::PostQuitMessage(0); // the window goes with the process (see PumpMessages)
        return 1;
    default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv)
{
    SharedObjects shared;
    g_log = OpenSharedFromArgs<TargetLog>(argc, argv, "log", "sentinel", shared);
    if (!g_log) {
        return 3;
    }
    g_sentinel = shared.signal.get();

    pelo::UniqueHwnd top = CreateHelperWindow(
        L"PelohookTestTarget", TopProc, L"Pelohook test target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 320, 120);
    if (!top) {
        return 5;
    }
    g_edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 4, 4, 300,
        24, top.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (g_edit == nullptr) {
        return 6;
    }
    g_editProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(g_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
    ::SendMessageW(top.get(), kMsgActivate, 0, 0);
    g_log->hwndTop = reinterpret_cast<UINT_PTR>(top.get());
    g_log->hwndEdit = reinterpret_cast<UINT_PTR>(g_edit);
    ::SetEvent(shared.ready.get());

    PumpMessages();
    (void)top.release(); // goes with the process
    return 0;
}
