// The "更多" page and the scheme hotkey of the real program under Wine: schemes switched by the
// hotkey and the menu with the indicator beside the keyboard, the page's settings in config.ini
// [MORE], the log-on shortcut read back through the shell, and a config.ini without [MORE].
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "ProgramFixture.h"
#include "framework/ComPtr.h"

using namespace pelo::programtest;

namespace {

constexpr UINT kSettingsCommand = 32773, kSchemeTwoCommand = 32779, kSchemeThreeCommand = 32780;
constexpr int kTabs = 1002, kSchemeHotKey = 1060, kClearSchemeHotKey = 1061, kPassShortcuts = 1062,
              kStartAtLogon = 1063, kProgramName = 1064, kAdd = 1065, kRemove = 1066, kList = 1067;
constexpr int kOnOffHotKeyId = 500, kSchemeHotKeyId = 501;
const wchar_t kSettingsCaption[] = L"设置 - Pelo";
const wchar_t* const kNames[5] = { L"方案一", L"德语", L"方案三", L"方案四", L"方案五" };

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(
               a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE)
        == CSTR_EQUAL;
}

// Slot 2 holds a scheme of its own ("德语", A types ä), slot 1 is current, no welcome dialog.
class MoreSettingsTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProgramFixture::SetUp());
        ASSERT_TRUE(SUCCEEDED(com.result()));
        ASSERT_TRUE(folder.WriteBytes(L"fangan\\2.kmf", SchemeBytes(u"德语", u'\u00E4', u'\u00C4')));
        folder.WriteIni(L"SN", L"SN", 1);
    }

    std::wstring IniText(const wchar_t* key) const
    {
        wchar_t value[128] = L"";
        ::GetPrivateProfileStringW(L"MORE", key, L"<none>", value, 128, folder.File(L"config.ini").c_str());
        return value;
    }

    // The indicator was given this text to show (and [SN] holds the slot). It may have hidden
    // itself again already: it shows for a little more than a second, which a test process kept
    // waiting for the processor can miss.
    bool Indicates(const RunningPelo& pelo, int slot) const
    {
        return WaitUntil([&] {
            const HWND indicator = Indicator(pelo);
            return indicator && TextOf(indicator) == kNames[slot - 1]
                && folder.ReadIni(L"SN", L"SN", -1) == slot;
        });
    }

    // The indicator window, shown now or earlier.
    static HWND Indicator(const RunningPelo& pelo) { return SchemeIndicatorOf(pelo.ProcessId(), false); }

    // The "更多" page of a newly opened settings dialog, shown by a click on its tab.
    static HWND OpenMorePage(const RunningPelo& pelo, HWND& settings)
    {
        ::PostMessageW(pelo.Keyboard(), WM_COMMAND, kSettingsCommand, 0);
        settings = pelo.WaitForWindow(kSettingsCaption);
        if (!settings) {
            return nullptr;
        }
        return ShowPage(settings, ::GetDlgItem(settings, kTabs), 2, kList);
    }

    // A click that a click on the same window just before cannot turn into a double-click.
    void Click(HWND window) { clicks.Click(window); }

    // Clicks the item of the list box, in the middle of its row.
    void ClickItem(HWND list, int index)
    {
        const RECT item = RemoteRect(list, LB_GETITEMRECT, static_cast<WPARAM>(index));
        POINT centre { (item.left + item.right) / 2, (item.top + item.bottom) / 2 };
        ::ClientToScreen(list, &centre);
        ClickAt(centre);
        clicks.Forget();
    }

    static std::vector<std::wstring> Items(HWND list)
    {
        std::vector<std::wstring> items;
        const auto count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[80] = L"";
            ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            items.emplace_back(text);
        }
        return items;
    }

    // Types the name into the page's edit and clicks Add.
    void Add(HWND page, const std::u16string& name)
    {
        const HWND edit = ::GetDlgItem(page, kProgramName);
        Click(edit);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(page) == edit; }));
        PressKeys({ VK_END });
        for (std::size_t n = TextOf(edit).size(); n > 0; --n) {
            PressKeys({ VK_BACK });
        }
        ASSERT_TRUE(WaitUntil([&] { return TextOf(edit).empty(); }));
        TypeText(name);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == std::wstring(name.begin(), name.end()); }));
        Click(::GetDlgItem(page, kAdd));
    }

    static bool Answer(const RunningPelo& pelo, const std::wstring& text)
    {
        const HWND box = pelo.WaitForMessageBox(text);
        return box && TextOf(box) == L"Pelo提醒您" && ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }

    // What OK took, as the page shows it again: Ctrl+F9 for the scheme hotkey, shortcuts passed on,
    // and the two programs.
    static void ExpectSavedOnPage(HWND page)
    {
        EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kSchemeHotKey), HKM_GETHOTKEY, 0, 0),
            MAKEWORD(VK_F9, HOTKEYF_CONTROL));
        EXPECT_EQ(::IsDlgButtonChecked(page, kPassShortcuts), BST_CHECKED);
        EXPECT_EQ(
            Items(::GetDlgItem(page, kList)), (std::vector<std::wstring> { L"Notepad.EXE", L"calc.exe" }));
    }

    pelo::ComApartment com;
    SpacedClicks clicks;
};

} // namespace

