#include "keyboard/PeloDlg.h"

#include <olectl.h>

#include <cstring>
#include <string>

#include "app/ProgramState.h"
#include "config/Config.h"
#include "framework/FlagScope.h"
#include "framework/window/Application.h"
#include "framework/window/PopupMenu.h"
#include "more/MoreSettings.h"
#include "resource.h"
#include "settings/SettingsDlg.h"
#include "tools/KeyboardLayout.h"
#include "welcome/AboutDlg.h"
#include "welcome/WelcomeDlg.h"
#include "welcome/WelcomeIds.h"

using namespace pelo::program;
using pelo::dialog::CommandState;

namespace {

constexpr UINT WM_TRAY_NOTIFY = WM_USER + 5;
constexpr UINT kTrayIconId = 103;
constexpr wchar_t kCaption[] = L"Pelo提醒您";
constexpr wchar_t kTipOn[] = L"Pelo - 功能开启";
constexpr wchar_t kTipOff[] = L"Pelo - 功能关闭";

bool IsMappedKey(WPARAM key)
{
    return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}

HICON LoadSharedIcon(UINT id)
{
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

} // namespace

CPeloDlg::CPeloDlg(HWND hParent)
    : DialogT(::GetModuleHandleW(nullptr), IDD_PELO_DIALOG)
    , m_hParent(hParent)
{
    for (int i = 0; i < KEY_BUTTON_COUNT; ++i) {
        m_pAxKey[i] = &m_axKey[i];
    }
}

INT_PTR CPeloDlg::DoModal()
{
    m_bFunctionOn = 1;
    return Dialog::DoModal(m_hParent);
}

const pelo::dialog::HandlerTable<CPeloDlg>& CPeloDlg::Handlers()
{
    static const pelo::dialog::HandlerTable<CPeloDlg> table {
        {
            { WM_SYSCOMMAND, &CPeloDlg::OnSysCommand },
            { WM_LBUTTONDOWN, &CPeloDlg::OnLButtonDown },
            { WM_TRAY_NOTIFY, &CPeloDlg::OnTrayNotify },
            { WM_HOTKEY, &CPeloDlg::OnHotKey },
            { WM_KEYDOWN, &CPeloDlg::OnKeyDown },
            { WM_RBUTTONDOWN, &CPeloDlg::OnRButtonDown },
            { WM_SHOWWINDOW, &CPeloDlg::OnShowWindow },
            { WM_CLOSE, &CPeloDlg::OnClose },
            { WM_MOVE, &CPeloDlg::OnMove },
            { WM_WINDOWPOSCHANGING, &CPeloDlg::OnWindowPosChanging },
            { WM_QUERYENDSESSION, &CPeloDlg::OnQueryEndSession },
            { WM_ENDSESSION, &CPeloDlg::OnEndSession },
        },
        {
            { ID_APP_EXIT, 0, &CPeloDlg::OnExit },
            { ID_APP_ABOUT, 0, &CPeloDlg::OnAbout },
            { ID_TOGGLE_FUNCTION, 0, &CPeloDlg::OnToggleFunction },
            { ID_SETTINGS, 0, &CPeloDlg::RunSettings },
        },
        {},
        { { L"TaskbarCreated", &CPeloDlg::OnTaskbarCreated } },
        { { ID_SCHEME_1, ID_SCHEME_5, &CPeloDlg::OnChooseScheme } },
        {
            { ID_TOGGLE_FUNCTION, ID_TOGGLE_FUNCTION, &CPeloDlg::OnUpdateToggleFunction },
            { ID_SCHEME_1, ID_SCHEME_5, &CPeloDlg::OnUpdateScheme },
        },
        { { IDC_SHIFT_KEY, DISPID_CLICK, &CPeloDlg::OnShiftClick } },
    };
    return table;
}

const std::vector<pelo::dialog::ExchangeRow<CPeloDlg>>& CPeloDlg::ExchangeRows()
{
    static const std::vector<pelo::dialog::ExchangeRow<CPeloDlg>> rows;
    return rows;
}

bool CPeloDlg::BindKeyButtons()
{
    bool all = true;
    for (const pelo::program::layout::KeyCell& cell : pelo::program::layout::KeyboardWindowKeys()) {
        const int index
            = cell.keyChar == 0 ? SHIFT_BUTTON : KeyCharToIndex(static_cast<unsigned char>(cell.keyChar));
        all = m_axKey[index].Attach(ControlDispatch(cell.id), Item(cell.id)) && all;
    }
    return all;
}

BOOL CPeloDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    const ModalScope startUp(*this);
    BindKeyButtons();
    m_KeyNameTips.Create(Hwnd(), m_pAxKey, KEY_COUNT, m_axKey[SHIFT_BUTTON].Hwnd());
    // Dialogs opened without a parent from here on are owned by the topmost keyboard.
    if (pelo::window::Application* app = pelo::window::Application::Current()) {
        app->SetMainWindow(Hwnd());
    }
    m_KeyboardHook.StartHook();
    Dll_Setg_hWndMainInDll(Hwnd());
    const WindowPos pos = ReadWindowPos(kConfigFile, m_nWndWidth, m_nWndHeight);
    m_nWndPosX = pos.x;
    m_nWndPosY = pos.y;
    g_HotKeySetting.ReadFromIni(kConfigFile);
    g_MoreSettings = ReadMoreSettings(kConfigFile);
    ApplyToHook(g_MoreSettings);
    const bool registered = g_HotKeySetting.RegisterHotKeyTo(Hwnd(), kHotKeyId) != 0;
    if (!RegisterSchemeHotKey() || !registered) {
        ShowOwnMessage(L"快捷键有冲突！请重新设置！", MB_ICONEXCLAMATION);
    }
    if (m_bShutDown) {
        return TRUE; // the session ended meanwhile
    }
    g_nCurrentSlot = ReadSlotNumber(kConfigFile);
    CheckFangAnFiles(g_szFangAnNames);
    if (!LoadSlotScheme(g_nCurrentSlot)) {
        // No scheme is in use yet: the default characters for this run, written nowhere.
        g_CurrentFangAn.SetDefaultFangAn(g_szFangAnNames[g_nCurrentSlot - 1]);
        ReportUnreadableScheme(g_nCurrentSlot, L"这次先使用默认的键盘方案，退出时不会改写这个文件。");
        if (m_bShutDown) {
            return TRUE;
        }
    }
    ApplySchemeToKeys(g_CurrentFangAn);
    ::SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    AddTrayIcon();
    m_bShowWelcome = ReadShowWelcome(kConfigFile);
    if (m_bShowWelcome == 1 && !Closing()) {
        RunWelcome();
    }
    return TRUE;
}

