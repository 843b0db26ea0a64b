// Help: the compiled help file in the working folder, shown by the system's HTML Help viewer.
// The viewer is reached at run time in hhctrl.ocx, which Windows ships, so that no import library
// has to match the system's copy.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

inline constexpr wchar_t kHelpFile[] = L"帮助.chm";

// hhctrl.ocx, loaded on first use and kept loaded; the help windows it opened are closed before
// it is unloaded.
class CHtmlHelpViewer {
public:
    CHtmlHelpViewer() noexcept = default;
    ~CHtmlHelpViewer();
    CHtmlHelpViewer(const CHtmlHelpViewer&) = delete;
    CHtmlHelpViewer& operator=(const CHtmlHelpViewer&) = delete;

    // HtmlHelpW(owner, file, HH_DISPLAY_TOPIC, 0); its result is the viewer's business. False
    // only when the viewer cannot be loaded.
    bool DisplayTopic(HWND owner, const wchar_t* file) noexcept;

private:
    using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

    pelo::UniqueHmodule m_library;
    HtmlHelpFunction m_pfnHtmlHelp = nullptr;
    bool m_bUsed = false;
};

// The keyboard window's help operation: the help file shown with the window as owner. A missing
// help file or viewer is reported in a message box rather than doing nothing.
void ShowHelpFile(HWND owner, CHtmlHelpViewer& viewer);
