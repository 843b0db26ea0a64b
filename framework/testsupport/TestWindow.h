// A plain top-level window to hold the child dialogs and property pages under test.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace pelo::testing {

class TopWindow {
public:
    TopWindow()
        : m_window(::CreateWindowExW(
            0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr, nullptr, nullptr, nullptr))
    {
    }
    [[nodiscard]] HWND get() const noexcept { return m_window.get(); }

private:
    UniqueHwnd m_window;
};

} // namespace pelo::testing