TEST_F(MoreSettingsTest, SchemeHotKey_CyclesFiveSchemesWithIndicator_FocusStaysWithTypingTarget)
{
    folder.WriteIni(L"MORE", L"SCHEME_FG", HOTKEYF_CONTROL);
    folder.WriteIni(L"MORE", L"SCHEME_VK", VK_F9);
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_FALSE(::RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_F9)) << "the program holds Ctrl+F9";
    ASSERT_TRUE(target.Activate());
    const HWND typing = ::GetForegroundWindow();
    ASSERT_NE(typing, nullptr);

    for (const int slot : { 2, 3, 4, 5, 1 }) {
        PressKeys({ VK_CONTROL, VK_F9 });
        ASSERT_TRUE(Indicates(pelo, slot)) << "slot " << slot;
        const HWND indicator = Indicator(pelo);
        EXPECT_EQ(::GetForegroundWindow(), typing) << "slot " << slot;
        const LONG_PTR exStyle = ::GetWindowLongPtrW(indicator, GWL_EXSTYLE);
        const LONG_PTR wanted = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE;
        EXPECT_EQ(exStyle & wanted, wanted);
        EXPECT_EQ(::GetWindowLongPtrW(indicator, GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
        // Beside the keyboard: above or below it, overlapping it sideways.
        const RECT board = WindowRect(keyboard), shown = WindowRect(indicator);
        EXPECT_TRUE(shown.top >= board.bottom || shown.bottom <= board.top);
        EXPECT_LT(std::min(std::abs(shown.top - board.bottom), std::abs(board.top - shown.bottom)), 20);
        EXPECT_TRUE(shown.left < board.right && shown.right > board.left);
        if (slot == 2) {
            target.TypeKey('A');
            EXPECT_EQ(target.Chars(), u"\u00E4") << "the hook types with the new scheme";
            target.Clear();
        }
    }
    EXPECT_TRUE(WaitUntil([&] { return SchemeIndicatorOf(pelo.ProcessId()) == nullptr; }, 5000))
        << "the indicator hides itself";
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"\u03B1");
    Close(pelo);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
    EXPECT_TRUE(::RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_F9)) << "given back at exit";
    ::UnregisterHotKey(nullptr, 1);
}

TEST_F(MoreSettingsTest, MenuSwitch_ShowsIndicator_CentredOnMonitorWhileKeyboardHidden)
{
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    ::PostMessageW(keyboard, WM_COMMAND, kSchemeThreeCommand, 0);
    ASSERT_TRUE(Indicates(pelo, 3));
    const RECT board = WindowRect(keyboard), beside = WindowRect(Indicator(pelo));
    EXPECT_TRUE(beside.top >= board.bottom || beside.bottom <= board.top);

    ::PostMessageW(keyboard, WM_HOTKEY, kOnOffHotKeyId, MAKELPARAM(MOD_CONTROL, 'D'));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(keyboard); }));
    ::PostMessageW(keyboard, WM_COMMAND, kSchemeTwoCommand, 0);
    ASSERT_TRUE(Indicates(pelo, 2));
    MONITORINFO monitor {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(keyboard, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT centred = WindowRect(Indicator(pelo));
    EXPECT_LE(
        std::abs((centred.left + centred.right) - (monitor.rcMonitor.left + monitor.rcMonitor.right)), 2);
    EXPECT_LE(
        std::abs((centred.top + centred.bottom) - (monitor.rcMonitor.top + monitor.rcMonitor.bottom)), 2);
    Close(pelo);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 2);
}

