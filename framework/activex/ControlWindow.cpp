// The control window: its class, its message rows, painting, and the mouse bookkeeping behind
// the stock Click.
#include "framework/activex/ControlBase.h"

#include "ControlInternal.h"

namespace pelo::activex {
namespace {

constexpr wchar_t ControlWindowClass[] = L"PeloAxControlWindow";
bool g_classRegistered = false;

bool EnsureWindowClass() noexcept
{
    if (!g_classRegistered) {
        window::WindowClass windowClass;
        windowClass.name = ControlWindowClass;
        // No double-clicks: a key typed twice quickly is two presses, each with its press
        // logic, key-down and Click. The face is stretched over the whole window, so every
        // change of size repaints all of it, and there is no background to erase first.
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.noBackground = true;
        g_classRegistered = window::Window::RegisterWindowClass(com::ModuleInstance(), windowClass);
    }
    return g_classRegistered;
}

HRESULT LastErrorResult() noexcept
{
    const DWORD error = ::GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

POINT PointOf(LPARAM lp) noexcept
{
    return POINT { static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)) };
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
    // No control is left when the library unloads, so no window of the class is left either.
    if (g_classRegistered) {
        ::UnregisterClassW(ControlWindowClass, com::ModuleInstance());
        g_classRegistered = false;
    }
}

HRESULT ControlBase::CreateControlWindow(HWND parent, const RECT& pos) noexcept
{
    if (!EnsureWindowClass()) {
        return LastErrorResult();
    }
    if (!m_window.Create(
            com::ModuleInstance(), ControlWindowClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, pos, parent)) {
        return LastErrorResult();
    }
    return S_OK;
}

void ControlBase::DestroyControlWindow() noexcept
{
    m_window.Destroy();
    m_buttons = 0;
}

bool ControlBase::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

// ---- mouse

void ControlBase::ButtonDown(unsigned button) noexcept
{
    if (m_buttons == 0 && ControlWindow()) {
        ::SetCapture(ControlWindow());
    }
    m_buttons |= button;
}

void ControlBase::ButtonUp(unsigned button, POINT pt) noexcept
{
    if ((m_buttons & button) == 0) {
        return;
    }
    m_buttons &= ~button;
    if (m_buttons == 0 && ControlWindow() && ::GetCapture() == ControlWindow()) {
        ::ReleaseCapture();
    }
    RECT client {};
    if (ControlWindow() && ::GetClientRect(ControlWindow(), &client) && ::PtInRect(&client, pt)) {
        FireEvent(DISPID_CLICK);
    }
}

void ControlBase::OnLButtonDown(UINT, POINT)
{
    if (InPlaceActive() && !m_uiActive) {
        (void)UIActivate();
    }
    if (ControlWindow() && ::GetFocus() != ControlWindow()) {
        ::SetFocus(ControlWindow());
    }
    ButtonDown(LeftButton);
}

void ControlBase::OnLButtonUp(UINT, POINT pt)
{
    ButtonUp(LeftButton, pt);
}

// ---- the control window

const window::HandlerTable<ControlBase::WindowObject>& ControlBase::WindowObject::Handlers()
{
    using W = WindowObject;
    static const window::HandlerTable<W> table {
        {
            { WM_PAINT, &W::OnPaint },
            { WM_LBUTTONDOWN, &W::OnLButtonDown },
            { WM_LBUTTONUP, &W::OnLButtonUp },
            // A double-click that reaches the window anyway (sent, not clicked) is a press too.
            { WM_LBUTTONDBLCLK, &W::OnLButtonDown },
            { WM_RBUTTONDOWN, &W::OnRButtonDown },
            { WM_RBUTTONDBLCLK, &W::OnRButtonDown },
            { WM_RBUTTONUP, &W::OnRButtonUp },
            { WM_MBUTTONDOWN, &W::OnMButtonDown },
            { WM_MBUTTONDBLCLK, &W::OnMButtonDown },
            { WM_MBUTTONUP, &W::OnMButtonUp },
            { WM_CANCELMODE, &W::OnCancelMode },
            { WM_CAPTURECHANGED, &W::OnCaptureChanged },
        },
        {},
        {},
    };
    return table;
}

LRESULT ControlBase::WindowObject::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_control) {
        return Default();
    }
    // A sink called from a handler may release the last outside reference: the control, and
    // this object with it, then goes once the message is done.
    const ComPtr<IUnknown> keepAlive(m_control->identity());
    LRESULT result = 0;
    if (m_control->OnWindowMessage(message, wParam, lParam, result)) {
        return result;
    }
    return WindowT::WindowProc(message, wParam, lParam);
}

void ControlBase::WindowObject::OnFinalMessage()
{
    // Also when the parent went first and took this window with it.
    if (m_control) {
        m_control->m_buttons = 0;
    }
}

LRESULT ControlBase::WindowObject::OnPaint(WPARAM, LPARAM)
{
    const PaintScope paint(Hwnd());
    if (paint.dc()) {
        RECT client {};
        ::GetClientRect(Hwnd(), &client);
        m_control->OnDraw(paint.dc(), client);
    }
    return 0;
}

LRESULT ControlBase::WindowObject::OnLButtonDown(WPARAM wParam, LPARAM lParam)
{
    m_control->OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
    return 0;
}

LRESULT ControlBase::WindowObject::OnLButtonUp(WPARAM wParam, LPARAM lParam)
{
    m_control->OnLButtonUp(static_cast<UINT>(wParam), PointOf(lParam));
    return 0;
}

LRESULT ControlBase::WindowObject::OnRButtonDown(WPARAM, LPARAM)
{
    m_control->ButtonDown(RightButton);
    return 0;
}

LRESULT ControlBase::WindowObject::OnRButtonUp(WPARAM, LPARAM lParam)
{
    m_control->ButtonUp(RightButton, PointOf(lParam));
    return 0;
}

LRESULT ControlBase::WindowObject::OnMButtonDown(WPARAM, LPARAM)
{
    m_control->ButtonDown(MiddleButton);
    return 0;
}

LRESULT ControlBase::WindowObject::OnMButtonUp(WPARAM, LPARAM lParam)
{
    m_control->ButtonUp(MiddleButton, PointOf(lParam));
    return 0;
}

LRESULT ControlBase::WindowObject::OnCancelMode(WPARAM, LPARAM)
{
    if (m_control->m_buttons && ::GetCapture() == Hwnd()) {
        ::ReleaseCapture();
    }
    m_control->m_buttons = 0;
    return Default();
}

LRESULT ControlBase::WindowObject::OnCaptureChanged(WPARAM, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(lParam) != Hwnd()) {
        m_control->m_buttons = 0;
    }
    return Default();
}

} // namespace pelo::activex
