#include "settings/KeyMapPage.h"

#include <algorithm>
#include <cstring>

#include "app/ProgramState.h"
#include "charnames/CharacterNames.h"
#include "config/Config.h"
#include "settings/RenameDlg.h"
#include "settings/SettingsIds.h"
#include "tools/KeyboardLayout.h"

using pelo::dialog::ExchangeRow;

namespace {

constexpr wchar_t kCaption[] = L"Pelo提醒您";

bool IsMappedKey(WPARAM key)
{
    return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}

// A character as the one-character text of its edit; 0 (no character) shows as nothing.
std::wstring CharText(short tchar)
{
    return tchar == 0 ? std::wstring() : std::wstring(1, static_cast<wchar_t>(tchar));
}

const wchar_t* SlotPath(int nSlot)
{
    const FangAnSlot* slot = FangAnSlotOf(nSlot);
    return slot ? slot->szPath : nullptr;
}

// The file as the user finds it on disk, for messages.
std::wstring FullPath(const wchar_t* path)
{
    wchar_t full[MAX_PATH] = L"";
    const DWORD length = ::GetFullPathNameW(path, MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : std::wstring(path);
}

// Neither the file nor its folder is there (as opposed to there but not readable).
bool IsMissing(const wchar_t* path)
{
    if (::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

CKeyMapPage::CKeyMapPage()
    : DialogT(::GetModuleHandleW(nullptr), IDD_KEYMAP_PAGE)
{
    // The table the settings command copies back is the program's own until the page has run.
    std::memcpy(m_szFangAnNames, g_szFangAnNames, sizeof m_szFangAnNames);
    m_nSlot = g_nCurrentSlot;
}

const pelo::dialog::HandlerTable<CKeyMapPage>& CKeyMapPage::Handlers()
{
    static const pelo::dialog::HandlerTable<CKeyMapPage> table {
        {
            { WM_KEYDOWN, &CKeyMapPage::OnKeyDown },
            { WM_DESTROY, &CKeyMapPage::OnDestroy },
        },
        {
            { IDC_SCHEME_COMBO, CBN_SELCHANGE, &CKeyMapPage::OnSchemeChange },
            { IDC_RENAME_SCHEME, BN_CLICKED, &CKeyMapPage::OnRename },
            { IDC_USE_SCHEME, BN_CLICKED, &CKeyMapPage::OnUseScheme },
            { IDC_TCHAR1, EN_CHANGE, &CKeyMapPage::OnTChar1Change },
            { IDC_TCHAR2, EN_CHANGE, &CKeyMapPage::OnTChar2Change },
        },
        {},
    };
    return table;
}

const std::vector<ExchangeRow<CKeyMapPage>>& CKeyMapPage::ExchangeRows()
{
    static const std::vector<ExchangeRow<CKeyMapPage>> rows {
        ExchangeRow<CKeyMapPage>::Text(IDC_KEY_TEXT, &CKeyMapPage::m_strKey, 1),
        ExchangeRow<CKeyMapPage>::Text(IDC_TCHAR1, &CKeyMapPage::m_strTChar1, 1),
        ExchangeRow<CKeyMapPage>::Text(IDC_TCHAR2, &CKeyMapPage::m_strTChar2, 1),
    };
    return rows;
}

std::wstring CKeyMapPage::TooLongMessage(int maxChars) const
{
    return L"“请填入不多于" + std::to_wstring(maxChars) + L"个的字符。”";
}

BOOL CKeyMapPage::OnInitDialog()
{
    Dialog::OnInitDialog();
    m_ComboBox = Item(IDC_SCHEME_COMBO);
    for (const pelo::program::layout::KeyCell& cell : pelo::program::layout::KeyMapPageKeys()) {
        m_axKey[KeyCharToIndex(static_cast<unsigned char>(cell.keyChar))].Attach(
            ControlDispatch(cell.id), Item(cell.id));
    }
    KeyTCharPair table[KEY_COUNT];
    g_CurrentFangAn.GetKeyTable(table);
    m_WorkingFangAn.SetKeyTable(table);
    m_nSlot = g_nCurrentSlot;
    std::memcpy(m_szFangAnNames, g_szFangAnNames, sizeof m_szFangAnNames);
    ShowWorkingFangAn();
    for (const auto& name : m_szFangAnNames) {
        ::SendMessageW(m_ComboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    ::SendMessageW(m_ComboBox, CB_SETCURSEL, static_cast<WPARAM>(m_nSlot - 1), 0);
    return TRUE;
}

LRESULT CKeyMapPage::OnDestroy(WPARAM, LPARAM)
{
    // The key buttons close with the window; no call may reach them after that.
    m_pSelectedKey = nullptr;
    m_bKeySelected = 0;
    for (CPelokey& key : m_axKey) {
        key.Detach();
    }
    return Default();
}

HWND CKeyMapPage::MessageOwner() const
{
    return ::GetAncestor(Hwnd(), GA_ROOT);
}

void CKeyMapPage::ShowWorkingFangAn()
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        m_axKey[i].SetTChar1(static_cast<short>(m_WorkingFangAn.GetKeyTChar(i, 0)));
        m_axKey[i].SetTChar2(static_cast<short>(m_WorkingFangAn.GetKeyTChar(i, 1)));
    }
}

void CKeyMapPage::ReplaceComboEntry(int index, const char16_t* name)
{
    ::SendMessageW(m_ComboBox, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    ::SendMessageW(m_ComboBox, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name));
    ::SendMessageW(m_ComboBox, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CKeyMapPage::ReleaseSelectedKey()
{
    if (m_bKeySelected && m_pSelectedKey) {
        m_pSelectedKey->SetKeyDown(); // its pressed look goes off
    }
    m_pSelectedKey = nullptr;
    m_bKeySelected = 0;
}

void CKeyMapPage::ShowKeyNames()
{
    std::wstring line;
    if (m_bKeySelected && m_pSelectedKey) {
        const std::u16string names
            = pelo::charnames::DescribeKeyCharacters(static_cast<char16_t>(m_pSelectedKey->GetTChar1()),
                static_cast<char16_t>(m_pSelectedKey->GetTChar2()));
        line.assign(names.begin(), names.end());
    }
    pelo::dialog::SetControlText(Item(IDC_KEY_NAMES), line);
}

int CKeyMapPage::SaveWorkingFangAn()
{
    const wchar_t* path = SlotPath(m_nSlot);
    if (!path) {
        return 0;
    }
    m_WorkingFangAn.SetFangAnName(m_szFangAnNames[m_nSlot - 1]);
    const int saved = m_WorkingFangAn.SaveFangAnFile(path);
    if (saved && m_nSlot == g_nCurrentSlot) {
        KeyTCharPair table[KEY_COUNT];
        m_WorkingFangAn.GetKeyTable(table);
        g_CurrentFangAn.SetKeyTable(table);
    }
    return saved;
}

bool CKeyMapPage::SaveWorkingFangAnOrWarn(const wchar_t* outcome)
{
    if (SaveWorkingFangAn()) {
        return true;
    }
    const wchar_t* path = SlotPath(m_nSlot);
    pelo::dialog::ShowMessageBox(MessageOwner(),
        L"无法保存键盘方案文件：\n" + FullPath(path ? path : L"") + L"\n\n文件可能是只读的，或磁盘已满。"
            + outcome,
        kCaption, MB_ICONEXCLAMATION);
    return false;
}

bool CKeyMapPage::PreTranslateMessage(MSG& msg)
{
    // A key button tells the page of a click by posting WM_KEYDOWN to it. That is no keystroke:
    // the dialog manager would translate it into a character and press the button whose
    // mnemonic it is, so it goes straight to the page.
    if (msg.message == WM_KEYDOWN && msg.hwnd == Hwnd()) {
        ::DispatchMessageW(&msg);
        return true;
    }
    return Dialog::PreTranslateMessage(msg);
}

LRESULT CKeyMapPage::OnKeyDown(WPARAM wParam, LPARAM)
{
    if (IsMappedKey(wParam)) {
        ReleaseSelectedKey();
        CPelokey& key = m_axKey[KeyCharToIndex(static_cast<unsigned int>(wParam))];
        m_strKey = std::wstring(1, static_cast<wchar_t>(wParam));
        m_strTChar1 = CharText(key.GetTChar1());
        m_strTChar2 = CharText(key.GetTChar2());
        m_pSelectedKey = &key;
        m_bKeySelected = 1;
    }
    UpdateData(false);
    ShowKeyNames();
    return Default();
}

void CKeyMapPage::OnTChar1Change()
{
    OnTCharChange(0);
}

void CKeyMapPage::OnTChar2Change()
{
    OnTCharChange(1);
}

void CKeyMapPage::OnTCharChange(int which)
{
    if (InExchange()) {
        return; // the page is writing its own edits
    }
    std::wstring& text = which == 0 ? m_strTChar1 : m_strTChar2;
    const std::wstring before = text;
    if (!UpdateData(true) || !m_bKeySelected || !m_pSelectedKey || text == before) {
        return;
    }
    const char16_t tchar = text.empty() ? 0 : static_cast<char16_t>(text[0]);
    if (which == 0) {
        m_pSelectedKey->SetTChar1(static_cast<short>(tchar));
    } else {
        m_pSelectedKey->SetTChar2(static_cast<short>(tchar));
    }
    const int index = m_strKey.empty() ? -1 : KeyCharToIndex(static_cast<unsigned int>(m_strKey[0]));
    if (index >= 0 && index < KEY_COUNT) {
        m_WorkingFangAn.SetKeyTChar(index, which, tchar);
    }
    m_bModified = 1;
    ShowKeyNames();
}

void CKeyMapPage::OnSchemeChange()
{
    const int selection = static_cast<int>(::SendMessageW(m_ComboBox, CB_GETCURSEL, 0, 0));
    const auto stay
        = [this] { ::SendMessageW(m_ComboBox, CB_SETCURSEL, static_cast<WPARAM>(m_nSlot - 1), 0); };
    const wchar_t* path = SlotPath(selection + 1);
    if (!path) {
        stay();
        return;
    }
    if (m_bModified) {
        const int answer = pelo::dialog::ShowMessageBox(MessageOwner(),
            L"当前键盘方案尚未保存，是否保存？\n\n是：保存。否：不保存。取消：返回未保存的键盘方案。",
            kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDYES) {
            if (!SaveWorkingFangAnOrWarn(L"本页仍显示未保存的键盘方案，可以再试一次或不保存。")) {
                stay();
                return;
            }
            m_bModified = 0;
        } else if (answer != IDNO) {
            // Cancel (or a box that could not be shown): back to the unsaved scheme as it was.
            stay();
            return;
        }
    }
    // Into a copy first: a file that is there but cannot be read leaves the record as it was,
    // and that table must not pass for the chosen slot's. The page then stays as it was, with
    // any unsaved edits.
    CKeyMapFangAn loaded(m_WorkingFangAn);
    if (!loaded.LoadFangAnFile(path) && !IsMissing(path)) {
        pelo::dialog::ShowMessageBox(MessageOwner(),
            L"无法读取键盘方案文件：\n" + FullPath(path)
                + L"\n\n文件可能正被其他程序使用，或没有读取权限。文件保持原样，本页仍显示原来的键盘方案。",
            kCaption, MB_ICONEXCLAMATION);
        stay();
        return;
    }
    m_bModified = 0;
    m_strKey.clear();
    m_strTChar1.clear();
    m_strTChar2.clear();
    UpdateData(false);
    ReleaseSelectedKey();
    ShowKeyNames();

    m_nSlot = selection + 1;
    m_WorkingFangAn = loaded;
    m_WorkingFangAn.ReadFangAnName(path);
    char16_t name[FANGAN_NAME_UNITS + 1] = {};
    m_WorkingFangAn.GetFangAnName(name);
    std::copy(name, name + FANGAN_NAME_UNITS + 1, m_szFangAnNames[m_nSlot - 1]);
    ShowWorkingFangAn();
    ReplaceComboEntry(m_nSlot - 1, m_szFangAnNames[m_nSlot - 1]);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void CKeyMapPage::OnRename()
{
    CRenameDlg dlg(Hwnd());
    char16_t* entry = m_szFangAnNames[m_nSlot - 1];
    dlg.m_strName = reinterpret_cast<const wchar_t*>(entry);
    if (dlg.DoModal() != IDOK) {
        return;
    }
    const std::size_t length = std::min<std::size_t>(dlg.m_strName.size(), FANGAN_NAME_UNITS);
    char16_t previous[FANGAN_NAME_UNITS + 1];
    std::copy(entry, entry + FANGAN_NAME_UNITS + 1, previous);
    std::fill(entry, entry + FANGAN_NAME_UNITS + 1, u'\0');
    std::copy(dlg.m_strName.begin(), dlg.m_strName.begin() + static_cast<std::ptrdiff_t>(length), entry);
    // At once and with any unsaved key edits; the edits still count as unsaved. A name that
    // could not be written is not taken: the file keeps the old one.
    if (!SaveWorkingFangAnOrWarn(L"方案名没有更改。")) {
        std::copy(previous, previous + FANGAN_NAME_UNITS + 1, entry);
        m_WorkingFangAn.SetFangAnName(entry);
        return;
    }
    ReplaceComboEntry(m_nSlot - 1, entry);
}

void CKeyMapPage::OnUseScheme()
{
    std::wstring message;
    if (m_bModified) {
        if (!SaveWorkingFangAnOrWarn(L"本键盘方案没有设置为当前方案，修改仍保留在本页中。")) {
            return;
        }
        m_bModified = 0;
        message = L"本键盘方案已保存，";
    }
    g_nCurrentSlot = m_nSlot;
    pelo::program::WriteSlotNumber(pelo::program::kConfigFile, g_nCurrentSlot);
    KeyTCharPair table[KEY_COUNT];
    m_WorkingFangAn.GetKeyTable(table);
    g_CurrentFangAn.SetKeyTable(table);
    message += message.empty() ? L"本键盘方案已设置为当前方案，退出设置对话框后即可使用。"
                               : L"并设置为当前方案，退出设置对话框后即可使用。";
    pelo::dialog::ShowMessageBox(MessageOwner(), message, kCaption, MB_ICONINFORMATION);
}
