// The control window: its class, its window procedure, painting, and the mouse bookkeeping
// behind the stock Click.
#include "framework/activex/ControlBase.h"

#include "ControlInternal.h"

namespace pelo::activex {
namespace {

constexpr wchar_t ControlWindowClass[] = L"PeloAxControlWindow";
ATOM g_windowClass = 0;

ATOM EnsureWindowClass() noexcept
{
    if (!g_windowClass) {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        // Double-clicks arrive as such: a second quick press is not a second press. The face is
        // stretched over the whole window, so every change of size repaints all of it.
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = com::ModuleInstance();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = ControlWindowClass;
        g_windowClass = ::RegisterClassExW(&wc);
    }
    return g_windowClass;
}

// BeginPaint and EndPaint for a scope, so that a throwing paint still ends the paint.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept
        : m_hwnd(hwnd)
        , m_dc(::BeginPaint(hwnd, &m_ps))
    {
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(m_hwnd, &m_ps); }
    [[nodiscard]] HDC dc() const noexcept { return m_dc; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps {};
    HDC m_dc;
};

} // namespace

void UnregisterControlWindowClass() noexcept
{
    if (g_windowClass) {
        ::UnregisterClassW(ControlWindowClass, com::ModuleInstance());
        g_windowClass = 0;
    }
}

HRESULT ControlBase::CreateControlWindow(HWND parent, const RECT& pos) noexcept
{
    if (!EnsureWindowClass()) {
        return HRESULT_FROM_WIN32(::GetLastError());
    }
    HWND hwnd = ::CreateWindowExW(0, ControlWindowClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS, pos.left,
        pos.top, pos.right - pos.left, pos.bottom - pos.top, parent, nullptr, com::ModuleInstance(), nullptr);
    if (!hwnd) {
        return HRESULT_FROM_WIN32(::GetLastError());
    }
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlBase::WindowProc));
    m_window.reset(hwnd);
    return S_OK;
}

void ControlBase::DestroyControlWindow() noexcept
{
    if (m_window) {
        // Cut the window off first: messages sent while it goes must not reach a dying object.
        ::SetWindowLongPtrW(m_window.get(), GWLP_USERDATA, 0);
        ::SetWindowLongPtrW(m_window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcW));
        m_window.reset();
    }
    m_buttons = 0;
}

// ---- mouse

void ControlBase::ButtonDown(unsigned button) noexcept
{
    if (m_buttons == 0 && m_window) {
        ::SetCapture(m_window.get());
    }
    m_buttons |= button;
}

void ControlBase::ButtonUp(unsigned button, POINT pt) noexcept
{
    if ((m_buttons & button) == 0) {
        return;
    }
    m_buttons &= ~button;
    if (m_buttons == 0 && m_window && ::GetCapture() == m_window.get()) {
        ::ReleaseCapture();
    }
    RECT client {};
    if (m_window && ::GetClientRect(m_window.get(), &client) && ::PtInRect(&client, pt)) {
        FireEvent(DISPID_CLICK);
    }
}

void ControlBase::ButtonDblClk(unsigned button) noexcept
{
    // No double-click event: the press is noted so that its release clicks once more.
    ButtonDown(button);
}

void ControlBase::OnLButtonDown(UINT, POINT)
{
    if (InPlaceActive() && !m_uiActive) {
        (void)UIActivate();
    }
    if (m_window && ::GetFocus() != m_window.get()) {
        ::SetFocus(m_window.get());
    }
    ButtonDown(LeftButton);
}

void ControlBase::OnLButtonUp(UINT, POINT pt)
{
    ButtonUp(LeftButton, pt);
}

// ---- the control window

LRESULT CALLBACK ControlBase::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<ControlBase*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    // A sink called from a mouse handler may release the last outside reference.
    ComPtr<IUnknown> keepAlive(self->identity());
    try {
        return self->OnMessage(hwnd, msg, wp, lp);
    } catch (...) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT ControlBase::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    const POINT pt { static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)) };
    switch (msg) {
    case WM_PAINT: {
        const PaintScope paint(hwnd);
        if (paint.dc()) {
            RECT client {};
            ::GetClientRect(hwnd, &client);
            OnDraw(paint.dc(), client);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wp), pt);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wp), pt);
        return 0;
    case WM_LBUTTONDBLCLK:
        ButtonDblClk(LeftButton);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        ButtonDown(RightButton);
        return 0;
    case WM_RBUTTONUP:
        ButtonUp(RightButton, pt);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        ButtonDown(MiddleButton);
        return 0;
    case WM_MBUTTONUP:
        ButtonUp(MiddleButton, pt);
        return 0;
    case WM_CANCELMODE:
        if (m_buttons && ::GetCapture() == hwnd) {
            ::ReleaseCapture();
        }
        m_buttons = 0;
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd) {
            m_buttons = 0;
        }
        break;
    case WM_NCDESTROY:
        // The parent went first and took this window with it.
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        (void)m_window.release();
        m_buttons = 0;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace pelo::activex
