// The real program under Wine, in a fresh folder whose name holds a blank and Chinese
// characters, driven as a user would: keys typed in another process, clicks on the key buttons,
// the tray callback, the hotkey and menu commands; its files read back byte for byte.
#include <gtest/gtest.h>

#include "ProgramFixture.h"

using namespace pelo::programtest;

namespace {

constexpr UINT WM_TRAY_NOTIFY = WM_USER + 5;
constexpr WPARAM kHotKeyId = 500;
constexpr int kKeyA = 1032, kKey1 = 1012, kShiftKey = 1049;
constexpr UINT kToggleCommand = 32775, kSchemeTwoCommand = 32779;
const wchar_t* const kSchemeFiles[5]
    = { L"fangan\\1.kmf", L"fangan\\2.kmf", L"fangan\\3.kmf", L"fangan\\4.kmf", L"fangan\\5.kmf" };

// A folder ready to start in, without the welcome dialog.
class ProgramTest : public ProgramFixture {
protected:
    // A click on a key button, then the wait for the character it types; the next click comes
    // after the double-click time, so that it is a click of its own.
    static bool ClickKey(RunningPelo& pelo, int id, TypingTarget& target, std::size_t charsAfter)
    {
        ClickCentre(pelo.Key(id));
        const bool typed = target.WaitForChars(charsAfter);
        ::Sleep(::GetDoubleClickTime() + 50);
        return typed;
    }

    // Waits for the window to be shown or hidden. The WM_NULL after it does not wait for the
    // rest of the switch: the program may take it while it waits for the tray to change the icon,
    // before it starts or stops the hook; a switch that typing depends on is sent (SendNow).
    static bool Visible(HWND window, bool visible)
    {
        DWORD_PTR result = 0;
        return WaitUntil([&] { return (::IsWindowVisible(window) != FALSE) == visible; })
            && ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result) != 0;
    }

    // A message handled to its end before this returns.
    static void SendNow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        DWORD_PTR result = 0;
        EXPECT_NE(::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK, 10000, &result), 0);
    }
};

void ExpectSameRect(const RECT& a, const RECT& b)
{
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(a.bottom, b.bottom);
}

} // namespace

TEST_F(ProgramTest, FirstRun_WritesFiveDefaultSchemesAndTypesByKeyAndByClick)
{
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    for (int id = 1012; id <= 1049; ++id) {
        EXPECT_EQ(pelo.Key(id) != nullptr, id != 1041) << "key button " << id;
    }
    const char16_t* names[5] = { u"方案一", u"方案二", u"方案三", u"方案四", u"方案五" };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(folder.ReadBytes(kSchemeFiles[i]), SchemeBytes(names[i], pelo::scheme::kDefaultKeyTable))
            << "slot " << i + 1;
    }

    // Physical keys in another program: character one, character two with Shift.
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    target.TypeKey('1');
    target.TypeKey('A', true);
    EXPECT_EQ(target.Chars(), u"\u03B1\u2160\u0391");

    // A click types into the program that had the focus.
    target.Clear();
    ASSERT_TRUE(ClickKey(pelo, kKeyA, target, 1));
    ASSERT_TRUE(ClickKey(pelo, kKey1, target, 2));
    EXPECT_EQ(target.Chars(), u"\u03B1\u2160");

    // The soft Shift holds for clicks and for physical keys until it is clicked again.
    target.Clear();
    ClickCentre(pelo.Key(kShiftKey));
    ::Sleep(::GetDoubleClickTime() + 50);
    ASSERT_TRUE(ClickKey(pelo, kKeyA, target, 1));
    ASSERT_TRUE(ClickKey(pelo, kKeyA, target, 2));
    EXPECT_EQ(target.Chars(), u"\u0391\u0391");
    ASSERT_TRUE(target.Activate());
    target.TypeKey('1');
    EXPECT_EQ(target.Chars(), u"\u4E00");
    target.Clear();
    ClickCentre(pelo.Key(kShiftKey));
    ::Sleep(::GetDoubleClickTime() + 50);
    ASSERT_TRUE(ClickKey(pelo, kKeyA, target, 1));
    EXPECT_EQ(target.Chars(), u"\u03B1");

    const RECT rect = WindowRect(keyboard);
    Close(pelo);
    EXPECT_EQ(folder.ReadIni(L"POS", L"X", -1), rect.left);
    EXPECT_EQ(folder.ReadIni(L"POS", L"Y", -1), rect.top);
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_FG", -1), 2);
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_VK", -1), 68);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
    EXPECT_EQ(folder.ReadIni(L"SHWEL", L"SHWEL", -1), 0);
}