void CPeloDlg::RunWelcome()
{
    // Still hidden: the welcome dialog and what it opens come before the keyboard window.
    CWelcomeDlg welcome;
    const INT_PTR result = welcome.DoModal();
    if (m_bShutDown || (result != IDOK && result != IDCANCEL)) {
        return; // never shown, so the user has not answered; or nothing is written any more
    }
    if (result == IDOK && !m_bCloseRequested) {
        if (welcome.m_nChoice == CWelcomeDlg::kShowHelp) {
            ShowHelpFile(Hwnd(), m_HelpViewer);
        } else if (welcome.m_nChoice == CWelcomeDlg::kCustomise) {
            RunSettings();
        }
    }
    m_bShowWelcome = welcome.m_bDontShowAgain == 0 ? 1 : 0;
    WriteShowWelcome(kConfigFile, m_bShowWelcome);
}

void CPeloDlg::RunAbout()
{
    if (Closing()) {
        return;
    }
    const ModalScope modal(*this);
    CAboutDlg about;
    about.DoModal();
}

void CPeloDlg::ShowHelp()
{
    const ModalScope modal(*this); // its messages, when it cannot show the file
    ShowHelpFile(Hwnd(), m_HelpViewer);
}

int CPeloDlg::ShowOwnMessage(const std::wstring& text, UINT type)
{
    if (Closing()) {
        return IDCANCEL; // nothing more to answer once the program is closing
    }
    const ModalScope modal(*this);
    return pelo::dialog::ShowMessageBox(Hwnd(), text, kCaption, type);
}

