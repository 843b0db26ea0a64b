#include "keyboard/KeyNameTips.h"

#include <commctrl.h>

#include "charnames/CharacterNames.h"

namespace {

constexpr wchar_t kClassName[] = L"PeloKeyNameTips";
constexpr wchar_t kShiftTip[] = L"Shift：单击后各键输入转换字符二，再单击恢复转换字符一";

} // namespace

const pelo::window::HandlerTable<CKeyNameTips>& CKeyNameTips::Handlers()
{
    static const pelo::window::HandlerTable<CKeyNameTips> table {
        { { WM_NOTIFY, &CKeyNameTips::OnNotify } },
        {},
        {},
    };
    return table;
}

bool CKeyNameTips::Create(HWND owner, CPelokey* const* keys, int keyCount, HWND shiftButton)
{
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    pelo::window::WindowClass windowClass;
    windowClass.name = kClassName;
    if (!RegisterWindowClass(module, windowClass)
        || !Window::Create(module, kClassName, L"", 0, 0, RECT {}, HWND_MESSAGE)) {
        return false;
    }
    m_keys = keys;
    m_keyCount = keyCount;
    m_shiftButton = shiftButton;
    // Always tips: the keyboard window is seldom active, the user types in another program.
    m_tooltip.reset(
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, module, nullptr));
    if (!m_tooltip) {
        return false;
    }
    // Long names wrap instead of running across the screen.
    ::SendMessageW(m_tooltip.get(), TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN) / 3);
    bool all = true;
    for (int i = 0; i < keyCount; ++i) {
        all = AddTool(keys[i]->Hwnd()) && all;
    }
    return AddTool(shiftButton) && all;
}

bool CKeyNameTips::AddTool(HWND button)
{
    if (!button) {
        return false;
    }
    TTTOOLINFOW tool {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Hwnd(); // where the tooltip asks for the text
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    return ::SendMessageW(m_tooltip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

LRESULT CKeyNameTips::OnNotify(WPARAM, LPARAM lParam)
{
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    if (info->hdr.hwndFrom != m_tooltip.get() || info->hdr.code != TTN_GETDISPINFOW) {
        return 0;
    }
    const auto button = reinterpret_cast<HWND>(info->hdr.idFrom);
    m_text.clear();
    if (button == m_shiftButton) {
        m_text = kShiftTip;
    }
    for (int i = 0; i < m_keyCount; ++i) {
        if (m_keys[i]->Hwnd() == button) {
            const std::u16string line = pelo::charnames::DescribeKeyCharacters(
                static_cast<char16_t>(m_keys[i]->GetTChar1()), static_cast<char16_t>(m_keys[i]->GetTChar2()));
            m_text.assign(line.begin(), line.end());
        }
    }
    info->lpszText = m_text.data();
    info->hinst = nullptr;
    return 0;
}
