// Closing the real program under Wine at awkward moments: during its start-up, at the end of the
// Windows session, and while one of its dialogs or message boxes is open; what it writes, what it
// leaves alone, and that its hook, window and hotkey agree with its function switch meanwhile.
#include <gtest/gtest.h>

#include "ProgramFixture.h"

using namespace pelo::programtest;

namespace {

constexpr UINT WM_TRAY_NOTIFY = WM_USER + 5;
constexpr WPARAM kHotKeyId = 500;
constexpr UINT kAboutCommand = 32772, kSettingsCommand = 32773, kExitCommand = 32776,
               kSchemeTwoCommand = 32779;
constexpr int kCombo = 1003, kRename = 1004, kUseScheme = 1005, kNewName = 1054;
const wchar_t kSchemeOne[] = L"fangan\\1.kmf", kSchemeTwo[] = L"fangan\\2.kmf";
const wchar_t kSettings[] = L"设置 - Pelo", kRenameCaption[] = L"重命名方案 - Pelo", kAbout[] = L"关于Pelo",
              kWelcome[] = L"欢迎使用Pelo";
const wchar_t kConflict[] = L"快捷键有冲突！请重新设置！";
const wchar_t kMadeCurrent[] = L"本键盘方案已设置为当前方案，退出设置对话框后即可使用。";

// Slots 1 and 2 hold schemes of their own, slot 1 is current, no welcome dialog unless a test
// takes the value away.
class ClosingTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProgramFixture::SetUp());
        ASSERT_TRUE(folder.WriteBytes(kSchemeOne, one));
        ASSERT_TRUE(folder.WriteBytes(kSchemeTwo, two));
        folder.WriteIni(L"SN", L"SN", 1);
    }

    static LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK, 60000, &result) ? result
                                                                                                  : -1;
    }

    // A click on the tray icon, handled to its end before this returns.
    static bool ClickTray(HWND keyboard) { return Send(keyboard, WM_TRAY_NOTIFY, 103, WM_LBUTTONDOWN) == 0; }

    // Whatever the program is in the middle of has ended: a command posted now is taken only by
    // the keyboard's own loop (its about box shows then), after everything posted before it.
    static bool Settled(const RunningPelo& pelo)
    {
        ::PostMessageW(pelo.KeyboardShownOrNot(), WM_COMMAND, kAboutCommand, 0);
        const HWND about = pelo.WaitForWindow(kAbout);
        return about && ::PostMessageW(about, WM_COMMAND, IDCANCEL, 0)
            && WaitUntil([&] { return !::IsWindow(about); });
    }

    static HWND OpenSettings(const RunningPelo& pelo)
    {
        ::PostMessageW(pelo.Keyboard(), WM_COMMAND, kSettingsCommand, 0);
        return pelo.WaitForWindow(kSettings);
    }

    // Waits for the keyboard window of a copy just started and opens the settings: the dialog, or
    // nullptr when either did not show.
    static HWND StartWithSettings(RunningPelo& pelo)
    {
        return pelo.WaitForKeyboard() ? OpenSettings(pelo) : nullptr;
    }

    static void Click(HWND page, int id, WORD code = BN_CLICKED)
    {
        ::PostMessageW(
            page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
    }

    // Exit from the tray menu while something of the program is open: all of it goes, the
    // program ends at once, and the shutdown wrote the configuration.
    void ExpectEndedByExit(RunningPelo& pelo, HWND open)
    {
        ::PostMessageW(pelo.Keyboard(), WM_COMMAND, kExitCommand, 0);
        EXPECT_EQ(pelo.WaitForExit(), 0u);
        EXPECT_FALSE(::IsWindow(open));
        EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_VK", -1), 'D');
    }

    const std::vector<std::uint8_t> one = SchemeBytes(u"甲方案", u'\u0436', u'\u0416'); // ж Ж
    const std::vector<std::uint8_t> two = SchemeBytes(u"乙方案", u'\u044F', u'\u042F'); // я Я
};

} // namespace

