// Character names in the real program under Wine: the key buttons' tips, shown by hovering with
// the mouse and asked for by the tooltip's own message, and the editor page's line under the
// edits, each following the scheme and the edits.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "ProgramFixture.h"

using namespace pelo::programtest;

namespace {

constexpr UINT kSettingsCommand = 32773, kSchemeTwoCommand = 32779;
constexpr int kKeyA = 1032, kKey1 = 1012, kShiftKey = 1049;
constexpr int kCombo = 1003, kTChar1 = 1009, kTChar2 = 1010, kKeyNames = 1011;
const wchar_t kSettingsCaption[] = L"设置 - Pelo";
const wchar_t kQuestion[]
    = L"当前键盘方案尚未保存，是否保存？\n\n是：保存。否：不保存。取消：返回未保存的键盘方案。";
const wchar_t kAlphaLine[]
    = L"\u03B1 U+03B1 GREEK SMALL LETTER ALPHA / \u0391 U+0391 GREEK CAPITAL LETTER ALPHA";

POINT Centre(HWND window)
{
    const RECT r = WindowRect(window);
    return { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
}

class CharacterNamesTest : public ProgramFixture {
protected:
    void TearDown() override
    {
        // The next case's windows must not open under a resting mouse.
        MoveMouseTo({ 0, 0 });
    }

    // Rests the mouse on the window until the tip is shown with this text.
    static bool HoverShows(HWND tooltip, HWND window, const std::wstring& text)
    {
        MoveMouseTo(Centre(window));
        return WaitUntil([&] { return ::IsWindowVisible(tooltip) && TextOf(tooltip) == text; });
    }

    // Moves the mouse off the keyboard and waits for the tip to go.
    static bool LeaveKeyboard(HWND keyboard, HWND tooltip)
    {
        const RECT r = WindowRect(keyboard);
        MoveMouseTo({ r.left + (r.right - r.left) / 2, r.bottom + 80 });
        return WaitUntil([&] { return !::IsWindowVisible(tooltip); });
    }

    // Clicks that follow each other on one window are kept apart, so that none is a double-click.
    void Click(HWND window)
    {
        ::Sleep(::GetDoubleClickTime() + 50);
        ClickCentre(window);
    }
};

} // namespace

TEST_F(CharacterNamesTest, KeyTip_NamesBothCharacters_WhileAnotherProgramIsActiveAndAfterSchemeChange)
{
    ASSERT_TRUE(folder.WriteBytes(L"fangan\\2.kmf", SchemeBytes(u"德语", u'\u00E4', u'\u00C4'))); // ä Ä
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    const HWND tooltip = TooltipOwnedBy(keyboard);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), KEY_COUNT + 1);
    EXPECT_EQ(ToolText(tooltip, pelo.Key(kKeyA)), kAlphaLine);
    EXPECT_EQ(ToolText(tooltip, pelo.Key(kKey1)),
        L"\u2160 U+2160 ROMAN NUMERAL ONE / \u4E00 U+4E00 CJK UNIFIED IDEOGRAPH-4E00");
    EXPECT_EQ(
        ToolText(tooltip, pelo.Key(kShiftKey)), L"Shift：单击后各键输入转换字符二，再单击恢复转换字符一");

    // Shown while the user types in another program, which keeps the focus.
    ASSERT_TRUE(target.Activate());
    const HWND active = ::GetForegroundWindow();
    EXPECT_TRUE(HoverShows(tooltip, pelo.Key(kKeyA), kAlphaLine)) << "tip: " << ::IsWindowVisible(tooltip);
    EXPECT_EQ(::GetForegroundWindow(), active);
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"\u03B1");
    ASSERT_TRUE(LeaveKeyboard(keyboard, tooltip));

    const std::wstring umlautLine = L"\u00E4 U+00E4 LATIN SMALL LETTER A WITH DIAERESIS / \u00C4 U+00C4 "
                                    L"LATIN CAPITAL LETTER A WITH DIAERESIS";
    ::PostMessageW(keyboard, WM_COMMAND, kSchemeTwoCommand, 0);
    EXPECT_TRUE(WaitUntil([&] { return ToolText(tooltip, pelo.Key(kKeyA)) == umlautLine; }));
    EXPECT_TRUE(HoverShows(tooltip, pelo.Key(kKeyA), umlautLine));
    ASSERT_TRUE(LeaveKeyboard(keyboard, tooltip));
    Close(pelo);
}

