// How the keyboard window closes: by WM_CLOSE and the Exit command once nothing of ours is open,
// and at once when the Windows session ends.
#include <cwchar>
#include <vector>

#include "app/ProgramState.h"
#include "app/Registration.h"
#include "config/Config.h"
#include "keyboard/PeloDlg.h"

using namespace pelo::program;

namespace {

struct ThreadDialogs {
    HWND except;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM data)
{
    auto* dialogs = reinterpret_cast<ThreadDialogs*>(data);
    wchar_t className[8] = L"";
    if (hwnd == dialogs->except || !::GetClassNameW(hwnd, className, 8)
        || std::wcscmp(className, L"#32770") != 0) {
        return TRUE;
    }
    try {
        dialogs->found.push_back(hwnd);
    } catch (...) {
        return FALSE; // nothing leaves the callback
    }
    return TRUE;
}

} // namespace

CPeloDlg::ModalScope::ModalScope(CPeloDlg& dlg) noexcept
    : m_dlg(dlg)
{
    ++m_dlg.m_nModalDepth;
}

CPeloDlg::ModalScope::~ModalScope()
{
    if (--m_dlg.m_nModalDepth == 0 && m_dlg.m_bCloseRequested && !m_dlg.m_bShutDown) {
        // From the keyboard's own loop, once whatever ran here has returned.
        ::PostMessageW(m_dlg.Hwnd(), WM_CLOSE, 0, 0);
    }
}

void CPeloDlg::RequestClose()
{
    if (m_bShutDown) {
        return;
    }
    if (m_nModalDepth == 0) {
        ShutDown();
        return;
    }
    m_bCloseRequested = true;
    EndOpenDialogs();
}

void CPeloDlg::EndOpenDialogs()
{
    ::EndMenu();
    // Top-level dialogs and message boxes of this thread (the pages of the settings are children).
    ThreadDialogs dialogs { Hwnd(), {} };
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs.found) {
        if (::IsWindow(dialog)) {
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    }
}

void CPeloDlg::ShutDown()
{
    if (m_bShutDown) {
        return;
    }
    m_bShutDown = true;
    // Only the end of the session gets here with something of ours still open.
    EndOpenDialogs();
    if (m_pSettingsDlg) {
        TakeSettingsNames(*m_pSettingsDlg); // a scheme renamed meanwhile keeps its new name
    }
    m_KeyboardHook.StopHook();
    m_TrayIcon.Delete();
    WriteWindowPos({ m_nWndPosX, m_nWndPosY }, m_nWndWidth, m_nWndHeight, kConfigFile);
    g_HotKeySetting.WriteToIni(kConfigFile);
    CHotKeySetting::UnregisterHotKeyFrom(Hwnd(), kHotKeyId);
    UnregisterSchemeHotKey();
    // Only a scheme loaded from its slot's file goes back there, and only then is its slot the
    // one to start with next time.
    if (CurrentFangAnLoaded()) {
        SaveSlotScheme(g_nCurrentSlot);
        WriteSlotNumber(kConfigFile, g_nCurrentSlot);
    }
    EndDialog(IDCANCEL);
}

LRESULT CPeloDlg::OnClose(WPARAM, LPARAM)
{
    RequestClose();
    return 0;
}

void CPeloDlg::OnExit()
{
    RequestClose();
}

LRESULT CPeloDlg::OnWindowPosChanging(WPARAM, LPARAM lParam)
{
    // Whoever shows the window (the dialog manager at the end of the start-up, too), it is shown
    // only while the function is on and the program is not closing.
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    if ((pos->flags & SWP_SHOWWINDOW) != 0 && (m_bFunctionOn == 0 || Closing())) {
        pos->flags &= ~SWP_SHOWWINDOW;
    }
    return Default();
}

LRESULT CPeloDlg::OnQueryEndSession(WPARAM, LPARAM)
{
    return TRUE; // nothing to ask: the end of the session saves everything
}

LRESULT CPeloDlg::OnEndSession(WPARAM wParam, LPARAM)
{
    if (wParam == FALSE) {
        return 0; // the log-off or shut-down was cancelled: the program runs on
    }
    // The process may be ended as soon as this returns: the whole shutdown and the removal of the
    // registration happen here and now, even with a dialog open or during the start-up.
    ShutDown();
    RemoveRegistrationOnce();
    return 0;
}
