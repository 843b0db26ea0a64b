// Two ways to see the message boxes code under test raises. MessageBoxRecorder stands in for
// the framework's box function and records each call. LiveMessageBoxRecorder watches the real
// system boxes of this thread through hooks, records them and closes them with OK; every real
// box costs about two seconds under Wine without a window manager, so use it sparingly.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/UniqueHandle.h"
#include "framework/dialog/Dialog.h"

namespace pelo::testing {

struct RecordedBox {
    std::wstring caption;
    std::wstring text;
    HWND owner;
    bool hasIcon;
    UINT type = 0; // the recorder of calls only
};

// The boxes recorded so far.
class RecordedBoxes {
public:
    std::vector<RecordedBox> boxes;

    // The texts of the boxes so far, and forget them.
    std::vector<std::wstring> TakeTexts()
    {
        std::vector<std::wstring> texts;
        for (const RecordedBox& b : boxes) {
            texts.push_back(b.text);
        }
        boxes.clear();
        return texts;
    }
};

class MessageBoxRecorder : public RecordedBoxes {
public:
    MessageBoxRecorder()
    {
        s_current = this;
        m_previous = dialog::SetMessageBoxFunction(&Record);
    }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    ~MessageBoxRecorder()
    {
        dialog::SetMessageBoxFunction(m_previous);
        s_current = nullptr;
    }

private:
    static int Record(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
    {
        s_current->boxes.push_back({ caption, text, owner, (type & MB_ICONMASK) != 0, type });
        return IDOK;
    }
    inline static MessageBoxRecorder* s_current = nullptr;
    dialog::MessageBoxFunction m_previous = nullptr;
};

class LiveMessageBoxRecorder : public RecordedBoxes {
public:
    LiveMessageBoxRecorder()
    {
        s_current = this;
        m_ret.reset(::SetWindowsHookExW(WH_CALLWNDPROCRET, &ReturnHook, nullptr, ::GetCurrentThreadId()));
    }
    LiveMessageBoxRecorder(const LiveMessageBoxRecorder&) = delete;
    LiveMessageBoxRecorder& operator=(const LiveMessageBoxRecorder&) = delete;
    ~LiveMessageBoxRecorder()
    {
        m_ret.reset();
        s_current = nullptr;
    }
    [[nodiscard]] bool Installed() const { return m_ret.valid(); }

private:
    static bool IsDialogClass(HWND hwnd)
    {
        wchar_t cls[16] = {};
        ::GetClassNameW(hwnd, cls, 16);
        return std::wstring(cls) == L"#32770";
    }

    static LRESULT CALLBACK ReturnHook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* msg = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && s_current && msg->message == WM_INITDIALOG && IsDialogClass(msg->hwnd)
            && ::GetDlgItem(msg->hwnd, 0xFFFF)) {
            Record(msg->hwnd);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    // Records the box and closes it; a box that cannot be recorded is still closed, and nothing
    // is thrown out of the hook.
    static void Record(HWND dialog) noexcept
    {
        try {
            RecordedBox box;
            box.caption = Text(dialog);
            box.text = Text(::GetDlgItem(dialog, 0xFFFF));
            box.owner = ::GetWindow(dialog, GW_OWNER);
            box.hasIcon = false;
            for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                box.hasIcon = box.hasIcon || ::SendMessageW(child, STM_GETICON, 0, 0) != 0;
            }
            s_current->boxes.push_back(box);
        } catch (...) {
        }
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    static std::wstring Text(HWND hwnd)
    {
        wchar_t buf[512] = {};
        ::GetWindowTextW(hwnd, buf, 512);
        return buf;
    }

    inline static LiveMessageBoxRecorder* s_current = nullptr;
    UniqueHhook m_ret;
};

} // namespace pelo::testing
