// The tips of the keyboard window's key buttons. A key's tip names its two characters as the
// button holds them when the tip opens, so that it follows every scheme change without being
// told; the Shift button's tip says what it does. The tips' notifications come to a message-only
// window of this object, so the keyboard window handles none of them.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/UniqueHandle.h"
#include "framework/window/Window.h"
#include "keyboard/Pelokey.h"

class CKeyNameTips : public pelo::window::WindowT<CKeyNameTips> {
public:
    CKeyNameTips() = default;

    // A tooltip control owned by `owner` with a tool for each of the `keyCount` key buttons and
    // one for the Shift button; false when the control or a tool could not be made.
    bool Create(HWND owner, CPelokey* const* keys, int keyCount, HWND shiftButton);

    [[nodiscard]] HWND Tooltip() const noexcept { return m_tooltip.get(); }

    // No tip shows while a menu of the keyboard window is open: it would cover the menu.
    class Quiet {
    public:
        explicit Quiet(const CKeyNameTips& tips)
            : m_tooltip(tips.Tooltip())
        {
            Activate(FALSE);
        }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;
        ~Quiet() { Activate(TRUE); }

    private:
        void Activate(BOOL on) const
        {
            if (m_tooltip) {
                ::SendMessageW(m_tooltip, TTM_ACTIVATE, on, 0);
            }
        }
        HWND m_tooltip;
    };

    static const pelo::window::HandlerTable<CKeyNameTips>& Handlers();

private:
    bool AddTool(HWND button);
    LRESULT OnNotify(WPARAM, LPARAM);

    CPelokey* const* m_keys = nullptr;
    int m_keyCount = 0;
    HWND m_shiftButton = nullptr;
    std::wstring m_text; // what the tooltip shows, kept until it asks again
    // The owner destroys the tooltip with itself when it goes first; destroying it again fails
    // and does nothing.
    pelo::UniqueHwnd m_tooltip;
};
