// Benchmark sink: a window that takes the focus, draws nothing and counts its WM_CHAR messages.
// Usage: PelohookBenchSink.exe <object name base>
#include "BenchShared.h"
#include "CrossProcess.h"

using namespace pelo::crossprocess;
using namespace pelo::hookbench;

namespace {

SinkState* g_state = nullptr;
HANDLE g_done = nullptr;

LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CHAR:
        if (++g_state->chars == g_state->target) {
            LARGE_INTEGER now;
            ::QueryPerformanceCounter(&now);
            g_state->doneAt = now.QuadPart;
            g_state->lastChar = static_cast<UINT>(wParam);
            ::SetEvent(g_done);
        }
        return 0;
    case WM_PAINT:
        ::ValidateRect(hwnd, nullptr);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case kMsgActivate:
        ::SetForegroundWindow(hwnd);
        ::SetFocus(hwnd);
        return ::GetFocus() == hwnd ? 1 : 0;
    case kMsgQuit:
        ::PostQuitMessage(0); // the window goes with the process (see PumpMessages)
        return 0;
    default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv)
{
    SharedObjects shared;
    g_state = OpenSharedFromArgs<SinkState>(argc, argv, "state", "done", shared);
    if (!g_state) {
        return 3;
    }
    g_done = shared.signal.get();

    pelo::UniqueHwnd sink
        = CreateHelperWindow(L"PelohookBenchSink", SinkProc, L"sink", WS_POPUP | WS_VISIBLE, 64, 64);
    if (!sink) {
        return 5;
    }
    ::SendMessageW(sink.get(), kMsgActivate, 0, 0);
    g_state->hwnd = reinterpret_cast<UINT_PTR>(sink.get());
    ::SetEvent(shared.ready.get());
    PumpMessages();
    (void)sink.release(); // goes with the process
    return 0;
}