void CPeloDlg::ReportUnreadableScheme(int nSlot, const wchar_t* consequence)
{
    const FangAnSlot* slot = FangAnSlotOf(nSlot);
    std::wstring path = slot ? slot->szPath : L"";
    if (path.rfind(L".\\", 0) == 0) {
        path.erase(0, 2);
    }
    ShowOwnMessage(
        L"无法读取键盘方案文件“" + path + L"”，它可能正被其他程序使用，或者没有读取权限。\n" + consequence,
        MB_ICONEXCLAMATION);
}

void CPeloDlg::ApplySchemeToKeys(const CKeyMapFangAn& scheme)
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        m_pAxKey[i]->SetTChar1(static_cast<short>(scheme.GetKeyTChar(i, 0)));
        m_pAxKey[i]->SetTChar2(static_cast<short>(scheme.GetKeyTChar(i, 1)));
    }
}

int CPeloDlg::LoadSlotScheme(int nSlot)
{
    const FangAnSlot* slot = FangAnSlotOf(nSlot);
    // Into a copy that starts as the current scheme, whose characters a short file keeps where it
    // ends; taken only once the file has been read.
    CKeyMapFangAn scheme = g_CurrentFangAn;
    if (!slot || !scheme.LoadFangAnFile(slot->szPath)) {
        // A default scheme made for a missing file that could not be saved reached the hook.
        Dll_SetFangAnInHook(&g_CurrentFangAn);
        return 0;
    }
    g_CurrentFangAn = scheme;
    g_nCurrentSlot = nSlot;
    g_nLoadedSlot = nSlot;
    return 1;
}

void CPeloDlg::SaveSlotScheme(int nSlot)
{
    const FangAnSlot* slot = FangAnSlotOf(nSlot);
    g_CurrentFangAn.SaveFangAnFile(slot ? slot->szPath : L"");
}

void CPeloDlg::AddTrayIcon()
{
    m_hTrayIcon = LoadSharedIcon(m_bFunctionOn ? IDI_FUNCTION_ON : IDI_FUNCTION_OFF);
    m_TrayIcon.Add(Hwnd(), kTrayIconId, WM_TRAY_NOTIFY, m_hTrayIcon, m_bFunctionOn ? kTipOn : kTipOff);
}

void CPeloDlg::ToggleFunction()
{
    if (m_bShutDown) {
        return; // the session ended inside a dialog: nothing is switched on again
    }
    const int on = m_bFunctionOn == 0 ? 1 : 0;
    m_bFunctionOn = on;
    // The hook before the window: once the window shows the new state, keys already follow it.
    if (!on) {
        m_KeyboardHook.StopHook();
    } else if (!m_bInSettings) {
        // Not while the settings are open: the hook follows the switch once they have closed.
        m_KeyboardHook.StartHook();
    }
    // Showing the window and changing the tray let messages sent meanwhile in: a switch made by
    // one of them brings the window, the icon and the hook in line, and is the last one.
    ::ShowWindow(Hwnd(), on ? SW_SHOW : SW_HIDE);
    if (m_bFunctionOn != on) {
        return;
    }
    m_hTrayIcon = LoadSharedIcon(on ? IDI_FUNCTION_ON : IDI_FUNCTION_OFF);
    m_TrayIcon.Modify(m_hTrayIcon, on ? kTipOn : kTipOff);
}

void CPeloDlg::ShowFunctionMenu(bool bForeground)
{
    if (Closing()) {
        return;
    }
    const ModalScope modal(*this);
    // The slot number is not read again: whatever config.ini says now (another copy may have
    // written it, or it could not be written), the scheme in use is the one this copy loaded.
    CheckFangAnFiles(g_szFangAnNames);
    POINT cursor {};
    ::GetCursorPos(&cursor);
    if (bForeground) {
        ::SetForegroundWindow(Hwnd());
    }
    const CKeyNameTips::Quiet quiet(m_KeyNameTips);
    const pelo::window::PopupMenu menu(Module(), IDR_FUNCTION_MENU);
    menu.Track(cursor, Hwnd());
}

LRESULT CPeloDlg::OnSysCommand(WPARAM wParam, LPARAM)
{
    if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        RunAbout();
        return 0;
    }
    return Default();
}

