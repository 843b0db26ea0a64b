// Benchmark sink: a window that takes the focus, draws nothing and counts its WM_CHAR messages.
// Usage: PelohookBenchSink.exe <object name base>
#include "BenchShared.h"

#include "framework/UniqueHandle.h"

#include <memory>

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
        ::DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

struct ViewDeleter {
    void operator()(void* view) const { ::UnmapViewOfFile(view); }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return 2;
    }
    const std::string base = argv[1];
    pelo::UniqueKernelHandle mapping(
        ::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, ObjectName(base, "state").c_str()));
    pelo::UniqueKernelHandle ready(
        ::OpenEventA(EVENT_MODIFY_STATE, FALSE, ObjectName(base, "ready").c_str()));
    pelo::UniqueKernelHandle done(::OpenEventA(EVENT_MODIFY_STATE, FALSE, ObjectName(base, "done").c_str()));
    if (!mapping || !ready || !done) {
        return 3;
    }
    std::unique_ptr<void, ViewDeleter> view(::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view) {
        return 4;
    }
    g_state = static_cast<SinkState*>(view.get());
    g_done = done.get();

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc {};
    wc.lpfnWndProc = SinkProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"PelohookBenchSink";
    if (!::RegisterClassW(&wc)) {
        return 5;
    }
    const HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"sink", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64,
        nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return 6;
    }
    ::SendMessageW(hwnd, kMsgActivate, 0, 0);
    g_state->hwnd = reinterpret_cast<UINT_PTR>(hwnd);
    ::SetEvent(ready.get());
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
