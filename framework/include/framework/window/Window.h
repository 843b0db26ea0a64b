// A window object bound to its window from WM_NCCREATE (only an overlapped window's
// WM_GETMINMAXINFO comes earlier, and gets default processing) until WM_NCDESTROY. Messages go to
// the derived class's handler rows; nothing thrown by a handler leaves the window procedure.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"
#include "framework/window/Handlers.h"

namespace pelo::window {

// The look of a window class registered for Window objects.
struct WindowClass {
    const wchar_t* name = nullptr;
    UINT style = 0;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr; // nullptr: the arrow
    HBRUSH background = nullptr; // nullptr: COLOR_WINDOW
    bool noBackground = false; // no class brush at all: the window paints every pixel itself
};

class Window {
public:
    Window() noexcept = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Destroys the window if it still exists. An object may be deleted by one of its own
    // handlers: the messages still being handled then leave it alone.
    virtual ~Window();

    // Registers a class whose windows are created through Create (once per module and name;
    // true when it is registered).
    static bool RegisterWindowClass(HINSTANCE instance, const WindowClass& windowClass) noexcept;
    // Creates the window of a class registered with RegisterWindowClass; the object owns it.
    bool Create(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style,
        DWORD exStyle, const RECT& rect, HWND parent, HMENU menuOrId = nullptr) noexcept;
    void Destroy() noexcept;

    [[nodiscard]] HWND Hwnd() const noexcept { return m_hwnd; }
    // The object bound to a window of this module, or nullptr.
    [[nodiscard]] static Window* FromHandle(HWND hwnd) noexcept;

    // Runs the default processing of the message being handled, with its own parameters, at the
    // point the handler chooses; returns its result. Outside a handler it does nothing (0).
    LRESULT Default();

    // Gives the windows that contain msg.hwnd, innermost first, their PreTranslateMessage; true
    // when one of them took the message (it must not be dispatched then).
    static bool PreTranslate(MSG& msg);

protected:
    // Every message of the bound window; the base runs the tables, the command route and the
    // command-state update of popup menus, and default processing for what nobody handled.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The derived class's tables; true when a row handled the message.
    virtual bool DispatchTable(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // Offers a menu item to the command-state rows; true when one covered it.
    virtual bool UpdateCommandState(CommandState&) { return false; }
    // Whether the window's own rows handle command id.
    [[nodiscard]] virtual bool HasCommandHandler(int) const { return false; }
    // The processing of a message nobody handled.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // A queued message before it is dispatched; true takes it.
    virtual bool PreTranslateMessage(MSG&) { return false; }
    // The window is gone (after WM_NCDESTROY's default processing); the object is unbound.
    virtual void OnFinalMessage() { }

    // WM_INITMENUPOPUP: each item of the popup offered to the command-state rows; an item that no
    // row and no command handler on the route covers is greyed (ids below 0xF000).
    void UpdateMenuPopup(HMENU popup);
    // Whether a command handler anywhere on the route (this window, then the application) takes id.
    [[nodiscard]] bool CommandRouteHandles(int id) const;

    // Binding, for classes that create their windows in their own way: Bind at the first message,
    // then HandleMessage for every message; handling WM_NCDESTROY unbinds and calls OnFinalMessage.
    void Bind(HWND hwnd) noexcept;
    void Unbind() noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // The object owns its bound window from now on (destroys it with itself).
    void OwnWindow() noexcept;

private:
    static LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);

    // The message being handled, for Default; the messages it interrupted follow outer.
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool defaultRan;
        bool objectGone;
        CurrentMessage* outer;
    };

    HWND m_hwnd = nullptr;
    UniqueHwnd m_owned;
    CurrentMessage* m_current = nullptr;
};

// Binds the derived class D's tables: D provides `static const HandlerTable<D>& Handlers()`.
// Base lets a specialised window (a dialog) sit between Window and D.
template <class D, class Base = Window> class WindowT : public Base {
public:
    using Base::Base;

protected:
    bool DispatchTable(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        return DispatchRows(static_cast<D&>(*this), D::Handlers(), message, wParam, lParam, result);
    }
    bool UpdateCommandState(CommandState& state) override
    {
        return UpdateRows(static_cast<D&>(*this), D::Handlers(), state);
    }
    bool HasCommandHandler(int id) const override { return HasCommandRow(D::Handlers(), id); }
};

} // namespace pelo::window
