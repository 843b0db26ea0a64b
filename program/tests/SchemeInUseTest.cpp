// The scheme in use and the save at exit in the real program under Wine: the scheme goes back
// only into the key-map file it was loaded from, whatever config.ini, a second copy or an
// unreadable key-map file do meanwhile; the files read back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "ProgramFixture.h"

using namespace pelo::programtest;

namespace {

constexpr UINT WM_TRAY_NOTIFY = WM_USER + 5;
constexpr UINT kSchemeOneCommand = 32778, kSchemeThreeCommand = 32780;
const wchar_t kSchemeOne[] = L"fangan\\1.kmf", kSchemeThree[] = L"fangan\\3.kmf";
const wchar_t kConflict[] = L"快捷键有冲突！请重新设置！";
const wchar_t kUnreadableAtStart[]
    = L"无法读取键盘方案文件“fangan\\1.kmf”，它可能正被其他程序使用，或者没有读取权限。\n"
      L"这次先使用默认的键盘方案，退出时不会改写这个文件。";
const wchar_t kUnreadableChosen[]
    = L"无法读取键盘方案文件“fangan\\3.kmf”，它可能正被其他程序使用，或者没有读取权限。\n"
      L"仍然使用原来的键盘方案。";

// Slots 1 and 3 hold schemes of their own, slot 1 is current, no welcome dialog.
class SchemeInUseTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProgramFixture::SetUp());
        ASSERT_TRUE(folder.WriteBytes(kSchemeOne, one));
        ASSERT_TRUE(folder.WriteBytes(kSchemeThree, three));
        folder.WriteIni(L"SN", L"SN", 1);
    }

    // A menu command handled before this returns (a scheme loaded without a message).
    static bool Command(HWND keyboard, UINT id)
    {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(keyboard, WM_COMMAND, id, 0, SMTO_BLOCK, 10000, &result) != 0;
    }

    // The scheme the function menu, opened from the tray icon as the right button does, shows with
    // the check mark (0 for none, -1 when the menu could not be read); the menu is closed again.
    static int CheckedScheme(const RunningPelo& pelo)
    {
        ::PostMessageW(pelo.Keyboard(), WM_TRAY_NOTIFY, 103, WM_RBUTTONDOWN);
        std::vector<HWND> menus;
        if (!WaitUntil([&] { return (menus = MenuWindows(pelo.ProcessId())).size() == 1; })) {
            return -1;
        }
        // The scheme submenu by its mnemonic, which the menu takes from the queue as a key.
        ::PostMessageW(menus[0], WM_CHAR, 'f', 0);
        HWND submenu = nullptr;
        WaitUntil([&] {
            for (HWND menu : MenuWindows(pelo.ProcessId())) {
                submenu = menu != menus[0] ? menu : submenu;
            }
            return submenu != nullptr;
        });
        const int checked = submenu ? CheckedRow(WindowRect(submenu)) : -1;
        ::PostMessageW(pelo.Keyboard(), WM_CANCELMODE, 0, 0);
        return WaitUntil([&] { return MenuWindows(pelo.ProcessId()).empty(); }) ? checked : -1;
    }

    // Which of the five items of a menu on the screen shows a check mark in front of its text:
    // the lines across the check mark's column that are not of one colour.
    static int CheckedRow(const RECT& rect)
    {
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        const int border = 3, left = border, right = border + ::GetSystemMetrics(SM_CXMENUCHECK) + 2;
        const std::vector<std::uint32_t> pixels = PaintedPixels(rect);
        if (pixels.size() != static_cast<std::size_t>(width) * height || height <= 2 * border) {
            return -1;
        }
        int row = 0;
        for (int y = border; y < height - border; ++y) {
            const std::uint32_t* line = &pixels[static_cast<std::size_t>(y) * width];
            if (std::all_of(line + left, line + right, [&](std::uint32_t p) { return p == line[left]; })) {
                continue;
            }
            const int marked = 1 + (y - border) * 5 / (height - 2 * border);
            if (row != 0 && row != marked) {
                return -1; // marks in two items
            }
            row = marked;
        }
        return row;
    }

    const std::vector<std::uint8_t> one = SchemeBytes(u"甲方案", u'\u0436', u'\u0416'); // ж Ж
    const std::vector<std::uint8_t> three = SchemeBytes(u"丙方案", u'\u044F', u'\u042F'); // я Я
};

} // namespace

