#include "framework/dialog/Dialog.h"

#include "framework/Module.h"

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

Dialog::~Dialog()
{
    Destroy();
}

INT_PTR Dialog::DoModal(HWND parent) noexcept
{
    m_modal = true;
    const INT_PTR result = ::DialogBoxParamW(m_module, MAKEINTRESOURCEW(m_templateId), parent,
        &Dialog::StaticProc, reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

bool Dialog::Create(HWND parent) noexcept
{
    if (m_hwnd) {
        return false;
    }
    m_modal = false;
    const HWND hwnd = ::CreateDialogParamW(m_module, MAKEINTRESOURCEW(m_templateId), parent,
        &Dialog::StaticProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) {
        return false;
    }
    // The window may already be gone if initialisation destroyed it.
    if (m_hwnd == hwnd) {
        m_owned.reset(hwnd);
    }
    return m_hwnd != nullptr;
}

void Dialog::Destroy() noexcept
{
    // WM_NCDESTROY clears the binding while the owner lets go of the window.
    m_owned.reset();
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    if (!m_hwnd) {
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
    if (!m_hwnd) {
        return;
    }
    if (m_modal) {
        ::EndDialog(m_hwnd, result);
    } else {
        Destroy();
    }
}

std::wstring Dialog::MessageCaption() const
{
    if (m_hwnd && (::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        std::wstring title = ControlText(m_hwnd);
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

INT_PTR Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND
        && FilterCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
        return TRUE;
    }
    INT_PTR result = FALSE;
    if (DispatchTable(message, wParam, lParam, result)) {
        return result;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<Dialog*>(lParam);
            ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
            self->m_hwnd = hwnd;
            return self->OnInitDialog();
        }
        auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
        if (!self) {
            return FALSE;
        }
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            self->m_hwnd = nullptr;
            (void)self->m_owned.release();
            return FALSE;
        }
        return self->WindowProc(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
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
