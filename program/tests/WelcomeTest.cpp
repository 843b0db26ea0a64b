// The welcome dialog, the about box and help in the real program under Wine, answered by mouse
// and keys; what the welcome dialog leaves in config.ini and what it and the commands open.
#include <gtest/gtest.h>

#include "ProgramDriver.h"

using namespace pelo::programtest;

namespace {

constexpr int kHelpChoice = 1053, kDontShowAgain = 1061;
constexpr UINT kAboutCommand = 32772, kExitCommand = 32776, kHelpCommand = 57670;
constexpr wchar_t kWelcome[] = L"欢迎使用Pelo", kViewerClass[] = L"HH Parent";

class WelcomeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Ready()); }

    // The welcome dialog of a copy just started, before the keyboard window is shown.
    static HWND WaitForWelcome(RunningPelo& pelo)
    {
        const HWND welcome = pelo.WaitForWindow(kWelcome);
        EXPECT_EQ(pelo.WaitForKeyboard(0), nullptr);
        return welcome;
    }
    static void Tick(HWND welcome)
    {
        ClickCentre(::GetDlgItem(welcome, kDontShowAgain));
        ASSERT_TRUE(WaitUntil([&] { return ::IsDlgButtonChecked(welcome, kDontShowAgain) == BST_CHECKED; }));
    }
    // The keyboard window shown and enabled once the dialogs before it have gone.
    static HWND WaitForUsableKeyboard(RunningPelo& pelo)
    {
        const HWND keyboard = pelo.WaitForKeyboard();
        EXPECT_TRUE(keyboard && ::IsWindowEnabled(keyboard));
        return keyboard;
    }
    static void Close(RunningPelo& pelo)
    {
        ::PostMessageW(pelo.Keyboard(), WM_CLOSE, 0, 0);
        EXPECT_EQ(pelo.WaitForExit(), 0u);
    }
    [[nodiscard]] int ShowWelcome() const { return folder.ReadIni(L"SHWEL", L"SHWEL", -1); }

    ProgramFolder folder;
};

} // namespace

TEST_F(WelcomeTest, Welcome_EscKeepsTheBoxStateAndOpensNothing_OtherValuesSkipIt)
{
    for (const bool tick : { false, true }) {
        RunningPelo pelo(folder);
        const HWND welcome = WaitForWelcome(pelo);
        ASSERT_NE(welcome, nullptr);
        if (tick) {
            Tick(welcome);
        } else {
            ClickCentre(::GetWindow(welcome, GW_CHILD)); // the label: active, nothing chosen
        }
        PressKey(VK_ESCAPE);
        const HWND keyboard = WaitForUsableKeyboard(pelo);
        ASSERT_NE(keyboard, nullptr);
        EXPECT_EQ(ShowWelcome(), tick ? 0 : 1);
        EXPECT_EQ(pelo.VisibleWindows(), std::vector<HWND> { keyboard });
        Close(pelo);
    }
    folder.WriteIni(L"SHWEL", L"SHWEL", 2);
    RunningPelo pelo(folder);
    ASSERT_NE(WaitForUsableKeyboard(pelo), nullptr);
    Close(pelo);
    EXPECT_EQ(ShowWelcome(), 2);
}

TEST_F(WelcomeTest, Welcome_IsCancelledWithTheProgram_WhenExitIsChosenFromTheTrayMenuMeanwhile)
{
    RunningPelo pelo(folder);
    const HWND welcome = WaitForWelcome(pelo);
    ASSERT_NE(welcome, nullptr);
    Tick(welcome);
    ::PostMessageW(pelo.KeyboardShownOrNot(), WM_COMMAND, kExitCommand, 0);
    EXPECT_EQ(pelo.WaitForExit(), 0u);
    EXPECT_EQ(ShowWelcome(), 0);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1); // written by the shutdown
}

