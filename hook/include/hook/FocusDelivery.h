// Which window a character is delivered to, without the platform: the window queries, focusing
// and posting go through a platform object, so that the hook library and the native tests run the
// very same decision. No <windows.h> and no runtime calls.
//
// The platform object provides, for a window handle type Window whose value-initialised value is
// "no window":
//   GuiWindows<Window> Foreground() the active and focus window of the foreground window's thread
//   GuiWindows<Window> Current()    the active and focus window of the calling thread
//   bool IsCurrentThreadWindow(Window)  the calling thread created that window
//   void Focus(Window)              gives a window of the calling thread's input the focus
//   void Post(Window, char16_t)     posts the character to the window
#pragma once

namespace pelo::hook {

template <typename Window> struct GuiWindows {
    Window active {};
    Window focus {};
};

// The rule for one thread's windows: while the keyboard window is that thread's active window the
// character goes to the focus remembered from the application typed in last; otherwise it goes to
// the thread's focus window, which becomes the remembered one (also when there is none).
// Focusing is only asked for in the calling thread's own input, where it can take effect.
template <typename Platform, typename Window>
void DeliverIn(Platform& platform, const GuiWindows<Window>& windows, bool callingThread, Window mainWindow,
    Window& lastFocus, char16_t ch)
{
    Window target;
    if (windows.active != Window {} && windows.active == mainWindow) {
        target = lastFocus;
    } else {
        target = windows.focus;
        lastFocus = windows.focus;
    }
    // Focusing the window that already has the focus changes nothing; skip that call.
    if (callingThread && target != windows.focus) {
        platform.Focus(target);
    }
    if (target != Window {}) {
        platform.Post(target, ch);
    }
}

// A character the program delivers itself (a click on the keyboard window): the calling thread's
// windows decide.
template <typename Platform, typename Window>
void DeliverFromProgram(Platform& platform, Window mainWindow, Window& lastFocus, char16_t ch)
{
    DeliverIn(platform, platform.Current(), true, mainWindow, lastFocus, ch);
}

// A character the hook procedure typed for a key. Usually the hook runs in the thread that reads
// the key, the foreground window's thread. For a process the library cannot be mapped into (one
// of the other bitness) the system calls the hook in the thread that installed it instead, the
// program's own: there the foreground window's thread decides, not the calling one.
template <typename Platform, typename Window>
void DeliverFromHook(Platform& platform, Window mainWindow, Window& lastFocus, char16_t ch)
{
    const GuiWindows<Window> foreground = platform.Foreground();
    if (foreground.active == Window {}) {
        DeliverFromProgram(platform, mainWindow, lastFocus, ch);
        return;
    }
    DeliverIn(
        platform, foreground, platform.IsCurrentThreadWindow(foreground.active), mainWindow, lastFocus, ch);
}

} // namespace pelo::hook
