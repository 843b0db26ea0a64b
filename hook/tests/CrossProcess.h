// A driver and the helper process it starts beside itself share one file mapping and two
// events, all named from one base name: "ready" (the helper is up) and one signal of their own;
// and the keys the driver types into the helper. Used by the hook tests and by the hook benchmark.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/UniqueHandle.h"

namespace pelo::crossprocess {

inline std::string ObjectName(const std::string& base, const char* what)
{
    return base + "." + what;
}

struct ViewDeleter {
    void operator()(void* view) const { ::UnmapViewOfFile(view); }
};

struct SharedObjects {
    UniqueKernelHandle mapping;
    std::unique_ptr<void, ViewDeleter> view;
    UniqueKernelHandle ready;
    UniqueKernelHandle signal;

    template <typename T> T* As() const { return static_cast<T*>(view.get()); }
};

// The driver's side: creates the mapping of `size` bytes and both events (auto-reset).
// Returns false if any of them cannot be had.
inline bool CreateSharedObjects(
    const std::string& base, size_t size, const char* mappingName, const char* signalName, SharedObjects& out)
{
    out.mapping.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
        static_cast<DWORD>(size), ObjectName(base, mappingName).c_str()));
    out.ready.reset(::CreateEventA(nullptr, FALSE, FALSE, ObjectName(base, "ready").c_str()));
    out.signal.reset(::CreateEventA(nullptr, FALSE, FALSE, ObjectName(base, signalName).c_str()));
    if (out.mapping) {
        out.view.reset(::MapViewOfFile(out.mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    return out.view && out.ready && out.signal;
}

// The helper's side: opens what the driver created under the same names; the helper may both
// set and wait for its signal.
inline bool OpenSharedObjects(
    const std::string& base, const char* mappingName, const char* signalName, SharedObjects& out)
{
    out.mapping.reset(::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, ObjectName(base, mappingName).c_str()));
    out.ready.reset(::OpenEventA(EVENT_MODIFY_STATE, FALSE, ObjectName(base, "ready").c_str()));
    out.signal.reset(
        ::OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, ObjectName(base, signalName).c_str()));
    if (out.mapping) {
        out.view.reset(::MapViewOfFile(out.mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    return out.view && out.ready && out.signal;
}

// The helper's side, from its command line (argv[1] names the objects): the shared view as T,
// or null when the arguments or the objects are missing.
template <typename T>
T* OpenSharedFromArgs(
    int argc, char** argv, const char* mappingName, const char* signalName, SharedObjects& out)
{
    if (argc < 2 || !OpenSharedObjects(argv[1], mappingName, signalName, out)) {
        return nullptr;
    }
    return out.As<T>();
}

// A key press or release of virtual key vk, for SendInput.
inline INPUT KeyInput(WORD vk, bool up)
{
    INPUT in {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

// The folder of this program, with its trailing separator.
inline std::string ExeDirectory()
{
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

// Starts the program `exe` that sits beside this one with one argument; returns its process
// handle, empty if it could not be started.
inline UniqueKernelHandle LaunchBeside(const char* exe, const std::string& argument)
{
    std::string cmd = "\"" + ExeDirectory() + exe + "\" " + argument;
    STARTUPINFOA si {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi {};
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return {};
    }
    const UniqueKernelHandle thread(pi.hThread);
    return UniqueKernelHandle(pi.hProcess);
}

// The helper's top-level window of its own class, at the screen's top left corner; empty if the
// class or the window cannot be made.
inline UniqueHwnd CreateHelperWindow(
    const wchar_t* className, WNDPROC proc, const wchar_t* title, DWORD style, int width, int height)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc {};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    if (!::RegisterClassW(&wc)) {
        return {};
    }
    return UniqueHwnd(::CreateWindowExW(
        0, className, title, style, 0, 0, width, height, nullptr, nullptr, instance, nullptr));
}

// The helper's message loop, until its quit message. The helper then ends with its window still
// there: ending the process takes the window along, whereas destroying a shown window first
// waits seconds for a window manager that is not there under the test bed's display.
inline void PumpMessages()
{
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace pelo::crossprocess
