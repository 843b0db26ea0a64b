#include "HotKeySetting.h"

#include <commctrl.h>

#include "HotKeyText.h"

namespace {
constexpr wchar_t kSection[] = L"HOT KEY";
constexpr wchar_t kModifiersKey[] = L"SW_FG";
constexpr wchar_t kVirtualKeyKey[] = L"SW_VK";
} // namespace

void CHotKeySetting::ReadFromIni(const wchar_t* path)
{
    m_wModifiers = static_cast<WORD>(::GetPrivateProfileIntW(kSection, kModifiersKey, HOTKEYF_CONTROL, path));
    m_wVirtualKey = static_cast<WORD>(::GetPrivateProfileIntW(kSection, kVirtualKeyKey, 'D', path));
    m_bValid = 1;
}

int CHotKeySetting::WriteToIni(const wchar_t* path) const
{
    if (!m_bValid) {
        return 0;
    }
    if (!::WritePrivateProfileStringW(kSection, kModifiersKey, std::to_wstring(m_wModifiers).c_str(), path)) {
        return 0;
    }
    return ::WritePrivateProfileStringW(
               kSection, kVirtualKeyKey, std::to_wstring(m_wVirtualKey).c_str(), path)
        ? 1
        : 0;
}

void CHotKeySetting::GetHotKey(WORD& modifiers, WORD& virtualKey) const
{
    if (m_bValid) {
        modifiers = m_wModifiers;
        virtualKey = m_wVirtualKey;
    }
}

int CHotKeySetting::RegisterHotKeyTo(HWND hWnd, int id)
{
    if (!m_bValid) {
        return 0;
    }
    if (!::RegisterHotKey(hWnd, id, pelo::program::HotKeyModifiersToSystem(m_wModifiers), m_wVirtualKey)) {
        return 0;
    }
    m_nHotKeyId = id;
    return 1;
}

int CHotKeySetting::UnregisterHotKeyFrom(HWND hWnd, int id)
{
    return ::UnregisterHotKey(hWnd, id);
}

void CHotKeySetting::SetFromHotKeyCtrl(HWND hotKeyCtrl)
{
    const auto value = static_cast<WORD>(::SendMessageW(hotKeyCtrl, HKM_GETHOTKEY, 0, 0));
    m_wVirtualKey = LOBYTE(value);
    m_wModifiers = HIBYTE(value);
    m_bValid = 1;
}

void CHotKeySetting::ShowInHotKeyCtrl(HWND hotKeyCtrl) const
{
    if (m_bValid) {
        ::SendMessageW(hotKeyCtrl, HKM_SETHOTKEY, MAKEWORD(m_wVirtualKey & 0xFF, m_wModifiers & 0xFF), 0);
    }
}

int CHotKeySetting::GetRegisteredId() const
{
    return m_bValid ? m_nHotKeyId : 0;
}

std::wstring CHotKeySetting::FormatHotKeyText(WORD modifiers, WORD virtualKey)
{
    return pelo::program::FormatHotKeyText(modifiers, virtualKey);
}