TEST_F(ProgramTest, FunctionSwitch_ByHotkeyTrayAndMenu_KeysPassWhileOffAndWindowStaysPut)
{
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    const RECT home = WindowRect(keyboard);

    // Hiding and showing moves the window back to where it was, never by its border.
    for (int i = 0; i < 10; ++i) {
        ::PostMessageW(keyboard, WM_HOTKEY, kHotKeyId, MAKELPARAM(MOD_CONTROL, 'D'));
        ASSERT_TRUE(Visible(keyboard, false));
        ::PostMessageW(keyboard, WM_HOTKEY, kHotKeyId, MAKELPARAM(MOD_CONTROL, 'D'));
        ASSERT_TRUE(Visible(keyboard, true));
    }
    ExpectSameRect(WindowRect(keyboard), home);

    // Off by the tray icon: keys pass through unchanged.
    SendNow(keyboard, WM_TRAY_NOTIFY, 103, WM_LBUTTONDOWN);
    ASSERT_TRUE(Visible(keyboard, false));
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"a");
    SendNow(keyboard, WM_TRAY_NOTIFY, 103, WM_LBUTTONDOWN);
    ASSERT_TRUE(Visible(keyboard, true));
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"\u03B1");

    // Another hotkey identifier or another icon does nothing; the menu's item switches.
    ::PostMessageW(keyboard, WM_HOTKEY, kHotKeyId + 1, 0);
    ::PostMessageW(keyboard, WM_TRAY_NOTIFY, 104, WM_LBUTTONDOWN);
    ::PostMessageW(keyboard, WM_COMMAND, kToggleCommand, 0);
    ASSERT_TRUE(Visible(keyboard, false));
    ::PostMessageW(keyboard, WM_COMMAND, kToggleCommand, 0);
    ASSERT_TRUE(Visible(keyboard, true));

    Close(pelo);
    RunningPelo again(folder);
    const HWND reopened = Start(again);
    ASSERT_NE(reopened, nullptr);
    ExpectSameRect(WindowRect(reopened), home);
    Close(again);
}

TEST_F(ProgramTest, SchemeChosenFromMenu_ChangesWhatIsTypedAndIsKeptAtExit)
{
    KeyTCharPair table[KEY_COUNT];
    std::copy(pelo::scheme::kDefaultKeyTable, pelo::scheme::kDefaultKeyTable + KEY_COUNT, table);
    table[KeyCharToIndex('A')] = { u'\u0436', u'\u0416' }; // ж Ж
    const std::vector<std::uint8_t> scheme = SchemeBytes(u"西里尔", table);
    ASSERT_TRUE(folder.WriteBytes(kSchemeFiles[1], scheme));

    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    ::PostMessageW(keyboard, WM_COMMAND, kSchemeTwoCommand, 0);
    ASSERT_TRUE(WaitUntil([&] { return folder.ReadIni(L"SN", L"SN", -1) == 2; }));

    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    target.TypeKey('A', true);
    EXPECT_EQ(target.Chars(), u"\u0436\u0416");
    target.Clear();
    ASSERT_TRUE(ClickKey(pelo, kKeyA, target, 1));
    EXPECT_EQ(target.Chars(), u"\u0436");

    Close(pelo);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 2);
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[1]), scheme);
}

TEST_F(ProgramTest, SecondCopy_ReportsTheHotkeyConflictAndRunsOn)
{
    RunningPelo first(folder);
    ASSERT_NE(Start(first), nullptr);
    RunningPelo second(folder);
    ASSERT_TRUE(second.Started());
    const HWND box = second.WaitForMessageBox(L"快捷键有冲突！请重新设置！");
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_NE(second.WaitForKeyboard(), nullptr);
    EXPECT_EQ(second.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
    Close(second);
    Close(first);
}

TEST_F(ProgramTest, Registration_QuotedPathIsRegisteredAtStartAndRemovedAtExit)
{
    RunningPelo pelo(folder);
    ASSERT_NE(Start(pelo), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return KeyLibraryRegisteredAs(folder.File(L"Pelokey.ocx")); }, 30000))
        << "registered: " << RegisteredKeyLibrary().size();
    Close(pelo);
    EXPECT_TRUE(WaitUntil([&] { return RegisteredKeyLibrary().empty(); }, 30000));
}

TEST_F(ProgramTest, KeyLibraryMissing_ReportsItAndEndsWithoutWritingAnything)
{
    ASSERT_TRUE(::DeleteFileW(folder.File(L"Pelokey.ocx").c_str()));
    const std::vector<std::uint8_t> config = folder.ReadBytes(L"config.ini");
    RunningPelo pelo(folder);
    ASSERT_TRUE(pelo.Started());
    const HWND box = pelo.WaitForMessageBox(L"无法加载按键控件库“Pelokey.ocx”，Pelo不能运行。\n请确认Pelokey."
                                            L"ocx与Pelo.exe在同一文件夹中，并从这个文件夹启动Pelo。");
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_NE(pelo.WaitForExit(), 0u);
    EXPECT_EQ(folder.ReadBytes(L"config.ini"), config);
    EXPECT_EQ(::GetFileAttributesW(folder.File(L"fangan").c_str()), INVALID_FILE_ATTRIBUTES);
}