TEST_F(ClosingTest, CloseWhileTheStartUpConflictBoxShows_CarriedOutOnceStartedWithWhatWasLoaded)
{
    folder.WriteIni(L"SN", L"SN", 2);
    ASSERT_TRUE(::WritePrivateProfileStringW(L"SHWEL", nullptr, nullptr, folder.File(L"config.ini").c_str()));
    const HeldHotKey held(MOD_CONTROL, 'D');
    ASSERT_TRUE(held.Held());
    RunningPelo pelo(folder);
    const HWND box = pelo.WaitForMessageBox(kConflict);
    ASSERT_NE(box, nullptr);
    ::PostMessageW(pelo.KeyboardShownOrNot(), WM_CLOSE, 0, 0);

    // No welcome dialog after the close, nothing to answer: the program just ends.
    EXPECT_EQ(pelo.WaitForExit(), 0u);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
    EXPECT_EQ(folder.ReadBytes(kSchemeTwo), two);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 2);
    EXPECT_EQ(folder.ReadIni(L"SHWEL", L"SHWEL", -1), -1);
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_VK", -1), 'D');
}

TEST_F(ClosingTest, SessionEnd_CancelledLogOffChangesNothing_EndedSessionShutsDownBeforeTheAnswer)
{
    RunningPelo pelo(folder);
    const HWND keyboard = pelo.WaitForKeyboard();
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return KeyLibraryRegisteredAs(folder.File(L"Pelokey.ocx")); }, 30000));
    ASSERT_EQ(Send(keyboard, WM_COMMAND, kSchemeTwoCommand, 0), 0);
    ::SetWindowPos(keyboard, nullptr, 321, 234, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(keyboard).left == 321; }));

    EXPECT_NE(Send(keyboard, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    EXPECT_EQ(Send(keyboard, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF), 0);
    EXPECT_EQ(folder.ReadIni(L"POS", L"X", -1), -1);
    EXPECT_FALSE(RegisteredKeyLibrary().empty());
    EXPECT_EQ(Send(keyboard, WM_HOTKEY, kHotKeyId, 0), 0);
    EXPECT_FALSE(::IsWindowVisible(keyboard));
    EXPECT_EQ(Send(keyboard, WM_HOTKEY, kHotKeyId, 0), 0);
    EXPECT_TRUE(::IsWindowVisible(keyboard));

    // The system may end the process as soon as it has answered.
    EXPECT_NE(Send(keyboard, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    EXPECT_EQ(Send(keyboard, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
    ASSERT_TRUE(EndProcessNow(pelo.ProcessId()));
    EXPECT_EQ(folder.ReadIni(L"POS", L"X", -1), 321);
    EXPECT_EQ(folder.ReadIni(L"POS", L"Y", -1), 234);
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_VK", -1), 'D');
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 2);
    EXPECT_EQ(folder.ReadBytes(kSchemeTwo), two);
    EXPECT_TRUE(RegisteredKeyLibrary().empty());
}

TEST_F(ClosingTest, SessionEndsWhileSettingsAreOpen_ShutsDownAtOnce_NothingOfTheCommandRunsAfter)
{
    RunningPelo pelo(folder);
    const HWND keyboard = pelo.WaitForKeyboard();
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return KeyLibraryRegisteredAs(folder.File(L"Pelokey.ocx")); }, 30000));
    const HWND settings = OpenSettings(pelo);
    ASSERT_NE(settings, nullptr);
    // Free while the settings are open; taken back by the command only if it went on afterwards.
    const HeldHotKey held(MOD_CONTROL, 'D');
    ASSERT_TRUE(held.Held());

    EXPECT_NE(Send(keyboard, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    EXPECT_EQ(Send(keyboard, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_VK", -1), 'D');
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
    EXPECT_NE(folder.ReadIni(L"POS", L"X", -1), -1);
    EXPECT_TRUE(RegisteredKeyLibrary().empty());
    // Not ended by the system this time: the dialog goes and the program ends by itself.
    EXPECT_EQ(pelo.WaitForExit(), 0u);
    EXPECT_FALSE(::IsWindow(settings));
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
}

TEST_F(ClosingTest, SettingsOpen_HookStaysOffWhateverIsSwitched_AndFollowsTheSwitchOnceClosed)
{
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND keyboard = pelo.WaitForKeyboard();
    ASSERT_NE(keyboard, nullptr);

    // Off and on again by the tray icon: the window follows, the hook stays off.
    HWND settings = OpenSettings(pelo);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(ClickTray(keyboard));
    EXPECT_FALSE(::IsWindowVisible(keyboard));
    ASSERT_TRUE(ClickTray(keyboard));
    EXPECT_TRUE(::IsWindowVisible(keyboard));
    EXPECT_EQ(TypedBy(target, 'A'), u"a");
    ::PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Settled(pelo));
    EXPECT_FALSE(::IsWindow(settings));
    EXPECT_TRUE(::IsWindowVisible(keyboard));
    EXPECT_EQ(TypedBy(target, 'A'), u"\u0436");

    // Off by the tray icon: still off once the settings have closed, until switched on.
    settings = OpenSettings(pelo);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(ClickTray(keyboard));
    ::PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Settled(pelo));
    EXPECT_FALSE(::IsWindow(settings));
    EXPECT_FALSE(::IsWindowVisible(keyboard));
    EXPECT_EQ(TypedBy(target, 'A'), u"a");
    ASSERT_TRUE(ClickTray(keyboard));
    EXPECT_TRUE(::IsWindowVisible(keyboard));
    EXPECT_EQ(TypedBy(target, 'A'), u"\u0436");
    Close(pelo);
}

TEST_F(ClosingTest, ExitWhileSettingsAreOpen_EndsThemAsCancelFirst_TheCommandDoesNotGoOnAfterwards)
{
    RunningPelo pelo(folder);
    const HWND settings = StartWithSettings(pelo);
    ASSERT_NE(settings, nullptr);
    // Going on, the command would fail to take the hotkey back and say so after the shutdown.
    const HeldHotKey held(MOD_CONTROL, 'D');
    ASSERT_TRUE(held.Held());
    ExpectEndedByExit(pelo, settings);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
}

TEST_F(ClosingTest, ExitWhileRenaming_EndsTheRenameDialogAndTheSettingsAsCancel)
{
    RunningPelo pelo(folder);
    const HWND settings = StartWithSettings(pelo);
    ASSERT_NE(settings, nullptr);
    Click(PageWith(settings, kRename), kRename);
    const HWND rename = pelo.WaitForWindow(kRenameCaption);
    ASSERT_NE(rename, nullptr);
    ::SendMessageW(::GetDlgItem(rename, kNewName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"新名字"));
    ExpectEndedByExit(pelo, rename);
    EXPECT_FALSE(::IsWindow(settings));
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
}

TEST_F(ClosingTest, ExitWhileAMessageBoxOfTheSettingsShows_EndsItAndTheSettings_SchemeMadeCurrentIsKept)
{
    RunningPelo pelo(folder);
    const HWND settings = StartWithSettings(pelo);
    ASSERT_NE(settings, nullptr);
    const HWND page = PageWith(settings, kCombo);
    ASSERT_NE(page, nullptr);
    ::SendMessageW(::GetDlgItem(page, kCombo), CB_SETCURSEL, 1, 0);
    Click(page, kCombo, CBN_SELCHANGE);
    Click(page, kUseScheme);
    const HWND box = pelo.WaitForMessageBox(kMadeCurrent);
    ASSERT_NE(box, nullptr);
    ExpectEndedByExit(pelo, box);
    EXPECT_FALSE(::IsWindow(settings));
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 2);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
    EXPECT_EQ(folder.ReadBytes(kSchemeTwo), two);
}

TEST_F(ClosingTest, ExitWhileTheAboutBoxIsOpen_EndsItFirst)
{
    RunningPelo pelo(folder);
    ASSERT_NE(pelo.WaitForKeyboard(), nullptr);
    ::PostMessageW(pelo.Keyboard(), WM_COMMAND, kAboutCommand, 0);
    const HWND about = pelo.WaitForWindow(kAbout);
    ASSERT_NE(about, nullptr);
    ExpectEndedByExit(pelo, about);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
}

TEST_F(ClosingTest, FunctionSwitchedOffWhileTheWelcomeWaits_KeyboardStaysHiddenAndHookOffUntilSwitchedOn)
{
    ASSERT_TRUE(::WritePrivateProfileStringW(L"SHWEL", nullptr, nullptr, folder.File(L"config.ini").c_str()));
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND welcome = pelo.WaitForWindow(kWelcome);
    ASSERT_NE(welcome, nullptr);
    const HWND keyboard = pelo.KeyboardShownOrNot();
    ASSERT_NE(keyboard, nullptr);
    ASSERT_EQ(Send(keyboard, WM_HOTKEY, kHotKeyId, 0), 0);
    ::PostMessageW(welcome, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Settled(pelo)); // the start-up has ended
    EXPECT_EQ(folder.ReadIni(L"SHWEL", L"SHWEL", -1), 1);
    EXPECT_FALSE(::IsWindowVisible(keyboard));
    EXPECT_EQ(TypedBy(target, 'A'), u"a");

    ASSERT_TRUE(ClickTray(keyboard));
    EXPECT_TRUE(::IsWindowVisible(keyboard));
    EXPECT_EQ(TypedBy(target, 'A'), u"\u0436");
    ASSERT_EQ(pelo.WaitForKeyboard(), keyboard);
    Close(pelo);
}
