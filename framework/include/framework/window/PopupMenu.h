// A popup menu from a menu resource: its first submenu is shown; the loaded menu is destroyed
// with the object. It does not bring any window to the foreground; callers that show it from the
// notification area do that first.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace pelo::window {

class PopupMenu {
public:
    PopupMenu(HINSTANCE module, UINT menuId) noexcept;

    [[nodiscard]] bool Loaded() const noexcept { return Submenu() != nullptr; }
    // Submenu 0 of the loaded menu, or nullptr.
    [[nodiscard]] HMENU Submenu() const noexcept;
    // TrackPopupMenu with TPM_RIGHTBUTTON at a screen point; the chosen command reaches owner as
    // WM_COMMAND. Returns when the menu has closed; false when it could not be shown.
    bool Track(POINT screen, HWND owner) const noexcept;

private:
    UniqueHmenu m_menu;
};

} // namespace pelo::window
