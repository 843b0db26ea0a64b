// The on/off hotkey: kept in the configuration file, registered for the keyboard window,
// exchanged with the hotkey control of the settings, and shown in the popup menu.
#pragma once

#include <windows.h>

#include <string>

class CHotKeySetting {
public:
    CHotKeySetting() = default;
    CHotKeySetting(const CHotKeySetting&) = delete;
    CHotKeySetting& operator=(const CHotKeySetting&) = delete;
    virtual ~CHotKeySetting() = default;

    // Reads [HOT KEY] SW_FG (default 2, Ctrl) and SW_VK (default 68, D); the record is then valid.
    void ReadFromIni(const wchar_t* path);
    // 1 when both keys were written; writes nothing and returns 0 while the record is not valid.
    int WriteToIni(const wchar_t* path) const;
    // Fills both only when the record is valid.
    void GetHotKey(WORD& modifiers, WORD& virtualKey) const;
    // 1 registered (the identifier is remembered), 0 not.
    int RegisterHotKeyTo(HWND hWnd, int id);
    static int UnregisterHotKeyFrom(HWND hWnd, int id);
    void SetFromHotKeyCtrl(HWND hotKeyCtrl);
    void ShowInHotKeyCtrl(HWND hotKeyCtrl) const;
    // The identifier of the last successful registration while the record is valid, else 0.
    int GetRegisteredId() const;
    static std::wstring FormatHotKeyText(WORD modifiers, WORD virtualKey);

private:
    int m_bValid = 0;
    int m_nHotKeyId = 0;
    WORD m_wModifiers = 0;
    WORD m_wVirtualKey = 0;
};
