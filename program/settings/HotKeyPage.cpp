#include "settings/HotKeyPage.h"

#include <commctrl.h>

#include "app/ProgramState.h"
#include "settings/SettingsIds.h"

namespace {
constexpr WPARAM kDefaultHotKey = MAKEWORD('D', HOTKEYF_CONTROL); // Ctrl+D
}

CHotKeyPage::CHotKeyPage()
    : DialogT(::GetModuleHandleW(nullptr), IDD_HOTKEY_PAGE)
{
}

const pelo::dialog::HandlerTable<CHotKeyPage>& CHotKeyPage::Handlers()
{
    static const pelo::dialog::HandlerTable<CHotKeyPage> table {
        {},
        { { IDC_DEFAULT_HOTKEY, BN_CLICKED, &CHotKeyPage::OnDefaultHotKey } },
        {},
    };
    return table;
}

const std::vector<pelo::dialog::ExchangeRow<CHotKeyPage>>& CHotKeyPage::ExchangeRows()
{
    static const std::vector<pelo::dialog::ExchangeRow<CHotKeyPage>> rows;
    return rows;
}

BOOL CHotKeyPage::OnInitDialog()
{
    Dialog::OnInitDialog();
    m_HotKeyCtrl = Item(IDC_HOTKEY);
    g_HotKeySetting.ShowInHotKeyCtrl(m_HotKeyCtrl);
    return TRUE;
}

void CHotKeyPage::OnDefaultHotKey()
{
    // The record is not touched: the new value counts only when the settings are confirmed.
    ::SendMessageW(m_HotKeyCtrl, HKM_SETHOTKEY, kDefaultHotKey, 0);
    ::SetFocus(m_HotKeyCtrl);
}