LRESULT CPeloDlg::OnLButtonDown(WPARAM, LPARAM lParam)
{
    // No caption: a press on the margins moves the window as a caption would.
    ::PostMessageW(Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, lParam);
    return Default();
}

LRESULT CPeloDlg::OnRButtonDown(WPARAM, LPARAM)
{
    ShowFunctionMenu(false);
    return Default();
}

LRESULT CPeloDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != kTrayIconId) {
        return 0;
    }
    if (lParam == WM_LBUTTONDOWN) {
        ToggleFunction();
    } else if (lParam == WM_RBUTTONDOWN) {
        ShowFunctionMenu(true);
    }
    return 0;
}

LRESULT CPeloDlg::OnTaskbarCreated(WPARAM, LPARAM)
{
    // A restarted shell has no icons; add ours again in the state it was in.
    m_TrayIcon.Delete();
    AddTrayIcon();
    return 0;
}

LRESULT CPeloDlg::OnHotKey(WPARAM wParam, LPARAM)
{
    if (static_cast<int>(wParam) == g_HotKeySetting.GetRegisteredId()) {
        ToggleFunction();
    } else if (static_cast<int>(wParam) == kSchemeHotKeyId && m_bSchemeHotKeyOn) {
        // The next of the five schemes, as the menu would choose it.
        OnChooseScheme(ID_SCHEME_1 + g_nCurrentSlot % FANGAN_SLOT_COUNT);
    }
    return 0;
}

bool CPeloDlg::RegisterSchemeHotKey()
{
    m_bSchemeHotKeyOn
        = g_MoreSettings.HasSchemeHotKey() && pelo::program::RegisterSchemeHotKey(Hwnd(), g_MoreSettings);
    return m_bSchemeHotKeyOn || !g_MoreSettings.HasSchemeHotKey();
}

void CPeloDlg::UnregisterSchemeHotKey()
{
    if (m_bSchemeHotKeyOn) {
        ::UnregisterHotKey(Hwnd(), kSchemeHotKeyId);
        m_bSchemeHotKeyOn = false;
    }
}

void CPeloDlg::ShowSchemeIndicator()
{
    const auto* name = reinterpret_cast<const wchar_t*>(g_szFangAnNames[g_nCurrentSlot - 1]);
    m_SchemeIndicator.Show(Hwnd(), name);
}

LRESULT CPeloDlg::OnKeyDown(WPARAM wParam, LPARAM lParam)
{
    if (IsMappedKey(wParam)) {
        const int shift = ::GetKeyState(VK_SHIFT) < 0 || m_bShiftDown != 0;
        const wchar_t tchar = Dll_ConvertKeyCharToTChar(static_cast<unsigned int>(wParam), shift);
        Dll_SendTCharToFocus(tchar, static_cast<long>(lParam));
    }
    return Default();
}

LRESULT CPeloDlg::OnShowWindow(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    ::MoveWindow(Hwnd(), m_nWndPosX, m_nWndPosY, m_nWndWidth, m_nWndHeight, TRUE);
    return result;
}

LRESULT CPeloDlg::OnMove(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    RECT rect {};
    ::GetWindowRect(Hwnd(), &rect);
    if (g_bFirstMove == 1) {
        g_bFirstMove = 0;
        m_nWndWidth = rect.right - rect.left;
        m_nWndHeight = rect.bottom - rect.top;
    } else {
        // The window's own corner, not the client origin WM_MOVE carries: moved back there, the
        // window stays put instead of creeping by its border on every hide, show and start.
        m_nWndPosX = rect.left;
        m_nWndPosY = rect.top;
    }
    return result;
}

void CPeloDlg::OnAbout()
{
    RunAbout();
}

void CPeloDlg::OnToggleFunction()
{
    ToggleFunction();
}

void CPeloDlg::RunSettings()
{
    // Also refused while an earlier command has not finished (before its dialog is shown, or
    // while its conflict message is up), and once the program is closing.
    if (g_bSettingsOpen == 1 || m_bInSettings || Closing()) {
        return;
    }
    const ModalScope modal(*this);
    {
        const pelo::FlagScope inSettings(m_bInSettings);
        RunSettingsDialog();
    }
    // Whatever was switched meanwhile, the hook now follows the function.
    if (m_bFunctionOn && !Closing()) {
        m_KeyboardHook.StartHook();
    }
}

