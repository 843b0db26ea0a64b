#include "more/SchemeIndicator.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kHideTimer = 1;
constexpr int kPaddingX = 14, kPaddingY = 8, kGap = 4;
constexpr COLORREF kBackground = RGB(32, 64, 128), kTextColour = RGB(255, 255, 255);

} // namespace

const pelo::window::HandlerTable<CSchemeIndicator>& CSchemeIndicator::Handlers()
{
    static const pelo::window::HandlerTable<CSchemeIndicator> table {
        {
            { WM_PAINT, &CSchemeIndicator::OnPaint },
            { WM_TIMER, &CSchemeIndicator::OnTimer },
            { WM_MOUSEACTIVATE, &CSchemeIndicator::OnMouseActivate },
            { WM_NCHITTEST, &CSchemeIndicator::OnNcHitTest },
        },
        {},
        {},
    };
    return table;
}

bool CSchemeIndicator::Make()
{
    if (Hwnd()) {
        return true;
    }
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    pelo::window::WindowClass windowClass;
    windowClass.name = kClassName;
    windowClass.noBackground = true;
    if (!RegisterWindowClass(module, windowClass)) {
        return false;
    }
    m_font.reset(::CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
    // Layered and transparent: clicks fall through to what lies below; no-activate: it never
    // takes the focus from the window the user types into.
    const DWORD exStyle
        = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE;
    if (!Create(module, kClassName, L"", WS_POPUP, exStyle, RECT { 0, 0, 10, 10 }, nullptr)) {
        return false;
    }
    ::SetLayeredWindowAttributes(Hwnd(), 0, 230, LWA_ALPHA);
    return true;
}

SIZE CSchemeIndicator::TextSize(const std::wstring& text) const
{
    SIZE size { 0, 0 };
    if (const HDC dc = ::GetDC(Hwnd())) {
        {
            // The DC gets its own font back before it is released.
            const pelo::SelectGuard select(dc, m_font.get());
            ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        }
        ::ReleaseDC(Hwnd(), dc);
    }
    return size;
}

void CSchemeIndicator::Show(HWND keyboard, const std::wstring& text)
{
    if (!Make()) {
        return;
    }
    ::SetWindowTextW(Hwnd(), text.c_str());
    const SIZE textSize = TextSize(text);
    const int width = textSize.cx + 2 * kPaddingX, height = textSize.cy + 2 * kPaddingY;

    MONITORINFO monitor {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(keyboard, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& screen = monitor.rcMonitor;
    int x = (screen.left + screen.right - width) / 2, y = (screen.top + screen.bottom - height) / 2;
    if (::IsWindowVisible(keyboard)) {
        // Under the keyboard, or over it when there is no room below.
        RECT board {};
        ::GetWindowRect(keyboard, &board);
        const RECT& work = monitor.rcWork;
        x = std::clamp(static_cast<int>((board.left + board.right - width) / 2), static_cast<int>(work.left),
            std::max(static_cast<int>(work.left), static_cast<int>(work.right - width)));
        y = board.bottom + kGap + height <= work.bottom ? board.bottom + kGap : board.top - kGap - height;
    }
    ::SetWindowPos(Hwnd(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
    ::ShowWindow(Hwnd(), SW_SHOWNOACTIVATE);
    ::SetTimer(Hwnd(), kHideTimer, kShowMs, nullptr); // a later switch starts the time again
}

LRESULT CSchemeIndicator::OnPaint(WPARAM, LPARAM)
{
    PAINTSTRUCT paint {};
    const HDC dc = ::BeginPaint(Hwnd(), &paint);
    RECT client {};
    ::GetClientRect(Hwnd(), &client);
    const pelo::UniqueHbrush background(::CreateSolidBrush(kBackground));
    ::FillRect(dc, &client, background.get());
    wchar_t text[64] = L"";
    const int length = ::GetWindowTextW(Hwnd(), text, 64);
    {
        const pelo::SelectGuard select(dc, m_font.get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, kTextColour);
        ::DrawTextW(dc, text, length, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    ::EndPaint(Hwnd(), &paint);
    return 0;
}

LRESULT CSchemeIndicator::OnTimer(WPARAM wParam, LPARAM)
{
    if (wParam == kHideTimer) {
        ::KillTimer(Hwnd(), kHideTimer);
        ::ShowWindow(Hwnd(), SW_HIDE);
    }
    return 0;
}

LRESULT CSchemeIndicator::OnMouseActivate(WPARAM, LPARAM)
{
    return MA_NOACTIVATE;
}

LRESULT CSchemeIndicator::OnNcHitTest(WPARAM, LPARAM)
{
    return HTTRANSPARENT;
}
