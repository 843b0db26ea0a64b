// The welcome dialog, the about box and help in the real program under Wine: the welcome dialog
// answered by mouse and keys in a fresh folder and what it leaves in config.ini, the help viewer
// opened from it and from the Help command, and the about box.
#include <gtest/gtest.h>

#include "ProgramDriver.h"

using namespace pelo::programtest;

namespace {

constexpr int kHelpChoice = 1053, kDontShowAgain = 1061;
constexpr UINT kAboutCommand = 32772, kExitCommand = 32776, kHelpCommand = 57670,
               kAboutSystemCommand = 0x0010;
constexpr wchar_t kWelcomeCaption[] = L"欢迎使用Pelo";
constexpr wchar_t kAboutCaption[] = L"关于Pelo";
constexpr wchar_t kViewerClass[] = L"HH Parent";

class WelcomeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Ready()); }

    // The welcome dialog of a copy just started; the keyboard window waits behind it, not shown.
    static HWND WaitForWelcome(RunningPelo& pelo)
    {
        EXPECT_TRUE(pelo.Started());
        const HWND welcome = pelo.WaitForWindow(kWelcomeCaption);
        EXPECT_EQ(pelo.WaitForKeyboard(0), nullptr);
        return welcome;
    }

    // The keyboard window shown and enabled once the dialogs before it have closed.
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

// Wine's loader refuses a library to one program while this scope lasts (an application
// override, read when the program starts).
class RefusedLibrary {
public:
    RefusedLibrary(const wchar_t* program, const wchar_t* library)
        : m_key(std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides")
        , m_library(library)
    {
        pelo::UniqueHkey key;
        m_set = ::RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                    key.put(), nullptr)
                == ERROR_SUCCESS
            && ::RegSetValueExW(
                   key.get(), library, 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t))
                == ERROR_SUCCESS;
    }
    RefusedLibrary(const RefusedLibrary&) = delete;
    RefusedLibrary& operator=(const RefusedLibrary&) = delete;
    ~RefusedLibrary() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, m_key.c_str(), m_library); }
    [[nodiscard]] bool Set() const { return m_set; }

private:
    std::wstring m_key;
    const wchar_t* m_library;
    bool m_set = false;
};

bool IsAbove(HWND upper, HWND lower)
{
    for (HWND next = ::GetWindow(upper, GW_HWNDNEXT); next; next = ::GetWindow(next, GW_HWNDNEXT)) {
        if (next == lower) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(WelcomeTest, Welcome_EscKeepsTheBoxStateOpensNothingAndOtherValuesSkipIt_InFreshFolder)
{
    {
        RunningPelo pelo(folder);
        const HWND welcome = WaitForWelcome(pelo);
        ASSERT_NE(welcome, nullptr);
        ClickCentre(::GetWindow(welcome, GW_CHILD)); // the label: the dialog active, nothing chosen
        PressKey(VK_ESCAPE);
        const HWND keyboard = WaitForUsableKeyboard(pelo);
        ASSERT_NE(keyboard, nullptr);
        EXPECT_EQ(ShowWelcome(), 1);
        EXPECT_EQ(pelo.VisibleWindows(), std::vector<HWND> { keyboard });
        Close(pelo);
    }
    {
        // Still offered; ticked, Esc switches it off.
        RunningPelo pelo(folder);
        const HWND welcome = WaitForWelcome(pelo);
        ASSERT_NE(welcome, nullptr);
        ClickCentre(::GetDlgItem(welcome, kDontShowAgain));
        ASSERT_TRUE(WaitUntil([&] { return ::IsDlgButtonChecked(welcome, kDontShowAgain) == BST_CHECKED; }));
        PressKey(VK_ESCAPE);
        ASSERT_NE(WaitForUsableKeyboard(pelo), nullptr);
        EXPECT_EQ(ShowWelcome(), 0);
        Close(pelo);
    }
    // A value other than 1 skips the dialog and is left as it is.
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
    ClickCentre(::GetDlgItem(welcome, kDontShowAgain));
    ASSERT_TRUE(WaitUntil([&] { return ::IsDlgButtonChecked(welcome, kDontShowAgain) == BST_CHECKED; }));
    const HWND keyboard = pelo.KeyboardShownOrNot();
    ASSERT_NE(keyboard, nullptr);
    ::PostMessageW(keyboard, WM_COMMAND, kExitCommand, 0);
    EXPECT_EQ(pelo.WaitForExit(), 0u);
    EXPECT_EQ(ShowWelcome(), 0);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1); // the shutdown ran
}

TEST_F(WelcomeTest, HelpChoiceAndHelpCommand_ShowTheHelpFileInTheViewer)
{
    RunningPelo pelo(folder);
    const HWND welcome = WaitForWelcome(pelo);
    ASSERT_NE(welcome, nullptr);
    ClickCentre(::GetDlgItem(welcome, kHelpChoice));
    const HWND viewer = pelo.WaitForWindow(nullptr, kViewerClass);
    ASSERT_NE(viewer, nullptr);
    // The help file's own title, "Pelo 帮助" (Wine shows its Chinese part in the wrong code page).
    wchar_t title[64] = L"";
    ::GetWindowTextW(viewer, title, 64);
    EXPECT_EQ(std::wstring(title).substr(0, 5), L"Pelo ");
    const HWND keyboard = WaitForUsableKeyboard(pelo);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(ShowWelcome(), 1);

    // The menu's Help command goes through the application to the keyboard window's help.
    ::PostMessageW(viewer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(viewer); }));
    ::PostMessageW(keyboard, WM_COMMAND, kHelpCommand, 0);
    ASSERT_NE(pelo.WaitForWindow(nullptr, kViewerClass), nullptr);
    Close(pelo); // the viewer still open
}

