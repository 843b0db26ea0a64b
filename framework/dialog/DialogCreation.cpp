// Creating a dialog from its template: the window is bound to its object as it is created, and
// the template's ActiveX controls are made before the derived initialisation runs.
#include "DialogInternal.h"

#include <utility>

namespace pelo::dialog {

namespace {

// The dialog whose window is being created on this thread, taken when the window is created.
thread_local Dialog* t_creating = nullptr;

} // namespace

HWND Dialog::CreateFromTemplate(HWND owner) noexcept
{
    try {
        DWORD size = 0;
        const void* data = FindDialogTemplate(m_module, m_templateId, size);
        if (!data) {
            return nullptr;
        }
        auto creation = std::make_unique<Creation>();
        if (!container::PrepareDialogTemplate(data, size, {}, creation->prepared)) {
            return nullptr;
        }
        if (!creation->prepared.controls.empty()
            && !container::LoadDialogInit(m_module, MAKEINTRESOURCEW(m_templateId), creation->records)) {
            return nullptr;
        }
        m_creation = std::move(creation);
    } catch (...) {
        return nullptr;
    }
    // The dialog keeps the system's dialog class (tools and tests know dialogs by it); the object
    // takes over the window when it is created, before its first message.
    const UniqueHhook hook(
        ::SetWindowsHookExW(WH_CBT, &Dialog::CreationHook, nullptr, ::GetCurrentThreadId()));
    if (!hook) {
        m_creation.reset();
        return nullptr;
    }
    m_controlsFailed = false;
    Dialog* const outer = std::exchange(t_creating, this);
    const HWND hwnd = ::CreateDialogIndirectParamW(m_module,
        reinterpret_cast<const DLGTEMPLATE*>(m_creation->prepared.bytes.data()), owner, &Dialog::DialogProc,
        0);
    t_creating = outer;
    m_creation.reset();
    // Creation fails as a whole when a control could not be made (the window is gone then).
    if (!hwnd || Hwnd() != hwnd || m_controlsFailed) {
        if (Hwnd()) {
            ::DestroyWindow(Hwnd());
        }
        return nullptr;
    }
    return hwnd;
}

bool Dialog::Create(HWND parent) noexcept
{
    if (Hwnd()) {
        return false;
    }
    m_modal = false;
    if (!CreateFromTemplate(parent)) {
        return false;
    }
    OwnWindow();
    return Hwnd() != nullptr;
}

LRESULT Dialog::OnInitDialogMessage()
{
    if (m_creation && !m_creation->prepared.controls.empty()) {
        HRESULT hr = E_OUTOFMEMORY;
        try {
            m_controls = std::make_unique<container::ControlContainer>();
            hr = m_controls->Create(Hwnd(), m_creation->prepared.controls, m_creation->records,
                [this](int id, DISPID dispid, DISPPARAMS*) { (void)DispatchEvent(id, dispid); });
        } catch (...) {
            hr = E_OUTOFMEMORY;
        }
        if (FAILED(hr)) {
            // The derived initialisation never sees a dialog without its controls.
            m_controlsFailed = true;
            ::DestroyWindow(Hwnd());
            return FALSE;
        }
    }
    return OnInitDialog();
}

INT_PTR CALLBACK Dialog::DialogProc(HWND, UINT, WPARAM, LPARAM)
{
    // Everything is handled by the window procedure before the dialog manager's default.
    return FALSE;
}

LRESULT CALLBACK Dialog::CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_creating) {
        // The first window created is the dialog itself; it has had no message yet.
        const auto hwnd = reinterpret_cast<HWND>(wParam);
        Dialog* const self = std::exchange(t_creating, nullptr);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_classProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Dialog::ClassProc)));
        self->Bind(hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK Dialog::ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) {
        return ::DefDlgProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    }
    return self->HandleMessage(message, wParam, lParam);
}

} // namespace pelo::dialog
