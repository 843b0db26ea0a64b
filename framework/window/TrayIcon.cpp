#include "framework/window/TrayIcon.h"

#include <shellapi.h>

namespace pelo::window {

bool TrayIcon::Add(HWND hwnd, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip) noexcept
{
    if (m_added && (hwnd != m_hwnd || id != m_id)) {
        Delete();
    }
    m_hwnd = hwnd;
    m_id = id;
    m_callbackMessage = callbackMessage;
    // Adding again after the shell restarted: the icon it already holds (if any) stays added.
    m_added = Notify(NIM_ADD, icon, tip) || m_added;
    return m_added;
}

bool TrayIcon::Modify(HICON icon, const std::wstring& tip) noexcept
{
    return m_added && Notify(NIM_MODIFY, icon, tip);
}

bool TrayIcon::Delete() noexcept
{
    if (!m_added) {
        return false;
    }
    m_added = false;
    return Notify(NIM_DELETE, nullptr, std::wstring());
}

bool TrayIcon::Notify(DWORD action, HICON icon, const std::wstring& tip) noexcept
{
    NOTIFYICONDATAW data {};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = m_hwnd;
    data.uID = m_id;
    if (action != NIM_DELETE) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = m_callbackMessage;
        data.hIcon = icon;
        ::lstrcpynW(data.szTip, tip.c_str(), 64); // the tip of the first structure version
    }
    return ::Shell_NotifyIconW(action, &data) != FALSE;
}

} // namespace pelo::window
