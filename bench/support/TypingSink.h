// The window a driver types into through the keyboard hook, in a process of its own (the hook
// benchmark's and the hook stress run's): it takes the focus when told, draws nothing, so that
// what is timed is the keys' delivery, and hands every character to the program's handler.
#pragma once

#include <windows.h>

#include <string>

#include "CrossProcess.h"
#include "framework/UniqueHandle.h"

namespace pelo::typingsink {

// Sent by the driver: the sink takes the focus, and answers 1 when it has it.
constexpr UINT kMsgActivate = WM_APP + 1;
// Posted by the driver: the sink ends.
constexpr UINT kMsgQuit = WM_APP + 2;

using crossprocess::KeyInput;

namespace detail {

struct Receiver {
    void* state;
    HANDLE signal;
    void (*onChar)(void* state, HANDLE signal, wchar_t ch);
};

inline LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CHAR:
        if (const auto* receiver
            = reinterpret_cast<const Receiver*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
            receiver->onChar(receiver->state, receiver->signal, static_cast<wchar_t>(wParam));
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

inline int RunWindow(const wchar_t* className, const Receiver& receiver, HANDLE ready, UINT64& published)
{
    UniqueHwnd sink
        = crossprocess::CreateHelperWindow(className, &SinkProc, L"sink", WS_POPUP | WS_VISIBLE, 64, 64);
    if (!sink) {
        return 5;
    }
    ::SetWindowLongPtrW(sink.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&receiver));
    ::SendMessageW(sink.get(), kMsgActivate, 0, 0);
    published = reinterpret_cast<UINT_PTR>(sink.get());
    ::SetEvent(ready);
    crossprocess::PumpMessages();
    (void)sink.release(); // goes with the process
    return 0;
}

} // namespace detail

// The sink process: opens the objects its driver named on the command line (the mapping
// "state", seen as State, and the event signalName), publishes its window in State::hwnd, tells
// the driver it is ready and runs until kMsgQuit. OnChar(state, signal, ch) takes each character.
// Returns the process's exit status.
template <class State, void (*OnChar)(State&, HANDLE signal, wchar_t ch)>
int RunSink(int argc, char** argv, const char* signalName, const wchar_t* className)
{
    crossprocess::SharedObjects shared;
    State* const state = crossprocess::OpenSharedFromArgs<State>(argc, argv, "state", signalName, shared);
    if (!state) {
        return 3;
    }
    const detail::Receiver receiver { state, shared.signal.get(),
        [](void* s, HANDLE signal, wchar_t ch) { OnChar(*static_cast<State*>(s), signal, ch); } };
    return detail::RunWindow(className, receiver, shared.ready.get(), state->hwnd);
}

// The driver's side: the sink process, started beside the driver, and its window. A sink still
// running when this goes is told to end, and ended by force if it does not.
class SinkProcess {
public:
    SinkProcess() = default;
    SinkProcess(const SinkProcess&) = delete;
    SinkProcess& operator=(const SinkProcess&) = delete;
    ~SinkProcess()
    {
        if (Running()) {
            (void)Quit(5000);
        }
    }

    // Starts exe, which sits beside this program, with one argument and waits for its window,
    // which it publishes in `published`. nullptr once the window is up, else what went wrong.
    const char* Start(
        const char* exe, const std::string& argument, HANDLE ready, const volatile UINT64& published)
    {
        m_process = crossprocess::LaunchBeside(exe, argument);
        if (!m_process) {
            return "cannot start the sink";
        }
        const HANDLE waits[] = { ready, m_process.get() };
        if (::WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0) {
            return "the sink did not start";
        }
        m_window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(published));
        return nullptr;
    }

    [[nodiscard]] HWND Window() const noexcept { return m_window; }
    [[nodiscard]] HANDLE Process() const noexcept { return m_process.get(); }
    [[nodiscard]] bool Running() const noexcept
    {
        return m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
    }

    // The sink takes the focus; false when it could not.
    [[nodiscard]] bool Activate() const noexcept
    {
        DWORD_PTR focused = 0;
        return ::SendMessageTimeoutW(m_window, kMsgActivate, 0, 0, SMTO_BLOCK, 10000, &focused) && focused;
    }

    // Tells the sink to end and waits up to timeoutMs, then ends it by force; its exit status.
    DWORD Quit(DWORD timeoutMs) noexcept
    {
        if (m_window) {
            ::PostMessageW(m_window, kMsgQuit, 0, 0);
        }
        if (::WaitForSingleObject(m_process.get(), timeoutMs) != WAIT_OBJECT_0) {
            ::TerminateProcess(m_process.get(), 1);
            ::WaitForSingleObject(m_process.get(), 5000);
        }
        DWORD status = STILL_ACTIVE;
        ::GetExitCodeProcess(m_process.get(), &status);
        return status;
    }

private:
    UniqueKernelHandle m_process;
    HWND m_window = nullptr; // the sink's, which ends it
};

} // namespace pelo::typingsink
