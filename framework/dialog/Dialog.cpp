#include "framework/dialog/Dialog.h"

#include "framework/Module.h"
#include "framework/container/ControlContainer.h"
#include "framework/window/Application.h"

#include <cwctype>
#include <utility>

namespace pelo::dialog {

namespace {
int SystemMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return ::MessageBoxW(owner, text, caption, type);
}
MessageBoxFunction g_messageBox = &SystemMessageBox;

// Sets a flag for a scope and puts back what it held.
class FlagScope {
public:
    explicit FlagScope(bool& flag) noexcept
        : m_flag(flag)
        , m_was(std::exchange(flag, true))
    {
    }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
    ~FlagScope() { m_flag = m_was; }

private:
    bool& m_flag;
    bool m_was;
};
} // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)
{
    return g_messageBox(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) noexcept
{
    const MessageBoxFunction previous = g_messageBox;
    g_messageBox = function ? function : &SystemMessageBox;
    return previous;
}

HWND DataExchange::Control(int id) const noexcept
{
    return m_dialog.Item(id);
}

void DataExchange::Fail(int id, const std::wstring& message)
{
    m_failed = true;
    ShowMessageBox(m_dialog.Hwnd(), message, m_dialog.MessageCaption(), MB_OK | MB_ICONEXCLAMATION);
    if (const HWND control = Control(id)) {
        ::SetFocus(control);
        ::SendMessageW(control, EM_SETSEL, 0, -1);
    }
}

std::wstring DataExchange::TooLongMessage(int maxChars) const
{
    return m_dialog.TooLongMessage(maxChars);
}

std::wstring IntegerExpectedMessage()
{
    return L"Please enter an integer.";
}

std::wstring IntegerRangeMessage(long long minValue, long long maxValue)
{
    return L"Please enter an integer between " + std::to_wstring(minValue) + L" and "
        + std::to_wstring(maxValue) + L".";
}

std::wstring MaxCharsMessage(int maxChars)
{
    return L"Please enter no more than " + std::to_wstring(maxChars) + L" characters.";
}

bool ParseInteger(const std::wstring& text, long long minValue, long long maxValue, long long& value) noexcept
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && std::iswspace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    const std::size_t digitsStart = i;
    long long magnitude = 0;
    while (i < n && text[i] >= L'0' && text[i] <= L'9') {
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > (1LL << 40)) {
            return false; // far outside any 32-bit field
        }
        ++i;
    }
    if (i == digitsStart) {
        return false;
    }
    while (i < n && std::iswspace(text[i])) {
        ++i;
    }
    if (i != n) {
        return false;
    }
    const long long v = negative ? -magnitude : magnitude;
    if (v < minValue || v > maxValue) {
        return false;
    }
    value = v;
    return true;
}

std::wstring ModuleName(HMODULE module)
{
    return pelo::ModuleName(module);
}