void CPeloDlg::RunSettingsDialog()
{
    m_KeyboardHook.StopHook();
    CSettingsDlg dlg;
    CHotKeySetting::UnregisterHotKeyFrom(Hwnd(), kHotKeyId);
    UnregisterSchemeHotKey();
    m_pSettingsDlg = &dlg;
    const INT_PTR result = dlg.DoModal();
    m_pSettingsDlg = nullptr;
    if (m_bShutDown) {
        return; // the session ended meanwhile, and the shutdown took what the dialog left
    }
    // A scheme the page made current is in use from now on as its file holds it; one that cannot
    // be read is used as the page left it, and not written back at exit.
    if (!CurrentFangAnLoaded()) {
        LoadSlotScheme(g_nCurrentSlot);
    }
    TakeSettingsNames(dlg);
    if (m_bCloseRequested) {
        return; // Exit meanwhile: the shutdown follows, and nothing else of this command
    }
    const bool registered = g_HotKeySetting.RegisterHotKeyTo(Hwnd(), kHotKeyId) != 0;
    if (registered && result == IDOK) {
        g_HotKeySetting.WriteToIni(kConfigFile);
    }
    if (result == IDOK) {
        g_MoreSettings = dlg.More();
    }
    const bool schemeRegistered = RegisterSchemeHotKey();
    if (result == IDOK) {
        WriteMoreSettings(kConfigFile, g_MoreSettings, schemeRegistered);
        ApplyToHook(g_MoreSettings);
    }
    if (!registered || !schemeRegistered) {
        ShowOwnMessage(L"快捷键有冲突！\n请重新设置快捷键！", MB_ICONEXCLAMATION);
    }
    // The page handed every scheme it loaded to the hook library; the hook types the current one.
    Dll_SetFangAnInHook(&g_CurrentFangAn);
    ApplySchemeToKeys(g_CurrentFangAn);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void CPeloDlg::TakeSettingsNames(const CSettingsDlg& dlg)
{
    std::memcpy(g_szFangAnNames, dlg.KeyMapPage().FangAnNames(), sizeof g_szFangAnNames);
    g_CurrentFangAn.SetFangAnName(g_szFangAnNames[g_nCurrentSlot - 1]);
}

void CPeloDlg::OnChooseScheme(int id)
{
    if (Closing()) {
        return;
    }
    const int nSlot = id - ID_SCHEME_1 + 1;
    if (!LoadSlotScheme(nSlot)) {
        ReportUnreadableScheme(nSlot, L"仍然使用原来的键盘方案。");
        return;
    }
    WriteSlotNumber(kConfigFile, g_nCurrentSlot);
    ApplySchemeToKeys(g_CurrentFangAn);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
    ShowSchemeIndicator();
}

void CPeloDlg::OnUpdateToggleFunction(CommandState& state)
{
    WORD modifiers = 0, virtualKey = 0;
    g_HotKeySetting.GetHotKey(modifiers, virtualKey);
    state.SetText(L"开启/关闭功能(&S)" + CHotKeySetting::FormatHotKeyText(modifiers, virtualKey));
    state.SetCheck(m_bFunctionOn == 1);
}

void CPeloDlg::OnUpdateScheme(CommandState& state)
{
    const int slot = state.Id() - ID_SCHEME_1 + 1;
    const auto* name = reinterpret_cast<const wchar_t*>(g_szFangAnNames[slot - 1]);
    state.SetText(std::wstring(name) + L"(&" + std::to_wstring(slot) + L")");
    // The scheme in use: none while the current slot's file could not be read.
    state.SetCheck(CurrentFangAnLoaded() && g_nCurrentSlot == slot);
}

void CPeloDlg::OnShiftClick()
{
    m_bShiftDown = m_bShiftDown == 1 ? 0 : 1;
    Dll_Setg_bAxBnShiftDownInHook(m_bShiftDown);
    for (int i = 0; i < KEY_COUNT; ++i) {
        m_pAxKey[i]->SetbShiftDown(m_bShiftDown);
    }
}