TEST_F(WelcomeTest, HelpChoiceAndHelpCommand_ShowTheHelpFileInTheViewer_OrReportItMissing)
{
    RunningPelo pelo(folder);
    const HWND welcome = WaitForWelcome(pelo);
    ASSERT_NE(welcome, nullptr);
    ClickCentre(::GetDlgItem(welcome, kHelpChoice));
    HWND viewer = pelo.WaitForWindow(nullptr, kViewerClass);
    ASSERT_NE(viewer, nullptr);
    // The file's own title "Pelo 帮助" (Wine decodes its Chinese part in the wrong code page).
    wchar_t title[64] = L"";
    ::GetWindowTextW(viewer, title, 64);
    EXPECT_EQ(std::wstring(title).substr(0, 5), L"Pelo ");
    const HWND keyboard = WaitForUsableKeyboard(pelo);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(ShowWelcome(), 1);

    // The menu's Help command: through the application to the keyboard window's help.
    for (const bool fileThere : { true, false }) {
        ::PostMessageW(viewer, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(viewer); }));
        ASSERT_TRUE(fileThere || ::DeleteFileW(folder.File(L"帮助.chm").c_str()));
        ::PostMessageW(keyboard, WM_COMMAND, kHelpCommand, 0);
        if (fileThere) {
            viewer = pelo.WaitForWindow(nullptr, kViewerClass);
            ASSERT_NE(viewer, nullptr);
        }
    }
    const HWND box = pelo.WaitForMessageBox(
        L"找不到帮助文件“帮助.chm”。\n请确认它与Pelo.exe在同一文件夹中，并从这个文件夹启动Pelo。");
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    Close(pelo);
}

TEST_F(WelcomeTest, HelpCommand_ReportsAViewerThatCannotBeLoaded)
{
    // Wine's loader refuses a library to a program named in its application overrides.
    const wchar_t* const overrides = L"Software\\Wine\\AppDefaults\\Pelo.exe\\DllOverrides";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, overrides, L"hhctrl.ocx", REG_SZ, L"", sizeof L""), 0);
    folder.WriteIni(L"SHWEL", L"SHWEL", 0);
    RunningPelo pelo(folder);
    ::PostMessageW(pelo.WaitForKeyboard(), WM_COMMAND, kHelpCommand, 0);
    const HWND box = pelo.WaitForMessageBox(L"无法显示帮助：系统中的HTML帮助查看器（hhctrl.ocx）不能加载。\n"
                                            L"可以用其他CHM阅读器打开Pelo文件夹中的“帮助.chm”。");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, overrides, L"hhctrl.ocx");
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    Close(pelo);
}

TEST_F(WelcomeTest, AboutBox_OpensAboveTheKeyboardByCommandAndSystemCommand_ClosesWithEnterOrEsc)
{
    folder.WriteIni(L"SHWEL", L"SHWEL", 0);
    RunningPelo pelo(folder);
    const HWND keyboard = pelo.WaitForKeyboard();
    ASSERT_NE(keyboard, nullptr);
    for (const bool bySystemCommand : { false, true }) {
        ::PostMessageW(keyboard, bySystemCommand ? WM_SYSCOMMAND : WM_COMMAND,
            bySystemCommand ? 0x0013 : kAboutCommand, 0); // the system command's low four bits do not count
        const HWND about = pelo.WaitForWindow(L"关于Pelo");
        ASSERT_NE(about, nullptr) << "by system command: " << bySystemCommand;
        EXPECT_EQ(::GetWindow(about, GW_OWNER), keyboard);
        HWND below = about;
        while ((below = ::GetWindow(below, GW_HWNDNEXT)) != nullptr && below != keyboard) { }
        EXPECT_EQ(below, keyboard) << "above the topmost keyboard";
        EXPECT_FALSE(::IsWindowEnabled(keyboard));
        ClickCentre(about); // between its texts
        PressKey(bySystemCommand ? VK_ESCAPE : VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about) && ::IsWindowEnabled(keyboard); }));
    }
    Close(pelo);
}
