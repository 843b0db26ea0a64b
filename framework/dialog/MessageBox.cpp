// The framework's message boxes: one replaceable function shows them all, and their caption.
#include "framework/dialog/Dialog.h"

#include "framework/Module.h"

namespace pelo::dialog {

namespace {
int SystemMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return ::MessageBoxW(owner, text, caption, type);
}
MessageBoxFunction g_messageBox = &SystemMessageBox;
} // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)
{
    return g_messageBox(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) noexcept
{
    const MessageBoxFunction previous = g_messageBox;
    g_messageBox = function ? function : &SystemMessageBox;
    return previous;
}

std::wstring ModuleName(HMODULE module)
{
    return pelo::ModuleName(module);
}

std::wstring Dialog::MessageCaption() const
{
    if (Hwnd() && (::GetWindowLongW(Hwnd(), GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        std::wstring title = ControlText(Hwnd());
        if (!title.empty()) {
            return title;
        }
    }
    return ModuleName(m_module);
}

} // namespace pelo::dialog
