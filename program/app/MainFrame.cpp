#include "app/MainFrame.h"

#include "resource.h"

namespace {
constexpr wchar_t kFrameClass[] = L"PeloMainFrame";
}

const pelo::window::HandlerTable<CMainFrame>& CMainFrame::Handlers()
{
    static const pelo::window::HandlerTable<CMainFrame> table {};
    return table;
}

bool CMainFrame::LoadFrame()
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    pelo::window::WindowClass windowClass;
    windowClass.name = kFrameClass;
    windowClass.icon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!RegisterWindowClass(instance, windowClass)) {
        return false;
    }
    const HMENU menu = ::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    const RECT rect { CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT };
    if (!Create(instance, kFrameClass, L"Pelo", 0, WS_EX_TOOLWINDOW, rect, nullptr, menu)) {
        ::DestroyMenu(menu); // a menu given to a window that was not made stays the caller's
        return false;
    }
    return true;
}
