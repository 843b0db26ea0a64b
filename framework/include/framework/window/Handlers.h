// Handler rows shared by windows and dialogs. Each row names a member function of the derived
// class D, so the compiler checks every handler's signature. A message handler's result is the
// message's result; a handled message gets no default processing unless the handler asks for it
// (Window::Default).
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>
#include <vector>

namespace pelo::window {

// The state of one menu item while its popup opens, offered to the command-state rows.
class CommandState {
public:
    // submenu: the item opens a submenu and stands for it by the submenu's first id; its entry is
    // then left as it is whatever the handler asks.
    CommandState(HMENU menu, UINT index, int id, bool submenu) noexcept
        : m_menu(menu)
        , m_index(index)
        , m_id(id)
        , m_submenu(submenu)
    {
    }
    [[nodiscard]] int Id() const noexcept { return m_id; }
    void Enable(bool enable = true) noexcept;
    void SetCheck(bool check = true) noexcept;
    void SetText(const std::wstring& text) noexcept;
    // True once a handler has called Enable (the item then keeps what it was given).
    [[nodiscard]] bool EnableChanged() const noexcept { return m_enableChanged; }

private:
    HMENU m_menu;
    UINT m_index;
    int m_id;
    bool m_submenu;
    bool m_enableChanged = false;
};

// One message.
template <class D> struct MessageRow {
    UINT message;
    LRESULT (D::*handler)(WPARAM, LPARAM);
};
// One message registered at run time by name; the name is registered once, when the table is built.
template <class D> struct RegisteredMessageRow {
    RegisteredMessageRow(const wchar_t* name, LRESULT (D::*h)(WPARAM, LPARAM)) noexcept
        : message(::RegisterWindowMessageW(name))
        , handler(h)
    {
    }
    UINT message; // 0 when the registration failed: the row then never matches
    LRESULT (D::*handler)(WPARAM, LPARAM);
};
// One (control or command id, notification code) pair of WM_COMMAND; menus and buttons send code 0.
template <class D> struct CommandRow {
    int id;
    int code;
    void (D::*handler)();
};
// Commands first..last (menu items, accelerators, button clicks); the handler gets the id.
template <class D> struct CommandRangeRow {
    int first;
    int last;
    void (D::*handler)(int id);
};
// Command-state update of menu items first..last while their popup opens.
template <class D> struct CommandStateRow {
    int first;
    int last;
    void (D::*handler)(CommandState&);
};
// One (control id, code) pair of WM_NOTIFY.
template <class D> struct NotifyRow {
    int id;
    UINT code;
    LRESULT (D::*handler)(NMHDR*);
};
// One event of a hosted ActiveX control, by the control's id and the event's dispatch id.
template <class D> struct EventRow {
    int id;
    DISPID dispid;
    void (D::*handler)();
};

// The derived class's tables. The first three keep their places so that older tables written as
// { messages, commands, notifications } still build.
template <class D> struct HandlerTable {
    std::vector<MessageRow<D>> messages;
    std::vector<CommandRow<D>> commands;
    std::vector<NotifyRow<D>> notifications;
    std::vector<RegisteredMessageRow<D>> registeredMessages {};
    std::vector<CommandRangeRow<D>> commandRanges {};
    std::vector<CommandStateRow<D>> commandStates {};
    std::vector<EventRow<D>> events {};
};

// Whether a WM_COMMAND with this code can reach a range row or the application's rows: menu
// items and button clicks (0) and accelerators (1, no control).
[[nodiscard]] inline bool IsPlainCommand(int code, LPARAM control) noexcept
{
    return code == 0 || (code == 1 && control == 0);
}

// Runs the first row of the table that answers the message; false when none does. Command-state
// rows are run by UpdateCommandState, event rows by the dialog.
template <class D>
bool DispatchRows(
    D& self, const HandlerTable<D>& table, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        for (const CommandRow<D>& row : table.commands) {
            if (row.id == id && row.code == code) {
                (self.*row.handler)();
                result = 0;
                return true;
            }
        }
        if (IsPlainCommand(code, lParam)) {
            for (const CommandRangeRow<D>& row : table.commandRanges) {
                if (id >= row.first && id <= row.last) {
                    (self.*row.handler)(id);
                    result = 0;
                    return true;
                }
            }
        }
    } else if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        for (const NotifyRow<D>& row : table.notifications) {
            if (header && row.id == static_cast<int>(header->idFrom) && row.code == header->code) {
                result = (self.*row.handler)(header);
                return true;
            }
        }
    }
    for (const MessageRow<D>& row : table.messages) {
        if (row.message == message) {
            result = (self.*row.handler)(wParam, lParam);
            return true;
        }
    }
    if (message >= 0xC000) {
        for (const RegisteredMessageRow<D>& row : table.registeredMessages) {
            if (row.message == message) {
                result = (self.*row.handler)(wParam, lParam);
                return true;
            }
        }
    }
    return false;
}

// Offers one menu item to the command-state rows; true when a row covered it.
template <class D> bool UpdateRows(D& self, const HandlerTable<D>& table, CommandState& state)
{
    for (const CommandStateRow<D>& row : table.commandStates) {
        if (state.Id() >= row.first && state.Id() <= row.last) {
            (self.*row.handler)(state);
            return true;
        }
    }
    return false;
}

// Whether a command or range row would handle command id from a menu.
template <class D> bool HasCommandRow(const HandlerTable<D>& table, int id)
{
    for (const CommandRow<D>& row : table.commands) {
        if (row.id == id && row.code == 0) {
            return true;
        }
    }
    for (const CommandRangeRow<D>& row : table.commandRanges) {
        if (id >= row.first && id <= row.last) {
            return true;
        }
    }
    return false;
}

} // namespace pelo::window
