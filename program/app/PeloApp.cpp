#include "app/PeloApp.h"

#include <commctrl.h>

#include "PelokeyIds.h"
#include "app/Registration.h"
#include "framework/container/ControlContainer.h"
#include "framework/dialog/Dialog.h"
#include "hook/Pelohook.h"
#include "keyboard/PeloDlg.h"
#include "resource.h"

const std::vector<pelo::window::AppCommandRow<CPeloApp>>& CPeloApp::Commands()
{
    static const std::vector<pelo::window::AppCommandRow<CPeloApp>> rows {
        { ID_HELP, &CPeloApp::OnHelp },
    };
    return rows;
}

void CPeloApp::OnHelp()
{
    // The main window answers the help request: the keyboard window once it runs.
    if (auto* keyboard = dynamic_cast<CPeloDlg*>(pelo::window::Window::FromHandle(MainWindow()))) {
        keyboard->ShowHelp();
    }
}

BOOL CPeloApp::InitInstance()
{
    // Every scheme table loaded or set from here on is what the hook types.
    SetFangAnTableSink(&Dll_SetFangAnInHook);
    // The manifest declares the key button class in the library beside the program; a library
    // that is not there is taken from the working folder.
    pelo::container::SetFallbackLibrary(pelokey::CLSID_Pelokey, L"Pelokey.ocx");
    pelo::program::RegisterOnceShown();
    INITCOMMONCONTROLSEX controls { sizeof controls, ICC_WIN95_CLASSES };
    ::InitCommonControlsEx(&controls);

    m_pMainFrame = std::make_unique<CMainFrame>();
    m_pMainFrame->LoadFrame();
    SetMainWindow(m_pMainFrame->Hwnd());

    CPeloDlg dlg(m_pMainFrame->Hwnd());
    if (dlg.DoModal() == -1) {
        // Nothing has been read yet, so nothing is written: the user's files stay as they are.
        pelo::dialog::ShowMessageBox(nullptr,
            L"无法加载按键控件库“Pelokey.ocx”，Pelo不能运行。\n"
            L"请确认Pelokey.ocx与Pelo.exe在同一文件夹中，并从这个文件夹启动Pelo。",
            L"Pelo提醒您", MB_ICONERROR);
        SetExitCode(1);
    }
    return FALSE;
}

int CPeloApp::ExitInstance()
{
    pelo::program::RemoveRegistrationOnce();
    return ExitCode();
}
