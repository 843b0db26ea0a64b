#include "settings/MorePage.h"

#include <commctrl.h>

#include "more/StartupEntry.h"
#include "settings/SettingsIds.h"

using pelo::program::MoreSettings;

CMorePage::CMorePage()
    : DialogT(::GetModuleHandleW(nullptr), IDD_MORE_PAGE)
{
}

const pelo::dialog::HandlerTable<CMorePage>& CMorePage::Handlers()
{
    static const pelo::dialog::HandlerTable<CMorePage> table {
        {},
        {
            { IDC_CLEAR_SCHEME_HOTKEY, BN_CLICKED, &CMorePage::OnClearSchemeHotKey },
            { IDC_ADD_PROGRAM, BN_CLICKED, &CMorePage::OnAddProgram },
            { IDC_REMOVE_PROGRAM, BN_CLICKED, &CMorePage::OnRemoveProgram },
        },
        {},
    };
    return table;
}

const std::vector<pelo::dialog::ExchangeRow<CMorePage>>& CMorePage::ExchangeRows()
{
    static const std::vector<pelo::dialog::ExchangeRow<CMorePage>> rows;
    return rows;
}

BOOL CMorePage::OnInitDialog()
{
    Dialog::OnInitDialog();
    const MoreSettings& settings = pelo::program::g_MoreSettings;
    ::SendMessageW(Item(IDC_SCHEME_HOTKEY), HKM_SETHOTKEY,
        MAKEWORD(settings.wSchemeVirtualKey & 0xFF, settings.wSchemeModifiers & 0xFF), 0);
    ::CheckDlgButton(Hwnd(), IDC_PASS_SHORTCUTS, settings.bPassShortcuts ? BST_CHECKED : BST_UNCHECKED);
    m_bStartupAtOpen = pelo::program::StartupEntryIsOurs();
    ::CheckDlgButton(Hwnd(), IDC_START_AT_LOGON, m_bStartupAtOpen ? BST_CHECKED : BST_UNCHECKED);
    ::SendMessageW(Item(IDC_PROGRAM_NAME), EM_LIMITTEXT, pelo::program::kMaxProgramNameChars, 0);
    for (const std::wstring& name : settings.excludedPrograms) {
        ::SendMessageW(Item(IDC_PROGRAM_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    return TRUE;
}

std::vector<std::wstring> CMorePage::ListedPrograms() const
{
    std::vector<std::wstring> names;
    const HWND list = Item(IDC_PROGRAM_LIST);
    const auto count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring name(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        const auto got
            = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name.data()));
        name.resize(static_cast<std::size_t>(got > 0 ? got : 0));
        names.push_back(name);
    }
    return names;
}

MoreSettings CMorePage::Collect() const
{
    MoreSettings settings;
    const auto value = static_cast<WORD>(::SendMessageW(Item(IDC_SCHEME_HOTKEY), HKM_GETHOTKEY, 0, 0));
    settings.wSchemeVirtualKey = LOBYTE(value);
    settings.wSchemeModifiers = settings.wSchemeVirtualKey != 0 ? HIBYTE(value) : 0;
    settings.bPassShortcuts = ::IsDlgButtonChecked(Hwnd(), IDC_PASS_SHORTCUTS) == BST_CHECKED;
    settings.excludedPrograms = ListedPrograms();
    return settings;
}

void CMorePage::ApplyStartupEntry()
{
    const bool wanted = ::IsDlgButtonChecked(Hwnd(), IDC_START_AT_LOGON) == BST_CHECKED;
    if (wanted == m_bStartupAtOpen) {
        return; // an entry of another copy of Pelo stays as it is unless the user asks
    }
    if (wanted && !pelo::program::CreateStartupEntry()) {
        Tell(L"无法在“启动”文件夹中创建Pelo的快捷方式，登录Windows时不会启动Pelo。");
    } else if (!wanted && !pelo::program::RemoveStartupEntry()) {
        Tell(L"无法删除“启动”文件夹中Pelo的快捷方式，登录Windows时仍会启动Pelo。");
    }
}

void CMorePage::Tell(const std::wstring& text)
{
    pelo::dialog::ShowMessageBox(Hwnd(), text, L"Pelo提醒您", MB_ICONEXCLAMATION);
}

void CMorePage::OnClearSchemeHotKey()
{
    ::SendMessageW(Item(IDC_SCHEME_HOTKEY), HKM_SETHOTKEY, 0, 0);
    ::SetFocus(Item(IDC_SCHEME_HOTKEY));
}

void CMorePage::OnAddProgram()
{
    const HWND edit = Item(IDC_PROGRAM_NAME);
    const pelo::program::ProgramNameCheck check
        = pelo::program::CheckProgramName(pelo::dialog::ControlText(edit), ListedPrograms());
    if (!check.problem.empty()) {
        Tell(check.problem);
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        return;
    }
    const auto index = ::SendMessageW(
        Item(IDC_PROGRAM_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(check.name.c_str()));
    ::SendMessageW(Item(IDC_PROGRAM_LIST), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SetWindowTextW(edit, L"");
    ::SetFocus(edit);
}

void CMorePage::OnRemoveProgram()
{
    const HWND list = Item(IDC_PROGRAM_LIST);
    const auto selected = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        return;
    }
    ::SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    const auto count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count > 0) {
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected < count ? selected : count - 1), 0);
    }
}