TEST_F(MoreSettingsTest, ConfigWithoutMore_LoadsAsBefore_NoSchemeHotKeyAndNoSectionWritten)
{
    folder.WriteIni(L"SN", L"SN", 2);
    folder.WriteIni(L"HOT KEY", L"SW_FG", HOTKEYF_CONTROL);
    folder.WriteIni(L"HOT KEY", L"SW_VK", 'D');
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);

    // A scheme hotkey message the system would not send: nothing switches. The on/off hotkey
    // posted after it shows when the program has handled both.
    ::PostMessageW(keyboard, WM_HOTKEY, kSchemeHotKeyId, MAKELPARAM(MOD_CONTROL, VK_F9));
    ::PostMessageW(keyboard, WM_HOTKEY, kOnOffHotKeyId, MAKELPARAM(MOD_CONTROL, 'D'));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(keyboard); }));
    EXPECT_EQ(SchemeIndicatorOf(pelo.ProcessId()), nullptr);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 2);
    EXPECT_TRUE(::RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_F9)) << "no scheme hotkey is registered";
    ::UnregisterHotKey(nullptr, 1);

    // The page shows nothing set.
    ::PostMessageW(keyboard, WM_HOTKEY, kOnOffHotKeyId, MAKELPARAM(MOD_CONTROL, 'D'));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(keyboard) != FALSE; }));
    HWND settings = nullptr;
    const HWND page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kSchemeHotKey), HKM_GETHOTKEY, 0, 0), 0);
    EXPECT_EQ(::IsDlgButtonChecked(page, kPassShortcuts), BST_UNCHECKED);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kList), LB_GETCOUNT, 0, 0), 0);
    Click(::GetDlgItem(settings, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));

    Close(pelo);
    wchar_t keys[64] = L"";
    EXPECT_EQ(
        ::GetPrivateProfileStringW(L"MORE", nullptr, L"", keys, 64, folder.File(L"config.ini").c_str()), 0u);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 2);
}

