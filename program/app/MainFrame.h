// The program's invisible frame window: the owner of the keyboard window, never shown.
#pragma once

#include "framework/window/Window.h"

class CMainFrame : public pelo::window::WindowT<CMainFrame> {
public:
    static const pelo::window::HandlerTable<CMainFrame>& Handlers();

    // Creates the window from resource 128 (its menu and icon) with style 0 and the tool-window
    // extended style, so it never appears on the taskbar.
    bool LoadFrame();
};