TEST_F(SchemeInUseTest, ReadOnlyConfig_ChosenSchemeStaysInUseWhenTheMenuOpensAgain_AndGoesBackIntoItsOwnFile)
{
    const std::vector<std::uint8_t> config = folder.ReadBytes(L"config.ini");
    // Readable but not writable. Not by its read-only attribute: under Wine the tests' user, root,
    // writes such a file all the same.
    const LockedFile readOnly(folder.File(L"config.ini"), FILE_SHARE_READ);
    ASSERT_TRUE(readOnly.Locked());
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    ASSERT_NE(pelo.WaitForKeyboard(), nullptr);

    ASSERT_TRUE(Command(pelo.Keyboard(), kSchemeThreeCommand));
    EXPECT_EQ(CheckedScheme(pelo), 3);
    EXPECT_EQ(TypedBy(target, 'A'), u"\u044F");

    Close(pelo);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
    EXPECT_EQ(folder.ReadBytes(kSchemeThree), three);
    EXPECT_EQ(folder.ReadBytes(L"config.ini"), config);
}

TEST_F(SchemeInUseTest, SecondCopyChangesTheSlotNumber_EachCopySavesOnlyTheSchemeItLoaded)
{
    RunningPelo first(folder);
    ASSERT_NE(first.WaitForKeyboard(), nullptr);
    RunningPelo second(folder);
    const HWND box = second.WaitForMessageBox(kConflict);
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_NE(second.WaitForKeyboard(), nullptr);

    ASSERT_TRUE(Command(second.Keyboard(), kSchemeThreeCommand));
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 3);
    EXPECT_EQ(CheckedScheme(first), 1);
    Close(first);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
    EXPECT_EQ(folder.ReadBytes(kSchemeThree), three);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);

    Close(second);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
    EXPECT_EQ(folder.ReadBytes(kSchemeThree), three);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 3);
}

TEST_F(SchemeInUseTest, CurrentSlotFileUnreadableAtStart_ReportedDefaultTypedAndFileNeverOverwritten)
{
    LockedFile lock(folder.File(kSchemeOne));
    ASSERT_TRUE(lock.Locked());
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND box = pelo.WaitForMessageBox(kUnreadableAtStart);
    ASSERT_NE(box, nullptr);
    wchar_t caption[32] = L"";
    ::GetWindowTextW(box, caption, 32);
    EXPECT_STREQ(caption, L"Pelo提醒您");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_NE(pelo.WaitForKeyboard(), nullptr);
    EXPECT_EQ(TypedBy(target, 'A'), u"\u03B1");
    EXPECT_EQ(CheckedScheme(pelo), 0); // none of the five is in use

    // Readable again: the exit still leaves it alone, as it was never loaded.
    lock.Release();
    Close(pelo);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);

    // Loaded when chosen, and from then on saved at exit.
    RunningPelo again(folder);
    ASSERT_NE(again.WaitForKeyboard(), nullptr);
    ASSERT_TRUE(Command(again.Keyboard(), kSchemeOneCommand));
    EXPECT_EQ(TypedBy(target, 'A'), u"\u0436");
    EXPECT_EQ(CheckedScheme(again), 1);
    Close(again);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
}

TEST_F(SchemeInUseTest, ChosenSlotFileUnreadable_ReportedAndTheSchemeInUseKept)
{
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    ASSERT_NE(pelo.WaitForKeyboard(), nullptr);
    LockedFile lock(folder.File(kSchemeThree));
    ASSERT_TRUE(lock.Locked());
    ::PostMessageW(pelo.Keyboard(), WM_COMMAND, kSchemeThreeCommand, 0);
    const HWND box = pelo.WaitForMessageBox(kUnreadableChosen);
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
    EXPECT_EQ(TypedBy(target, 'A'), u"\u0436");

    lock.Release();
    EXPECT_EQ(CheckedScheme(pelo), 1);
    Close(pelo);
    EXPECT_EQ(folder.ReadBytes(kSchemeOne), one);
    EXPECT_EQ(folder.ReadBytes(kSchemeThree), three);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
}