TEST_F(MoreSettingsTest, MorePage_OkWritesMoreSection_CancelDiscards_ReopenedShowsSaved)
{
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    HWND settings = nullptr;
    HWND page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(settings, kTabs), TCM_GETITEMCOUNT, 0, 0), 3);

    const HWND hotKey = ::GetDlgItem(page, kSchemeHotKey);
    Click(hotKey);
    PressKeys({ VK_CONTROL, VK_F9 });
    ASSERT_TRUE(WaitUntil(
        [&] { return ::SendMessageW(hotKey, HKM_GETHOTKEY, 0, 0) == MAKEWORD(VK_F9, HOTKEYF_CONTROL); }));
    Click(::GetDlgItem(page, kPassShortcuts));
    ASSERT_TRUE(WaitUntil([&] { return ::IsDlgButtonChecked(page, kPassShortcuts) == BST_CHECKED; }));

    const HWND list = ::GetDlgItem(page, kList);
    Add(page, u"mstsc.exe");
    ASSERT_TRUE(WaitUntil([&] { return Items(list) == std::vector<std::wstring> { L"mstsc.exe" }; }));
    Add(page, u"  Notepad.EXE ");
    ASSERT_TRUE(WaitUntil([&] { return Items(list).size() == 2; }));
    EXPECT_EQ(Items(list)[1], L"Notepad.EXE") << "trimmed";
    Add(page, u"notepad.exe");
    EXPECT_TRUE(Answer(pelo, L"“Notepad.EXE”已经在列表中了。"));
    Add(page, u"C:\\tools\\x.exe");
    EXPECT_TRUE(
        Answer(pelo, L"“C:\\tools\\x.exe”不是文件名。请只输入程序的文件名，不要带路径，例如 mstsc.exe。"));
    Add(page, u"calc.exe");
    ASSERT_TRUE(WaitUntil([&] { return Items(list).size() == 3; }));
    ClickItem(list, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(list, LB_GETCURSEL, 0, 0) == 0; }));
    Click(::GetDlgItem(page, kRemove));
    ASSERT_TRUE(WaitUntil([&] { return Items(list).size() == 2; }));
    EXPECT_EQ(Items(list), (std::vector<std::wstring> { L"Notepad.EXE", L"calc.exe" }));

    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    // Written by the program while this reads it: the values are looked at together.
    const auto saved = [&] {
        return IniText(L"SCHEME_FG") == std::to_wstring(HOTKEYF_CONTROL)
            && IniText(L"SCHEME_VK") == std::to_wstring(VK_F9) && IniText(L"PASS_SHORTCUTS") == L"1"
            && IniText(L"COUNT") == L"2" && IniText(L"EXCLUDE1") == L"Notepad.EXE"
            && IniText(L"EXCLUDE2") == L"calc.exe" && IniText(L"EXCLUDE3") == L"<none>";
    };
    EXPECT_TRUE(WaitUntil(saved));
    PressKeys({ VK_CONTROL, VK_F9 });
    EXPECT_TRUE(Indicates(pelo, 2)) << "the new scheme hotkey is registered";

    // Changed and cancelled: the file and the page keep what OK took.
    page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    ExpectSavedOnPage(page);
    Click(::GetDlgItem(page, kClearSchemeHotKey));
    ASSERT_TRUE(WaitUntil(
        [&] { return ::SendMessageW(::GetDlgItem(page, kSchemeHotKey), HKM_GETHOTKEY, 0, 0) == 0; }));
    Click(::GetDlgItem(page, kPassShortcuts));
    ClickItem(::GetDlgItem(page, kList), 1);
    Click(::GetDlgItem(page, kRemove));
    ASSERT_TRUE(WaitUntil([&] { return Items(::GetDlgItem(page, kList)).size() == 1; }));
    Click(::GetDlgItem(settings, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    // Taken from the keyboard's own loop once the settings command has ended.
    ::PostMessageW(keyboard, WM_HOTKEY, kOnOffHotKeyId, MAKELPARAM(MOD_CONTROL, 'D'));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(keyboard); }));
    PressKeys({ VK_CONTROL, VK_F9 });
    EXPECT_TRUE(Indicates(pelo, 3)) << "the scheme hotkey is registered again";
    ::PostMessageW(keyboard, WM_HOTKEY, kOnOffHotKeyId, MAKELPARAM(MOD_CONTROL, 'D'));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(keyboard) != FALSE; }));

    page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    ExpectSavedOnPage(page);
    Click(::GetDlgItem(settings, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    Close(pelo);
    EXPECT_TRUE(saved());
}

TEST_F(MoreSettingsTest, StartAtLogon_WritesShortcutToThisProgramInItsFolder_RemovedWhenUnticked)
{
    const StartupShortcutRemoved cleanUp;
    const std::wstring shortcut = StartupShortcutFile();
    ASSERT_FALSE(shortcut.empty());
    RunningPelo pelo(folder);
    ASSERT_NE(Start(pelo), nullptr);

    HWND settings = nullptr;
    HWND page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(::IsDlgButtonChecked(page, kStartAtLogon), BST_UNCHECKED);
    Click(::GetDlgItem(page, kStartAtLogon));
    ASSERT_TRUE(WaitUntil([&] { return ::IsDlgButtonChecked(page, kStartAtLogon) == BST_CHECKED; }));
    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    const ShortcutInfo written = ReadShortcut(shortcut);
    ASSERT_TRUE(written.read);
    EXPECT_TRUE(SamePath(written.target, folder.File(L"Pelo.exe")))
        << std::string(written.target.begin(), written.target.end());
    EXPECT_TRUE(SamePath(written.workingFolder, folder.Path()));

    // Shown ticked; another program's shortcut by that name is shown unticked and left alone.
    page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(::IsDlgButtonChecked(page, kStartAtLogon), BST_CHECKED);
    Click(::GetDlgItem(settings, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    ASSERT_TRUE(WriteShortcut(shortcut, L"C:\\windows\\notepad.exe", L"C:\\windows"));
    page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(::IsDlgButtonChecked(page, kStartAtLogon), BST_UNCHECKED);
    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    EXPECT_TRUE(SamePath(ReadShortcut(shortcut).target, L"C:\\windows\\notepad.exe"));

    // Ours again, then unticked: removed.
    ASSERT_TRUE(WriteShortcut(shortcut, folder.File(L"Pelo.exe"), folder.Path()));
    page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(::IsDlgButtonChecked(page, kStartAtLogon), BST_CHECKED);
    Click(::GetDlgItem(page, kStartAtLogon));
    ASSERT_TRUE(WaitUntil([&] { return ::IsDlgButtonChecked(page, kStartAtLogon) == BST_UNCHECKED; }));
    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    EXPECT_EQ(::GetFileAttributesW(shortcut.c_str()), INVALID_FILE_ATTRIBUTES);
    Close(pelo);
}

TEST_F(MoreSettingsTest, ListFromFile_FullListRefusesMore_HeldSchemeHotKeyWarnsOnceAndFileKeepsOldOne)
{
    folder.WriteIni(L"MORE", L"SCHEME_FG", HOTKEYF_CONTROL);
    folder.WriteIni(L"MORE", L"SCHEME_VK", VK_F9);
    folder.WriteIni(L"MORE", L"COUNT", 16);
    const std::wstring ini = folder.File(L"config.ini");
    for (int i = 1; i <= 15; ++i) {
        const std::wstring key = L"EXCLUDE" + std::to_wstring(i), name = L"p" + std::to_wstring(i) + L".exe";
        ::WritePrivateProfileStringW(L"MORE", key.c_str(), name.c_str(), ini.c_str());
    }
    ::WritePrivateProfileStringW(L"MORE", L"EXCLUDE16", L"P1.EXE", ini.c_str()); // a duplicate: left out
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);

    HWND settings = nullptr;
    const HWND page = OpenMorePage(pelo, settings);
    ASSERT_NE(page, nullptr);
    const HWND list = ::GetDlgItem(page, kList);
    ASSERT_EQ(Items(list).size(), 15u);
    EXPECT_EQ(Items(list)[14], L"p15.exe");
    Add(page, u"p16.exe");
    ASSERT_TRUE(WaitUntil([&] { return Items(list).size() == 16; }));
    Add(page, u"p17.exe");
    EXPECT_TRUE(Answer(pelo, L"最多只能添加16个程序。"));
    EXPECT_EQ(Items(list).size(), 16u);

    const HWND hotKey = ::GetDlgItem(page, kSchemeHotKey);
    Click(hotKey);
    PressKeys({ VK_CONTROL, VK_F10 });
    ASSERT_TRUE(WaitUntil(
        [&] { return ::SendMessageW(hotKey, HKM_GETHOTKEY, 0, 0) == MAKEWORD(VK_F10, HOTKEYF_CONTROL); }));
    const HeldHotKey held(MOD_CONTROL, VK_F10); // taken by another program while the dialog is open
    ASSERT_TRUE(held.Held());
    Click(::GetDlgItem(settings, IDOK));
    const std::wstring conflict = L"快捷键有冲突！\n请重新设置快捷键！";
    ASSERT_TRUE(Answer(pelo, conflict));
    EXPECT_TRUE(WaitUntil([&] {
        return IniText(L"COUNT") == L"16" && IniText(L"EXCLUDE16") == L"p16.exe"
            && IniText(L"SCHEME_VK") == std::to_wstring(VK_F9);
    })) << "the list is written, the hotkey that could not be registered is not";
    // Taken from the keyboard's own loop once the settings command has ended.
    ::PostMessageW(keyboard, WM_HOTKEY, kOnOffHotKeyId, MAKELPARAM(MOD_CONTROL, 'D'));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(keyboard); }));
    EXPECT_EQ(pelo.WaitForMessageBox(conflict, 0), nullptr) << "one message";
    EXPECT_TRUE(::RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_F9)) << "the old scheme hotkey was given up";
    ::UnregisterHotKey(nullptr, 1);
    Close(pelo);
    EXPECT_EQ(IniText(L"SCHEME_VK"), std::to_wstring(VK_F9));
}

