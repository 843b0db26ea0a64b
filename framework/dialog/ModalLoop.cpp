// Running a dialog modally: its owner is disabled meanwhile and the dialog pumps its own loop.
#include "framework/dialog/Dialog.h"

#include "framework/window/Application.h"

namespace pelo::dialog {

INT_PTR Dialog::DoModal(HWND parent) noexcept
{
    if (Hwnd()) {
        return -1;
    }
    // A dialog without a parent belongs to the application's main window, so that it never
    // opens behind a topmost main window.
    HWND owner = parent;
    if (!owner) {
        if (const window::Application* app = window::Application::Current()) {
            owner = app->MainWindow();
        }
    }
    if (owner && !::IsWindow(owner)) {
        owner = nullptr;
    }
    while (owner && (::GetWindowLongW(owner, GWL_STYLE) & (WS_POPUP | WS_CHILD)) == WS_CHILD) {
        const HWND up = ::GetParent(owner);
        if (!up) {
            break;
        }
        owner = up;
    }
    const bool disabled = owner && ::IsWindowEnabled(owner);
    if (disabled) {
        ::EnableWindow(owner, FALSE);
    }
    m_modal = true;
    m_ended = false;
    m_result = 0;
    INT_PTR result = -1;
    if (const HWND hwnd = CreateFromTemplate(owner)) {
        result = RunModalLoop(hwnd);
        // The owner is enabled before the dialog goes, so that it, not another window, is activated.
        if (disabled) {
            ::EnableWindow(owner, TRUE);
        }
        if (Hwnd() == hwnd) {
            ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            ::DestroyWindow(hwnd);
        }
    } else if (disabled) {
        ::EnableWindow(owner, TRUE);
    }
    m_modal = false;
    m_ended = false;
    return result;
}

INT_PTR Dialog::RunModalLoop(HWND hwnd) noexcept
{
    // Like the system's dialog box, a modal dialog is shown when its queue first runs empty.
    bool shown = ::IsWindowVisible(hwnd) != FALSE;
    MSG msg {};
    while (!m_ended && Hwnd() == hwnd) {
        if (!shown && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ::ShowWindow(hwnd, SW_SHOWNORMAL);
            shown = true;
            continue;
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return m_ended ? m_result : IDCANCEL;
        }
        if (got == -1) {
            break;
        }
        if (!window::Window::PreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return m_ended ? m_result : IDCANCEL;
}

void Dialog::EndDialog(INT_PTR result) noexcept
{
    if (!Hwnd()) {
        return;
    }
    if (m_modal) {
        m_result = result;
        m_ended = true;
        // Wakes the loop when this was not called from one of its messages.
        ::PostMessageW(Hwnd(), WM_NULL, 0, 0);
    } else {
        Destroy();
    }
}

} // namespace pelo::dialog
