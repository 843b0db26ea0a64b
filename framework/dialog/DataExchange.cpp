// Data exchange between a dialog's controls and its members, and the validation warnings.
#include "framework/dialog/Dialog.h"

#include "framework/FlagScope.h"

namespace pelo::dialog {

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

} // namespace pelo::dialog
