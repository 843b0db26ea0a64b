#include "framework/window/PopupMenu.h"

namespace pelo::window {

PopupMenu::PopupMenu(HINSTANCE module, UINT menuId) noexcept
    : m_menu(::LoadMenuW(module, MAKEINTRESOURCEW(menuId)))
{
}

HMENU PopupMenu::Submenu() const noexcept
{
    return m_menu ? ::GetSubMenu(m_menu.get(), 0) : nullptr;
}

bool PopupMenu::Track(POINT screen, HWND owner) const noexcept
{
    const HMENU submenu = Submenu();
    return submenu
        && ::TrackPopupMenu(submenu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr) != FALSE;
}

} // namespace pelo::window