std::wstring ControlText(HWND control)
{
    const int length = ::GetWindowTextLengthW(control);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void SetControlText(HWND control, const std::wstring& text)
{
    if (ControlText(control) != text) {
        ::SetWindowTextW(control, text.c_str());
    }
}

namespace {

// The dialog whose window is being created on this thread, taken when the window is created.
thread_local Dialog* t_creating = nullptr;

} // namespace

// What creation hands to WM_INITDIALOG: the template without its ActiveX controls, and those
// controls with their persisted state.
struct Dialog::Creation {
    container::PreparedTemplate prepared;
    std::vector<container::InitRecord> records;
};

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

HWND Dialog::CreateFromTemplate(HWND owner) noexcept
{
    try {
        const HRSRC resource = ::FindResourceW(m_module, MAKEINTRESOURCEW(m_templateId), MAKEINTRESOURCEW(5));
        const HGLOBAL loaded = resource ? ::LoadResource(m_module, resource) : nullptr;
        const void* data = loaded ? ::LockResource(loaded) : nullptr;
        if (!data) {
            return nullptr;
        }
        auto creation = std::make_unique<Creation>();
        if (!container::PrepareDialogTemplate(
                data, ::SizeofResource(m_module, resource), {}, creation->prepared)) {
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

INT_PTR Dialog::DoModal(HWND parent) noexcept
{
    if (Hwnd()) {
        return -1;
    }
    // A dialog without a parent belongs to the application's main window, so that it never
    // opens behind a topmost main window.
    HWND owner = parent;
    if (!owner) {
        if (const window::Application* app = window::Application::Current()) {
            owner = app->MainWindow();
        }
    }
    if (owner && !::IsWindow(owner)) {
        owner = nullptr;
    }
    while (owner && (::GetWindowLongW(owner, GWL_STYLE) & (WS_POPUP | WS_CHILD)) == WS_CHILD) {
        const HWND up = ::GetParent(owner);
        if (!up) {
            break;
        }
        owner = up;
    }
    const bool disabled = owner && ::IsWindowEnabled(owner);
    if (disabled) {
        ::EnableWindow(owner, FALSE);
    }
    m_modal = true;
    m_ended = false;
    m_result = 0;
    INT_PTR result = -1;
    if (const HWND hwnd = CreateFromTemplate(owner)) {
        result = RunModalLoop(hwnd);
        // The owner is enabled before the dialog goes, so that it, not another window, is activated.
        if (disabled) {
            ::EnableWindow(owner, TRUE);
        }
        if (Hwnd() == hwnd) {
            ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            ::DestroyWindow(hwnd);
        }
    } else if (disabled) {
        ::EnableWindow(owner, TRUE);
    }
    m_modal = false;
    m_ended = false;
    return result;
}

INT_PTR Dialog::RunModalLoop(HWND hwnd) noexcept
{
    // Like the system's dialog box, a modal dialog is shown when its queue first runs empty.
    bool shown = ::IsWindowVisible(hwnd) != FALSE;
    MSG msg {};
    while (!m_ended && Hwnd() == hwnd) {
        if (!shown && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ::ShowWindow(hwnd, SW_SHOWNORMAL);
            shown = true;
            continue;
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return m_ended ? m_result : IDCANCEL;
        }
        if (got == -1) {
            break;
        }
        if (!window::Window::PreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return m_ended ? m_result : IDCANCEL;
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

bool Dialog::UpdateData(bool saveAndValidate)
{
    if (!Hwnd()) {
        return false;
    }
    // The flag goes back even when the exchange throws, or the page would ignore its controls.
    const FlagScope exchanging(m_exchanging);
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::EndDialog(INT_PTR result) noexcept
{
    if (!Hwnd()) {
        return;
    }
    if (m_modal) {
        m_result = result;
        m_ended = true;
        // Wakes the loop when this was not called from one of its messages.
        ::PostMessageW(Hwnd(), WM_NULL, 0, 0);
    } else {
        Destroy();
    }
}

std::wstring Dialog::MessageCaption() const
{
    if (Hwnd() && (::GetWindowLongW(Hwnd(), GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        std::wstring title = ControlText(Hwnd());
        if (!title.empty()) {
            return title;
        }
    }
    return ModuleName(m_module);
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

namespace {

class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool Word(WORD& v) { return Bytes(&v, 2); }
    bool Dword(DWORD& v) { return Bytes(&v, 4); }
    bool Byte(BYTE& v) { return Bytes(&v, 1); }
    bool String(std::wstring& s)
    {
        s.clear();
        for (WORD c; Word(c);) {
            if (c == 0) {
                return true;
            }
            s.push_back(static_cast<wchar_t>(c));
        }
        return false;
    }
    // A menu or class field: nothing, an ordinal, or a string.
    bool NameOrOrdinal()
    {
        WORD first;
        if (!Word(first)) {
            return false;
        }
        if (first == 0) {
            return true;
        }
        if (first == 0xFFFF) {
            return Word(first);
        }
        std::wstring rest;
        return String(rest);
    }

private:
    bool Bytes(void* dst, DWORD n)
    {
        if (n > m_size - m_pos) {
            return false;
        }
        memcpy(dst, m_data + m_pos, n);
        m_pos += n;
        return true;
    }
    const BYTE* m_data;
    DWORD m_size;
    DWORD m_pos = 0;
};

} // namespace

bool ReadDialogTemplate(HINSTANCE module, UINT templateId, TemplateInfo& info)
{
    const HRSRC resource
        = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5)); // RT_DIALOG
    const HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const auto* data = static_cast<const BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data) {
        return false;
    }
    TemplateReader r(data, ::SizeofResource(module, resource));
    WORD version = 0, signature = 0, count = 0;
    DWORD style = 0, exStyle = 0, help = 0;
    if (!r.Word(version) || !r.Word(signature)) {
        return false;
    }
    const bool extended = version == 1 && signature == 0xFFFF;
    if (extended) {
        if (!r.Dword(help) || !r.Dword(exStyle) || !r.Dword(style)) {
            return false;
        }
    } else {
        style = MAKELONG(version, signature);
        if (!r.Dword(exStyle)) {
            return false;
        }
    }
    WORD x, y, cx, cy;
    std::wstring title;
    if (!r.Word(count) || !r.Word(x) || !r.Word(y) || !r.Word(cx) || !r.Word(cy) || !r.NameOrOrdinal()
        || !r.NameOrOrdinal() || !r.String(title)) {
        return false;
    }
    info.child = (style & WS_CHILD) != 0;
    info.cx = static_cast<short>(cx);
    info.cy = static_cast<short>(cy);
    info.pointSize = 0;
    info.faceName.clear();
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        WORD points = 0, weight = 0;
        BYTE italic = 0, charset = 0;
        if (!r.Word(points) || (extended && (!r.Word(weight) || !r.Byte(italic) || !r.Byte(charset)))
            || !r.String(info.faceName)) {
            return false;
        }
        info.pointSize = points;
    }
    return true;
}

bool DialogTemplatePixelSize(HINSTANCE module, UINT templateId, SIZE& size)
{
    TemplateInfo info;
    if (!ReadDialogTemplate(module, templateId, info)) {
        return false;
    }
    int baseX = LOWORD(::GetDialogBaseUnits()), baseY = HIWORD(::GetDialogBaseUnits());
    if (info.pointSize > 0) {
        UniqueHdc dc(::CreateCompatibleDC(nullptr));
        const int height = -::MulDiv(info.pointSize, ::GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
        UniqueHfont font(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
            0, 0, info.faceName.c_str()));
        SelectGuard select(dc.get(), font.get());
        TEXTMETRICW tm {};
        SIZE extent {};
        static constexpr wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (::GetTextMetricsW(dc.get(), &tm) && ::GetTextExtentPoint32W(dc.get(), alphabet, 52, &extent)) {
            baseX = (extent.cx / 26 + 1) / 2;
            baseY = tm.tmHeight;
        }
    }
    size.cx = ::MulDiv(info.cx, baseX, 4);
    size.cy = ::MulDiv(info.cy, baseY, 8);
    return true;
}

} // namespace pelo::dialog
