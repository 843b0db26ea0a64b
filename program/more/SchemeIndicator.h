// The small label that shows the new scheme's name for a moment after each scheme switch:
// borderless, topmost, click-through and never active, beside the keyboard window, or centred on
// the keyboard's monitor while the keyboard is hidden.
#pragma once

#include <windows.h>

#include <string>

#include "framework/UniqueHandle.h"
#include "framework/window/Window.h"

class CSchemeIndicator : public pelo::window::WindowT<CSchemeIndicator> {
public:
    static constexpr const wchar_t* kClassName = L"PeloSchemeIndicator";
    static constexpr UINT kShowMs = 1200;

    static const pelo::window::HandlerTable<CSchemeIndicator>& Handlers();

    // Shows the text beside the keyboard window (made the first time); hides itself later.
    void Show(HWND keyboard, const std::wstring& text);

private:
    bool Make();
    [[nodiscard]] SIZE TextSize(const std::wstring& text) const;

    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnMouseActivate(WPARAM, LPARAM);
    LRESULT OnNcHitTest(WPARAM, LPARAM);

    pelo::UniqueHfont m_font;
};