// The hook's two settings, handed over at start: a listed program's keys pass unchanged, another
// program's are converted; with the shortcut box ticked a Ctrl combination reaches the program
// as it was typed (Ctrl+A is the character 1), a plain key is still converted.
TEST_F(MoreSettingsTest, HookSettingsFromFile_ListedProgramLeftAlone_ShortcutsPassWhilePlainKeysConvert)
{
    const std::wstring ini = folder.File(L"config.ini");
    folder.WriteIni(L"MORE", L"PASS_SHORTCUTS", 1);
    folder.WriteIni(L"MORE", L"COUNT", 1);
    ::WritePrivateProfileStringW(L"MORE", L"EXCLUDE1", L"pelohooktarget.EXE", ini.c_str());
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    {
        RunningPelo pelo(folder);
        ASSERT_NE(Start(pelo), nullptr);
        ASSERT_TRUE(target.Activate());
        target.TypeKey('A');
        EXPECT_EQ(target.Chars(), u"a");
        Close(pelo);
    }
    ::WritePrivateProfileStringW(L"MORE", L"EXCLUDE1", L"other.exe", ini.c_str());
    RunningPelo pelo(folder);
    ASSERT_NE(Start(pelo), nullptr);
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    target.TypeKeyWith(VK_CONTROL, 'A');
    EXPECT_EQ(target.Chars(), u"\u03B1\u0001");
    Close(pelo);
}