TEST_F(WelcomeTest, HelpCommand_ReportsAMissingViewerOrHelpFile)
{
    folder.WriteIni(L"SHWEL", L"SHWEL", 0);
    const auto reports = [&](const std::wstring& message) {
        RunningPelo pelo(folder);
        if (!pelo.WaitForKeyboard()) {
            return false;
        }
        ::PostMessageW(pelo.Keyboard(), WM_COMMAND, kHelpCommand, 0);
        const HWND box = pelo.WaitForMessageBox(message);
        if (box) {
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        const bool noViewer = pelo.WaitForWindow(nullptr, kViewerClass, 0) == nullptr;
        Close(pelo);
        return box && noViewer;
    };
    {
        const RefusedLibrary noViewer(L"Pelo.exe", L"hhctrl.ocx");
        ASSERT_TRUE(noViewer.Set());
        EXPECT_TRUE(reports(L"无法显示帮助：系统中的HTML帮助查看器（hhctrl.ocx）不能加载。\n"
                            L"可以用其他CHM阅读器打开Pelo文件夹中的“帮助.chm”。"));
    }
    ASSERT_TRUE(::DeleteFileW(folder.File(L"帮助.chm").c_str()));
    EXPECT_TRUE(
        reports(L"找不到帮助文件“帮助.chm”。\n请确认它与Pelo.exe在同一文件夹中，并从这个文件夹启动Pelo。"));
}

TEST_F(WelcomeTest, AboutBox_OpensAboveTheKeyboardByCommandAndSystemCommand_ClosesWithEnterOrEsc)
{
    folder.WriteIni(L"SHWEL", L"SHWEL", 0);
    RunningPelo pelo(folder);
    const HWND keyboard = pelo.WaitForKeyboard();
    ASSERT_NE(keyboard, nullptr);
    for (const bool bySystemCommand : { false, true }) {
        if (bySystemCommand) {
            ::PostMessageW(keyboard, WM_SYSCOMMAND, kAboutSystemCommand | 3, 0); // low bits are not looked at
        } else {
            ::PostMessageW(keyboard, WM_COMMAND, kAboutCommand, 0);
        }
        const HWND about = pelo.WaitForWindow(kAboutCaption);
        ASSERT_NE(about, nullptr) << "by system command: " << bySystemCommand;
        EXPECT_EQ(::GetWindow(about, GW_OWNER), keyboard);
        EXPECT_TRUE(IsAbove(about, keyboard));
        EXPECT_FALSE(::IsWindowEnabled(keyboard));
        ClickCentre(about); // between the texts: the box active, its OK button focused
        PressKey(bySystemCommand ? VK_ESCAPE : VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }));
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(keyboard) != FALSE; }));
    }
    Close(pelo);
}
