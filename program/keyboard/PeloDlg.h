// The keyboard window: a captionless, always-on-top tool window with the 36 mapped keys and a
// Shift key, run modally for the whole life of the program. It owns the tray icon, the popup
// menu, the on/off switch, the soft Shift, scheme switching and the remembered position.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog/Dialog.h"
#include "framework/window/TrayIcon.h"
#include "hook/Pelohook.h"
#include "keyboard/KeyNameTips.h"
#include "keyboard/Pelokey.h"
#include "more/SchemeIndicator.h"
#include "welcome/HtmlHelpViewer.h"

class CSettingsDlg;

constexpr int KEY_BUTTON_COUNT = KEY_COUNT + 1; // the 36 keys in key-index order, then Shift
constexpr int SHIFT_BUTTON = KEY_COUNT;

class CPeloDlg : public pelo::dialog::DialogT<CPeloDlg> {
public:
    explicit CPeloDlg(HWND hParent);

    // Switches the function on, then runs the window until the shutdown ends it.
    INT_PTR DoModal();

    static const pelo::dialog::HandlerTable<CPeloDlg>& Handlers();
    static const std::vector<pelo::dialog::ExchangeRow<CPeloDlg>>& ExchangeRows();

    // Shows a scheme on the 36 key buttons (the Shift button is not touched).
    void ApplySchemeToKeys(const CKeyMapFangAn& scheme);
    void ToggleFunction();
    void ShowFunctionMenu(bool bForeground);
    // Loads the slot's key-map file into the current scheme, which from then on belongs to that
    // slot; 1 when loaded. A file that cannot be read leaves the scheme in use as it was.
    int LoadSlotScheme(int nSlot);
    void SaveSlotScheme(int nSlot);
    // The settings command: runs the settings dialog with the hook stopped and the hotkey
    // unregistered, then registers the hotkey again and brings the keyboard up to date.
    void RunSettings();
    // The window's help request, where the application's Help command ends: the help file, shown
    // whatever the request's context.
    void ShowHelp();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { } // Enter does not close the keyboard
    void OnCancel() override { } // nor does Esc

private:
    // A modal run of ours inside the keyboard's own loop (the start-up, a dialog, a message box,
    // the menu): a close asked for meanwhile is carried out once the last of them has ended.
    class ModalScope {
    public:
        explicit ModalScope(CPeloDlg& dlg) noexcept;
        ~ModalScope();
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        CPeloDlg& m_dlg;
    };

    bool BindKeyButtons();
    void AddTrayIcon();
    // The close of WM_CLOSE and the Exit command: at once, or once the modal runs have ended.
    void RequestClose();
    // Ends every dialog and message box of ours that is open, as their Cancel would, and the menu.
    void EndOpenDialogs();
    void ShutDown();
    [[nodiscard]] bool Closing() const { return m_bCloseRequested || m_bShutDown; }
    void RunWelcome();
    void RunAbout();
    void RunSettingsDialog();
    // The scheme names as the settings left them, and the current scheme's among them.
    static void TakeSettingsNames(const CSettingsDlg& dlg);
    // Registers the scheme hotkey of the settings in use, if there is one; false on a conflict.
    bool RegisterSchemeHotKey();
    void UnregisterSchemeHotKey();
    void ShowSchemeIndicator();
    int ShowOwnMessage(const std::wstring& text, UINT type);
    void ReportUnreadableScheme(int nSlot, const wchar_t* consequence);

    LRESULT OnSysCommand(WPARAM, LPARAM);
    LRESULT OnLButtonDown(WPARAM, LPARAM);
    LRESULT OnRButtonDown(WPARAM, LPARAM);
    LRESULT OnTrayNotify(WPARAM, LPARAM);
    LRESULT OnTaskbarCreated(WPARAM, LPARAM);
    LRESULT OnHotKey(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM, LPARAM);
    LRESULT OnShowWindow(WPARAM, LPARAM);
    LRESULT OnMove(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnWindowPosChanging(WPARAM, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM, LPARAM);
    void OnExit();
    void OnAbout();
    void OnToggleFunction();
    void OnChooseScheme(int id);
    void OnUpdateToggleFunction(pelo::dialog::CommandState& state);
    void OnUpdateScheme(pelo::dialog::CommandState& state);
    void OnShiftClick();

    CPelokey m_axKey[KEY_BUTTON_COUNT];
    CPelokey* m_pAxKey[KEY_BUTTON_COUNT];
    int m_nWndWidth = 0;
    int m_nWndHeight = 0;
    int m_nWndPosX = 0;
    int m_nWndPosY = 0;
    int m_bShowWelcome = 1;
    int m_bFunctionOn = 0;
    int m_bShiftDown = 0;
    HICON m_hTrayIcon = nullptr; // shared icon from the resources, not destroyed
    HWND m_hParent;
    CKeyboardHook m_KeyboardHook;
    pelo::window::TrayIcon m_TrayIcon;
    CHtmlHelpViewer m_HelpViewer;
    CKeyNameTips m_KeyNameTips;
    int m_nModalDepth = 0;
    bool m_bCloseRequested = false;
    bool m_bShutDown = false;
    bool m_bInSettings = false; // the settings command runs: the hook stays off
    const CSettingsDlg* m_pSettingsDlg = nullptr; // while the settings dialog runs
    bool m_bSchemeHotKeyOn = false; // the scheme hotkey is registered
    CSchemeIndicator m_SchemeIndicator;
};
