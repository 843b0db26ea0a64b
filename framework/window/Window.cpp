#include "framework/window/Window.h"

#include "framework/window/Application.h"

#include <cstdint>
#include <string>

namespace pelo::window {
namespace {

// The window property that finds the object of a window. Its name holds an address of this
// module, so a library with its own copy of this layer never takes another module's objects.
const wchar_t* BindingProperty()
{
    static const int anchor = 0;
    static const std::wstring name
        = L"PeloWindow." + std::to_wstring(reinterpret_cast<std::uintptr_t>(&anchor));
    return name.c_str();
}

} // namespace

void CommandState::Enable(bool enable) noexcept
{
    m_enableChanged = true;
    if (!m_submenu) {
        ::EnableMenuItem(m_menu, m_index, MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
    }
}

void CommandState::SetCheck(bool check) noexcept
{
    if (!m_submenu) {
        ::CheckMenuItem(m_menu, m_index, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CommandState::SetText(const std::wstring& text) noexcept
{
    if (m_submenu) {
        return;
    }
    MENUITEMINFOW info {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    ::SetMenuItemInfoW(m_menu, m_index, TRUE, &info);
}

Window::~Window()
{
    Destroy();
    for (CurrentMessage* current = m_current; current; current = current->outer) {
        current->objectGone = true;
    }
}

bool Window::RegisterWindowClass(HINSTANCE instance, const WindowClass& windowClass) noexcept
{
    WNDCLASSEXW existing {};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(instance, windowClass.name, &existing)) {
        if (existing.lpfnWndProc == &Window::StaticProc) {
            return true;
        }
        // Left behind by an earlier copy of this code (a library since unloaded).
        if (!::UnregisterClassW(windowClass.name, instance)) {
            return false;
        }
    }
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof wc;
    wc.style = windowClass.style;
    wc.lpfnWndProc = &Window::StaticProc;
    wc.cbWndExtra = sizeof(Window*);
    wc.hInstance = instance;
    wc.hIcon = windowClass.icon;
    wc.hIconSm = windowClass.smallIcon;
    wc.hCursor = windowClass.cursor ? windowClass.cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    if (!windowClass.noBackground) {
        wc.hbrBackground
            = windowClass.background ? windowClass.background : reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    }
    wc.lpszClassName = windowClass.name;
    return ::RegisterClassExW(&wc) != 0;
}

bool Window::Create(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style,
    DWORD exStyle, const RECT& rect, HWND parent, HMENU menuOrId) noexcept
{
    if (m_hwnd) {
        return false;
    }
    const HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, rect.left, rect.top,
        rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId, instance, this);
    if (!hwnd) {
        return false;
    }
    // The window may already be gone if its creation handlers destroyed it.
    if (m_hwnd == hwnd) {
        m_owned.reset(hwnd);
    }
    return m_hwnd != nullptr;
}

void Window::Destroy() noexcept
{
    // WM_NCDESTROY clears the binding while the owner lets go of the window.
    m_owned.reset();
}

Window* Window::FromHandle(HWND hwnd) noexcept
{
    return hwnd ? static_cast<Window*>(::GetPropW(hwnd, BindingProperty())) : nullptr;
}

LRESULT Window::Default()
{
    if (!m_current || !m_hwnd) {
        return 0;
    }
    m_current->defaultRan = true;
    return DefaultProc(m_current->message, m_current->wParam, m_current->lParam);
}

bool Window::PreTranslate(MSG& msg)
{
    try {
        for (HWND hwnd = msg.hwnd; hwnd;) {
            if (Window* window = FromHandle(hwnd); window && window->PreTranslateMessage(msg)) {
                return true;
            }
            if (!(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
                break;
            }
            hwnd = ::GetParent(hwnd);
        }
    } catch (...) {
        return false;
    }
    return false;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITMENUPOPUP && !HIWORD(lParam)) {
        UpdateMenuPopup(reinterpret_cast<HMENU>(wParam));
    }
    LRESULT result = 0;
    if (DispatchTable(message, wParam, lParam, result)) {
        return result;
    }
    if (message == WM_COMMAND && IsPlainCommand(HIWORD(wParam), lParam)) {
        if (Application* app = Application::Current(); app && app->OnCommand(LOWORD(wParam))) {
            return 0;
        }
    }
    return Default();
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void Window::UpdateMenuPopup(HMENU popup)
{
    const int count = ::GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        const UINT index = static_cast<UINT>(i);
        const HMENU submenu = ::GetSubMenu(popup, i);
        // A submenu stands by its first item; separators have id 0.
        const UINT id = submenu ? ::GetMenuItemID(submenu, 0) : ::GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1)) {
            continue;
        }
        CommandState state(popup, index, static_cast<int>(id), submenu != nullptr);
        (void)UpdateCommandState(state);
        const bool autoDisable = !submenu && id < 0xF000;
        if (autoDisable && !state.EnableChanged() && !CommandRouteHandles(static_cast<int>(id))) {
            state.Enable(false);
        }
    }
}

bool Window::CommandRouteHandles(int id) const
{
    if (HasCommandHandler(id)) {
        return true;
    }
    const Application* app = Application::Current();
    return app && app->HasCommandHandler(id);
}

void Window::Bind(HWND hwnd) noexcept
{
    m_hwnd = hwnd;
    ::SetPropW(hwnd, BindingProperty(), this);
}

void Window::Unbind() noexcept
{
    if (m_hwnd) {
        ::RemovePropW(m_hwnd, BindingProperty());
    }
    m_hwnd = nullptr;
    (void)m_owned.release();
}

void Window::OwnWindow() noexcept
{
    if (m_hwnd && !m_owned) {
        m_owned.reset(m_hwnd);
    }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    const HWND hwnd = m_hwnd;
    CurrentMessage current { message, wParam, lParam, false, false, m_current };
    m_current = &current;
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        // Whatever the handler did before it threw, the message still gets its default once.
        result = 0;
        if (!current.defaultRan && !current.objectGone) {
            try {
                result = DefaultProc(message, wParam, lParam);
            } catch (...) {
                result = 0;
            }
        }
    }
    if (current.objectGone) {
        // A handler deleted this object (and with it its window): nothing of it may be touched.
        return result;
    }
    m_current = current.outer;
    if (message == WM_NCDESTROY && m_hwnd == hwnd) {
        Unbind();
        try {
            OnFinalMessage();
        } catch (...) {
            // the window is gone; nothing is left to report to
        }
    }
    return result;
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, 0));
    if (!self && message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            ::SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
            self->Bind(hwnd);
        }
    }
    if (!self) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, 0, 0);
    }
    return self->HandleMessage(message, wParam, lParam);
}

} // namespace pelo::window
