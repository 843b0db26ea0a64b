// The dialog window: its messages, and the default OK, Cancel and initialisation.
#include "DialogInternal.h"

#include "framework/window/Application.h"

namespace pelo::dialog {

Dialog::Dialog(HINSTANCE module, UINT templateId) noexcept
    : m_module(module)
    , m_templateId(templateId)
{
}

Dialog::~Dialog()
{
    Destroy();
}

IDispatch* Dialog::ControlDispatch(int id) const noexcept
{
    return m_controls ? m_controls->Dispatch(id) : nullptr;
}

BOOL Dialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK()
{
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialogMessage();
    case WM_COMMAND:
        if (FilterCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam)) {
            UpdateMenuPopup(reinterpret_cast<HMENU>(wParam));
        }
        break;
    case WM_DESTROY: {
        // The controls close while their windows still exist, after the derived class's handler.
        LRESULT result = 0;
        if (!DispatchTable(message, wParam, lParam, result)) {
            result = Default();
        }
        if (m_controls) {
            m_controls->Destroy();
        }
        return result;
    }
    default:
        break;
    }
    LRESULT result = 0;
    if (DispatchTable(message, wParam, lParam, result)) {
        return result;
    }
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (code == BN_CLICKED && id == IDOK) {
            OnOK();
            return 0;
        }
        if (code == BN_CLICKED && id == IDCANCEL) {
            OnCancel();
            return 0;
        }
        if (window::IsPlainCommand(code, lParam)) {
            if (window::Application* app = window::Application::Current(); app && app->OnCommand(id)) {
                return 0;
            }
        }
    }
    return Default();
}

LRESULT Dialog::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_classProc ? m_classProc : &::DefDlgProcW, Hwnd(), message, wParam, lParam);
}

bool Dialog::PreTranslateMessage(MSG& msg)
{
    return Hwnd() && ::IsDialogMessageW(Hwnd(), &msg);
}

void Dialog::OnFinalMessage()
{
    m_controls.reset();
}

} // namespace pelo::dialog
