// Tab 1 of the settings dialog: the on/off hotkey in a hotkey control, and a button that puts
// back Ctrl+D. The page stores nothing; the settings dialog takes the control's value on OK.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/dialog/Dialog.h"

class CHotKeyPage : public pelo::dialog::DialogT<CHotKeyPage> {
public:
    CHotKeyPage();

    static const pelo::dialog::HandlerTable<CHotKeyPage>& Handlers();
    static const std::vector<pelo::dialog::ExchangeRow<CHotKeyPage>>& ExchangeRows();

    [[nodiscard]] HWND HotKeyCtrl() const { return m_HotKeyCtrl; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { } // Enter inside the page closes nothing
    void OnCancel() override { } // nor does Esc

private:
    void OnDefaultHotKey();

    HWND m_HotKeyCtrl = nullptr;
};