TEST_F(CharacterNamesTest, EditorLine_NamesSelectedKey_FollowsEditsSchemeChangeAndKeyboardTipFollowsOk)
{
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    ::PostMessageW(keyboard, WM_COMMAND, kSettingsCommand, 0);
    const HWND settings = pelo.WaitForWindow(kSettingsCaption);
    ASSERT_NE(settings, nullptr);
    HWND page = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        page = ::FindWindowExW(settings, nullptr, L"#32770", nullptr);
        while (page && !::GetDlgItem(page, kCombo)) {
            page = ::FindWindowExW(settings, page, L"#32770", nullptr);
        }
        return page != nullptr;
    }));
    const HWND line = ::GetDlgItem(page, kKeyNames), tchar1 = ::GetDlgItem(page, kTChar1),
               tchar2 = ::GetDlgItem(page, kTChar2);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(TextOf(line), L"");
    EXPECT_TRUE(::IsWindowVisible(line));

    Click(::GetDlgItem(page, kKeyA));
    EXPECT_TRUE(WaitUntil([&] { return TextOf(line) == kAlphaLine; })) << "line: " << TextOf(line).size();
    Click(::GetDlgItem(page, kKey1));
    EXPECT_TRUE(WaitUntil([&] {
        return TextOf(line) == L"\u2160 U+2160 ROMAN NUMERAL ONE / \u4E00 U+4E00 CJK UNIFIED IDEOGRAPH-4E00";
    }));

    // Edited characters are named as they are typed; a deleted one is no character.
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(line) == kAlphaLine; }));
    Click(tchar1);
    PressKeys({ VK_END });
    PressKeys({ VK_BACK });
    TypeText(u"\u0436"); // ж
    const std::wstring zheLine
        = L"\u0436 U+0436 CYRILLIC SMALL LETTER ZHE / \u0391 U+0391 GREEK CAPITAL LETTER ALPHA";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(line) == zheLine; }));
    Click(tchar2);
    PressKeys({ VK_END });
    PressKeys({ VK_BACK });
    EXPECT_TRUE(
        WaitUntil([&] { return TextOf(line) == L"\u0436 U+0436 CYRILLIC SMALL LETTER ZHE / U+0000"; }));
    TypeText(u"\uE000");
    EXPECT_TRUE(
        WaitUntil([&] { return TextOf(line) == L"\u0436 U+0436 CYRILLIC SMALL LETTER ZHE / U+E000"; }));

    // Another scheme, the edits let go: no key is selected.
    ClickCentre(::GetDlgItem(page, kCombo));
    const HWND combo = ::GetDlgItem(page, kCombo);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }));
    const RECT box = WindowRect(combo);
    const auto height = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    ClickAt({ (box.left + box.right) / 2, box.bottom + 1 + height + height / 2 });
    HWND question = pelo.WaitForMessageBox(kQuestion);
    ASSERT_NE(question, nullptr);
    ::PostMessageW(question, WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(line).empty(); }));

    // Back to scheme one, edited again and confirmed: the keyboard's tip names the new character.
    ClickCentre(combo);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }));
    ClickAt({ (box.left + box.right) / 2, box.bottom + 1 + height / 2 });
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(combo, CB_GETCURSEL, 0, 0) == 0; }));
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(line) == kAlphaLine; }));
    Click(tchar1);
    PressKeys({ VK_END });
    PressKeys({ VK_BACK });
    TypeText(u"\u0436");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(line) == zheLine; }));
    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    const HWND tooltip = TooltipOwnedBy(keyboard);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ToolText(tooltip, pelo.Key(kKeyA)) == zheLine; }));
    Close(pelo);
}
