// One notification-area icon of a window, with its callback message. The icon is removed when
// the owner is destroyed, if it was added.
#pragma once

#include <windows.h>

#include <string>

namespace pelo::window {

class TrayIcon {
public:
    TrayIcon() noexcept = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() { Delete(); }

    // NIM_ADD with message, icon and tip (tips longer than 63 characters are cut). Adding again
    // (after the shell restarted, "TaskbarCreated") adds the icon anew.
    bool Add(HWND hwnd, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip) noexcept;
    // NIM_MODIFY of icon and tip; false when the icon was not added.
    bool Modify(HICON icon, const std::wstring& tip) noexcept;
    // NIM_DELETE; false when nothing was added.
    bool Delete() noexcept;

    [[nodiscard]] bool Added() const noexcept { return m_added; }

private:
    bool Notify(DWORD action, HICON icon, const std::wstring& tip) noexcept;

    HWND m_hwnd = nullptr;
    UINT m_id = 0;
    UINT m_callbackMessage = 0;
    bool m_added = false;
};

} // namespace pelo::window
