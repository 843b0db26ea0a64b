#include "settings/SettingsDlg.h"

#include <commctrl.h>

#include <iterator>

#include "app/ProgramState.h"
#include "settings/SettingsIds.h"

CSettingsDlg::CSettingsDlg()
    : DialogT(::GetModuleHandleW(nullptr), IDD_SETTINGS)
    , m_More(pelo::program::g_MoreSettings)
{
}

const pelo::dialog::HandlerTable<CSettingsDlg>& CSettingsDlg::Handlers()
{
    static const pelo::dialog::HandlerTable<CSettingsDlg> table {
        {
            { WM_SHOWWINDOW, &CSettingsDlg::OnShowWindow },
            { WM_DESTROY, &CSettingsDlg::OnDestroy },
        },
        {},
        {
            { IDC_SETTINGS_TAB, static_cast<UINT>(TCN_SELCHANGING), &CSettingsDlg::OnTabChanging },
            { IDC_SETTINGS_TAB, static_cast<UINT>(TCN_SELCHANGE), &CSettingsDlg::OnTabChange },
        },
    };
    return table;
}

const std::vector<pelo::dialog::ExchangeRow<CSettingsDlg>>& CSettingsDlg::ExchangeRows()
{
    static const std::vector<pelo::dialog::ExchangeRow<CSettingsDlg>> rows;
    return rows;
}

BOOL CSettingsDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    m_TabCtrl = Item(IDC_SETTINGS_TAB);
    const wchar_t* const titles[] = { L"键盘方案", L"快捷键", L"更多" };
    for (std::size_t i = 0; i < std::size(titles); ++i) {
        TCITEMW item {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(titles[i]);
        ::SendMessageW(m_TabCtrl, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    return TRUE;
}

LRESULT CSettingsDlg::OnShowWindow(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    g_bSettingsOpen = 1;
    // Shown once and hidden before it goes: the pages are made only the first time.
    if (!m_KeyMapPage.Hwnd() && !m_HotKeyPage.Hwnd()) {
        const auto place = [](const pelo::dialog::Dialog& page, int show) {
            // Above the tab control, whose display area they cover.
            ::SetWindowPos(page.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            ::ShowWindow(page.Hwnd(), show);
        };
        if (m_KeyMapPage.Create(Hwnd())) {
            place(m_KeyMapPage, SW_SHOW);
        }
        if (m_HotKeyPage.Create(Hwnd())) {
            place(m_HotKeyPage, SW_HIDE);
        }
        if (m_MorePage.Create(Hwnd())) {
            place(m_MorePage, SW_HIDE);
        }
        // Each page's initialisation focused its first control, the hidden page last: keys
        // typed now would change its hotkey unseen, and Esc would not reach this dialog.
        ::SetFocus(m_TabCtrl);
    }
    return result;
}

LRESULT CSettingsDlg::OnDestroy(WPARAM, LPARAM)
{
    g_bSettingsOpen = 0;
    return Default();
}

pelo::dialog::Dialog* CSettingsDlg::Page(LRESULT index)
{
    pelo::dialog::Dialog* const pages[] = { &m_KeyMapPage, &m_HotKeyPage, &m_MorePage };
    return index >= 0 && index < static_cast<LRESULT>(std::size(pages)) ? pages[index] : nullptr;
}

LRESULT CSettingsDlg::OnTabChanging(NMHDR*)
{
    if (pelo::dialog::Dialog* page = Page(::SendMessageW(m_TabCtrl, TCM_GETCURSEL, 0, 0));
        page && page->Hwnd()) {
        ::ShowWindow(page->Hwnd(), SW_HIDE);
    }
    return 0; // the change is always allowed
}

LRESULT CSettingsDlg::OnTabChange(NMHDR*)
{
    if (pelo::dialog::Dialog* page = Page(::SendMessageW(m_TabCtrl, TCM_GETCURSEL, 0, 0));
        page && page->Hwnd()) {
        ::ShowWindow(page->Hwnd(), SW_SHOW);
    }
    return 0;
}

void CSettingsDlg::OnOK()
{
    // Into the current scheme too when the page shows the current slot (the save does that). A
    // failed save keeps the dialog open with the edits, to be tried again or cancelled.
    if (m_KeyMapPage.Hwnd() && m_KeyMapPage.IsModified()
        && !m_KeyMapPage.SaveWorkingFangAnOrWarn(
            L"设置对话框没有关闭，修改仍保留，可以再试一次或取消修改。")) {
        return;
    }
    if (m_HotKeyPage.Hwnd()) {
        g_HotKeySetting.SetFromHotKeyCtrl(m_HotKeyPage.HotKeyCtrl());
    }
    if (m_MorePage.Hwnd()) {
        m_More = m_MorePage.Collect();
        m_MorePage.ApplyStartupEntry();
    }
    Dialog::OnOK();
}
