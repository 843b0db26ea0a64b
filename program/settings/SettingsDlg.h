// The settings dialog: a tab control over the key-map editor page, the hotkey page and the page of
// further settings. Its OK saves the page's unsaved key edits and takes the hotkeys and settings; what the
// pages wrote on their own (renamed schemes, a scheme made current, schemes saved on switching) stays written
// either way.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/dialog/Dialog.h"
#include "settings/HotKeyPage.h"
#include "settings/KeyMapPage.h"
#include "settings/MorePage.h"

class CSettingsDlg : public pelo::dialog::DialogT<CSettingsDlg> {
public:
    CSettingsDlg();

    static const pelo::dialog::HandlerTable<CSettingsDlg>& Handlers();
    static const std::vector<pelo::dialog::ExchangeRow<CSettingsDlg>>& ExchangeRows();

    // Read by the settings command after the run: the scheme names as the page left them.
    [[nodiscard]] const CKeyMapPage& KeyMapPage() const { return m_KeyMapPage; }
    // The settings of the "更多" page as OK took them (those in use when not confirmed).
    [[nodiscard]] const pelo::program::MoreSettings& More() const { return m_More; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    LRESULT OnShowWindow(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnTabChanging(NMHDR*);
    LRESULT OnTabChange(NMHDR*);
    // The page of tab index (0 key map, 1 hotkey, 2 more), or nullptr.
    pelo::dialog::Dialog* Page(LRESULT index);

    CHotKeyPage m_HotKeyPage;
    CKeyMapPage m_KeyMapPage;
    CMorePage m_MorePage;
    pelo::program::MoreSettings m_More;
    HWND m_TabCtrl = nullptr;
};
