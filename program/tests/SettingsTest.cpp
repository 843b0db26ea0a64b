// The settings dialog of the real program under Wine, driven as a user would: clicks on the
// editor's key buttons, the combo box, the tabs and the buttons, text typed into the edits and the
// hotkey control, Enter and Esc, the message boxes answered; the files read back byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "ProgramFixture.h"

using namespace pelo::programtest;

namespace {

constexpr UINT kSettingsCommand = 32773;
constexpr int kCombo = 1003, kRename = 1004, kUseScheme = 1005, kKeyText = 1008, kTChar1 = 1009,
              kTChar2 = 1010, kTabs = 1002, kDefaultHotKey = 1053, kNewName = 1054, kHotKey = 1057;
constexpr int kKeyA = 1032, kKeyS = 1033;
const wchar_t kSettingsCaption[] = L"设置 - Pelo";
const wchar_t kQuestion[]
    = L"当前键盘方案尚未保存，是否保存？\n\n是：保存。否：不保存。取消：返回未保存的键盘方案。";
const wchar_t* const kSchemeFiles[5]
    = { L"fangan\\1.kmf", L"fangan\\2.kmf", L"fangan\\3.kmf", L"fangan\\4.kmf", L"fangan\\5.kmf" };

// The editor's key buttons in layout order: control id and key character.
struct EditorKey {
    int id;
    char16_t keyChar;
};
std::vector<EditorKey> EditorKeys()
{
    std::vector<EditorKey> keys;
    int id = 1012;
    for (const char* row : { "1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM" }) {
        if (*row == 'Z') {
            id = 1042; // 1041 is not used
        }
        for (const char* key = row; *key; ++key) {
            keys.push_back({ id++, static_cast<char16_t>(*key) });
        }
    }
    return keys;
}

// Waits until the program has handled what was posted to it before now: a text limit posted to
// the edit is handled after those messages. (The page sets the limit again whenever it fills it.)
bool HandledPosted(HWND edit)
{
    static WPARAM token = 100;
    const WPARAM limit = ++token;
    return ::PostMessageW(edit, EM_SETLIMITTEXT, limit, 0) && WaitUntil([&] {
        return static_cast<WPARAM>(::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0)) == limit;
    });
}

std::wstring Wide(char16_t unit)
{
    return std::wstring(1, static_cast<wchar_t>(unit));
}

class SettingsTest : public ProgramFixture {
protected:
    // The settings command from the menu: the dialog once it is shown, and its key-map page.
    static bool OpenSettings(RunningPelo& pelo, HWND& settings, HWND& page)
    {
        ::PostMessageW(pelo.Keyboard(), WM_COMMAND, kSettingsCommand, 0);
        settings = pelo.WaitForWindow(kSettingsCaption);
        page = settings ? PageWith(settings, kCombo) : nullptr;
        return page != nullptr;
    }

    // Starts the program and opens the settings dialog.
    bool StartAndOpenSettings(RunningPelo& pelo, HWND& settings, HWND& page)
    {
        return Start(pelo) && OpenSettings(pelo, settings, page);
    }

    // The settings command goes on once its dialog has gone (the hotkey, the keys, the hook): the
    // keyboard window answers a message only when the command has finished.
    static bool SettingsClosed(RunningPelo& pelo, HWND settings)
    {
        DWORD_PTR result = 0;
        return WaitUntil([&] { return !::IsWindow(settings); })
            && ::SendMessageTimeoutW(pelo.Keyboard(), WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result) != 0;
    }

    // A click that a click on the same window just before cannot turn into a double-click.
    void Click(HWND window) { clicks.Click(window); }

    // Clicks the edit, deletes its character and types another one.
    bool ReplaceChar(HWND edit, char16_t unit)
    {
        Click(edit);
        PressKeys({ VK_END });
        PressKeys({ VK_BACK });
        TypeText(std::u16string(1, unit));
        return WaitUntil([&] { return TextOf(edit) == std::wstring(1, static_cast<wchar_t>(unit)); });
    }

    // Opens the drop-down list of the combo box and clicks its entry, in the list under the box.
    bool ChooseEntry(HWND combo, int index)
    {
        Click(combo);
        if (!WaitUntil([&] { return ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; })) {
            return false;
        }
        const RECT box = WindowRect(combo);
        const auto height = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
        ClickAt({ (box.left + box.right) / 2, box.bottom + 1 + height * index + height / 2 });
        clicks.Forget();
        return true;
    }

    static bool Answer(const RunningPelo& pelo, const std::wstring& text, int button)
    {
        const HWND box = pelo.WaitForMessageBox(text);
        return box && ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    }

    static int Selection(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

    static std::wstring EntryText(HWND combo, int index)
    {
        wchar_t entry[32] = L"";
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry));
        return entry;
    }

    // The boxes that name a slot's key-map file that could not be saved or read.
    std::wstring SaveFailure(int slot, const std::wstring& outcome) const
    {
        return L"无法保存键盘方案文件：\n" + folder.File(kSchemeFiles[slot - 1])
            + L"\n\n文件可能是只读的，或磁盘已满。" + outcome;
    }
    std::wstring ReadFailure(int slot) const
    {
        return L"无法读取键盘方案文件：\n" + folder.File(kSchemeFiles[slot - 1])
            + L"\n\n文件可能正被其他程序使用，或没有读取权限。文件保持原样，本页仍显示原来的键盘方案。";
    }

    SpacedClicks clicks;
};

} // namespace

TEST_F(SettingsTest, KeyEditedAndConfirmed_ChangesFileKeyAndTyping_OtherSlotsAndBrowsingDoNot)
{
    ASSERT_TRUE(folder.WriteBytes(kSchemeFiles[1], SchemeBytes(u"德语", u'\u00E4', u'\u00C4'))); // ä Ä
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);
    const RECT keyA = WindowRect(pelo.Key(kKeyA)), keyS = WindowRect(pelo.Key(kKeyS));
    const std::vector<std::uint32_t> pixelsA = PaintedPixels(keyA), pixelsS = PaintedPixels(keyS);
    ASSERT_FALSE(pixelsA.empty());

    // Chosen twice in a row: one dialog (the second command comes before the first is shown).
    ::PostMessageW(keyboard, WM_COMMAND, kSettingsCommand, 0);
    HWND settings = nullptr, page = nullptr;
    ASSERT_TRUE(OpenSettings(pelo, settings, page));
    EXPECT_EQ(pelo.Windows(kSettingsCaption).size(), 1u);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(settings, kTabs), TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_TRUE(::IsWindowVisible(page));

    // Character one of A; a second character does not fit.
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(::GetDlgItem(page, kTChar1)) == L"\u03B1"; }));
    EXPECT_EQ(TextOf(::GetDlgItem(page, kKeyText)), L"A");
    EXPECT_EQ(TextOf(::GetDlgItem(page, kTChar2)), L"\u0391");
    ASSERT_TRUE(ReplaceChar(::GetDlgItem(page, kTChar1), u'\u0436')); // ж
    TypeText(u"x");
    Click(::GetDlgItem(page, kTChar2));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(page) == ::GetDlgItem(page, kTChar2); }));
    EXPECT_EQ(TextOf(::GetDlgItem(page, kTChar1)), L"\u0436");

    // Enter and Esc inside the page close nothing; a key clicked after them is still selected.
    PressKeys({ VK_RETURN });
    PressKeys({ VK_ESCAPE });
    Click(::GetDlgItem(page, kKeyS));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(::GetDlgItem(page, kKeyText)) == L"S"; }));
    EXPECT_TRUE(::IsWindowVisible(settings));

    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(SettingsClosed(pelo, settings));
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), SchemeBytes(u"方案一", u'\u0436'));
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixels(keyA) != pixelsA && ScreenPixels(keyS) == pixelsS; }))
        << "the keyboard's A shows the new characters, S stays as it was";
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"\u0436");

    // Another scheme browsed and edited: saved to its own file, never typed.
    ASSERT_TRUE(OpenSettings(pelo, settings, page));
    ASSERT_TRUE(ChooseEntry(::GetDlgItem(page, kCombo), 1));
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(::GetDlgItem(page, kTChar1)) == L"\u00E4"; }));
    ASSERT_TRUE(ReplaceChar(::GetDlgItem(page, kTChar1), u'\u0444')); // ф
    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(SettingsClosed(pelo, settings));
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[1]), SchemeBytes(u"德语", u'\u0444', u'\u00C4'));
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"\u0436");

    Close(pelo);
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), SchemeBytes(u"方案一", u'\u0436'));
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
}

TEST_F(SettingsTest, SchemeSwitchedWithUnsavedEdits_CancelNoAndYes_SavedCurrentSchemeSurvivesExit)
{
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    HWND settings = nullptr, page = nullptr;
    ASSERT_TRUE(StartAndOpenSettings(pelo, settings, page));
    const HWND combo = ::GetDlgItem(page, kCombo), keyText = ::GetDlgItem(page, kKeyText),
               tchar1 = ::GetDlgItem(page, kTChar1);
    const std::vector<std::uint8_t> slotOne = folder.ReadBytes(kSchemeFiles[0]);
    ASSERT_EQ(slotOne, SchemeBytes(u"方案一"));
    // Renamed by hand while the dialog is open: the name is read again when the scheme is loaded.
    ASSERT_TRUE(folder.WriteBytes(kSchemeFiles[1], SchemeBytes(u"俄语")));

    // A selected key clicked again stays selected: it keeps its pressed look.
    const HWND keyA = ::GetDlgItem(page, kKeyA);
    const std::vector<std::uint32_t> raised = PaintedPixels(WindowRect(keyA));
    Click(keyA);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(keyText) == L"A"; }));
    const std::vector<std::uint32_t> pressed = PaintedPixels(WindowRect(keyA));
    EXPECT_NE(pressed, raised);
    Click(keyA);
    Click(tchar1);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(page) == tchar1; }));
    EXPECT_EQ(PaintedPixels(WindowRect(keyA)), pressed);

    // Cancel: back to the edited scheme with its key selected; the question comes again.
    ASSERT_TRUE(ReplaceChar(tchar1, u'\u0436'));
    ASSERT_TRUE(ChooseEntry(combo, 1));
    ASSERT_TRUE(Answer(pelo, kQuestion, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return Selection(combo) == 0; }));
    EXPECT_EQ(TextOf(keyText), L"A");
    EXPECT_EQ(TextOf(tchar1), L"\u0436");

    // No: the edits are gone, scheme two comes from its file.
    ASSERT_TRUE(ChooseEntry(combo, 1));
    ASSERT_TRUE(Answer(pelo, kQuestion, IDNO));
    ASSERT_TRUE(WaitUntil([&] { return Selection(combo) == 1 && TextOf(keyText).empty(); }));
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), slotOne);
    wchar_t entry[32] = L"";
    ::SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(std::wstring(entry), L"俄语");
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(tchar1) == L"\u03B1"; }));

    // The same character typed over itself is no edit: the next switch asks nothing.
    Click(tchar1);
    PressKeys({ VK_SHIFT, VK_HOME });
    TypeText(u"\u03B1");
    ASSERT_TRUE(ChooseEntry(combo, 0));
    ASSERT_TRUE(WaitUntil([&] { return Selection(combo) == 0 && TextOf(keyText).empty(); }));

    // A text longer than the field (put there without typing) is refused with the page's wording.
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(keyText) == L"A"; }));
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(tchar1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ab"), SMTO_NORMAL, 200, &ignored);
    ASSERT_TRUE(Answer(pelo, L"“请填入不多于1个的字符。”", IDOK));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(page) == tchar1; })) << "the too long text is selected";
    PressKeys({ VK_BACK });

    // Yes on the current scheme: its file keeps the edit through Cancel and the program's exit.
    ASSERT_TRUE(ReplaceChar(tchar1, u'\u044B')); // ы
    ASSERT_TRUE(ChooseEntry(combo, 2));
    ASSERT_TRUE(Answer(pelo, kQuestion, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return Selection(combo) == 2 && TextOf(keyText).empty(); }));
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), SchemeBytes(u"方案一", u'\u044B'));
    Click(::GetDlgItem(settings, IDCANCEL));
    ASSERT_TRUE(SettingsClosed(pelo, settings));
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"\u044B");

    Close(pelo);
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), SchemeBytes(u"方案一", u'\u044B'));
}

TEST_F(SettingsTest, RenamedAndMadeCurrent_WrittenAtOnceAndKeptAfterCancel)
{
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    RunningPelo pelo(folder);
    HWND settings = nullptr, page = nullptr;
    ASSERT_TRUE(StartAndOpenSettings(pelo, settings, page));
    const HWND combo = ::GetDlgItem(page, kCombo);
    ASSERT_TRUE(ChooseEntry(combo, 2));
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(::GetDlgItem(page, kTChar1)) == L"\u03B1"; }));
    ASSERT_TRUE(ReplaceChar(::GetDlgItem(page, kTChar1), u'\u0436'));
    Click(::GetDlgItem(page, kTChar2));
    PressKeys({ VK_END });
    PressKeys({ VK_BACK }); // no character two
    ASSERT_TRUE(WaitUntil([&] { return TextOf(::GetDlgItem(page, kTChar2)).empty(); }));

    // The rename dialog: the current name, OK only for a name that is not empty, 20 characters.
    Click(::GetDlgItem(page, kRename));
    const HWND rename = pelo.WaitForWindow(L"重命名方案 - Pelo");
    ASSERT_NE(rename, nullptr);
    const HWND edit = ::GetDlgItem(rename, kNewName), ok = ::GetDlgItem(rename, IDOK);
    EXPECT_EQ(TextOf(edit), L"方案三");
    EXPECT_FALSE(::IsWindowEnabled(ok));
    Click(edit);
    PressKeys({ VK_END });
    PressKeys({ VK_BACK });
    PressKeys({ VK_BACK });
    PressKeys({ VK_BACK });
    ASSERT_TRUE(WaitUntil([&] { return TextOf(edit).empty(); }));
    EXPECT_FALSE(::IsWindowEnabled(ok));
    TypeText(u"希腊ABCDEFGHIJKLMNOPQRS"); // 21 characters
    const std::u16string name = u"希腊ABCDEFGHIJKLMNOPQR";
    const std::wstring wideName(name.begin(), name.end());
    ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == wideName; }));
    EXPECT_TRUE(::IsWindowEnabled(ok));
    Click(ok);
    EXPECT_TRUE(WaitUntil([&] {
        return folder.ReadBytes(kSchemeFiles[2]) == SchemeBytes(name.c_str(), u'\u0436', 0);
    })) << "written at once, with the unsaved edit";
    wchar_t entry[32] = L"";
    ::SendMessageW(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(std::wstring(entry), wideName);

    // Made current with the edit the rename kept unsaved, then again without edits.
    Click(::GetDlgItem(page, kUseScheme));
    ASSERT_TRUE(Answer(pelo, L"本键盘方案已保存，并设置为当前方案，退出设置对话框后即可使用。", IDOK));
    EXPECT_TRUE(WaitUntil([&] { return folder.ReadIni(L"SN", L"SN", -1) == 3; }));
    Click(::GetDlgItem(page, kUseScheme));
    ASSERT_TRUE(Answer(pelo, L"本键盘方案已设置为当前方案，退出设置对话框后即可使用。", IDOK));

    Click(::GetDlgItem(settings, IDCANCEL));
    ASSERT_TRUE(SettingsClosed(pelo, settings));
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"\u0436");
    Close(pelo);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 3);
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[2]), SchemeBytes(name.c_str(), u'\u0436', 0));
}

TEST_F(SettingsTest, HotKeyPage_DefaultRegistersCtrlD_HeldCombinationWarnsOnceAndKeepsFile)
{
    folder.WriteIni(L"HOT KEY", L"SW_FG", HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    folder.WriteIni(L"HOT KEY", L"SW_VK", 'J');
    RunningPelo pelo(folder);
    const HWND keyboard = Start(pelo);
    ASSERT_NE(keyboard, nullptr);

    const auto showHotKeyPage
        = [&](HWND settings) { return ShowPage(settings, ::GetDlgItem(settings, kTabs), 1, kHotKey); };

    // Esc at once: the focus is in the dialog itself, not in a page; the hotkey is registered again.
    HWND settings = nullptr, keyMapPage = nullptr;
    ASSERT_TRUE(OpenSettings(pelo, settings, keyMapPage));
    EXPECT_EQ(FocusOf(settings), ::GetDlgItem(settings, kTabs));
    PressKeys({ VK_ESCAPE });
    ASSERT_TRUE(SettingsClosed(pelo, settings));
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(keyboard, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored); // the command has ended
    const bool held = !::RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, 'J');
    if (!held) {
        ::UnregisterHotKey(nullptr, 1);
    }
    EXPECT_TRUE(held);

    ASSERT_TRUE(OpenSettings(pelo, settings, keyMapPage));
    HWND page = showHotKeyPage(settings);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(::IsWindowVisible(keyMapPage));
    const HWND control = ::GetDlgItem(page, kHotKey);
    EXPECT_EQ(::SendMessageW(control, HKM_GETHOTKEY, 0, 0), MAKEWORD('J', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    Click(::GetDlgItem(page, kDefaultHotKey));
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(control, HKM_GETHOTKEY, 0, 0) == 0x244; }));
    EXPECT_EQ(FocusOf(settings), control);
    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return folder.ReadIni(L"HOT KEY", L"SW_VK", -1) == 'D'; }));
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_FG", -1), HOTKEYF_CONTROL);
    PressKeys({ VK_CONTROL, 'D' });
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(keyboard); }))
        << "Ctrl+D switches the function off";
    PressKeys({ VK_CONTROL, 'D' });
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(keyboard) != FALSE; }));

    // A combination that another program takes while the dialog is open.
    ASSERT_TRUE(OpenSettings(pelo, settings, keyMapPage));
    page = showHotKeyPage(settings);
    ASSERT_NE(page, nullptr);
    Click(::GetDlgItem(page, kHotKey));
    PressKeys({ VK_CONTROL, VK_SHIFT, 'K' });
    ASSERT_TRUE(WaitUntil([&] {
        return ::SendMessageW(::GetDlgItem(page, kHotKey), HKM_GETHOTKEY, 0, 0)
            == MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    }));
    ASSERT_TRUE(::RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, 'K'));
    Click(::GetDlgItem(settings, IDOK));
    const std::wstring conflict = L"快捷键有冲突！\n请重新设置快捷键！";
    EXPECT_TRUE(Answer(pelo, conflict, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return !pelo.WaitForMessageBox(conflict, 0); }));
    ::SendMessageTimeoutW(keyboard, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored);
    EXPECT_EQ(pelo.WaitForMessageBox(conflict, 500), nullptr) << "one message";
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_FG", -1), HOTKEYF_CONTROL);
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_VK", -1), 'D');
    Close(pelo);
    ::UnregisterHotKey(nullptr, 1);
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_FG", -1), HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    EXPECT_EQ(folder.ReadIni(L"HOT KEY", L"SW_VK", -1), 'K');
}

TEST_F(SettingsTest, EditorKeyClicked_SelectsOnlyThatKey_EveryOneOfTheThirtySix)
{
    RunningPelo pelo(folder);
    HWND settings = nullptr, page = nullptr;
    ASSERT_TRUE(StartAndOpenSettings(pelo, settings, page));
    const HWND keyText = ::GetDlgItem(page, kKeyText), tchar1 = ::GetDlgItem(page, kTChar1),
               tchar2 = ::GetDlgItem(page, kTChar2);
    ASSERT_TRUE(HandledPosted(keyText));
    const std::vector<HWND> windows = TopLevelWindowsOf(pelo.ProcessId());
    const std::vector<std::uint8_t> config = folder.ReadBytes(L"config.ini");

    for (const EditorKey& key : EditorKeys()) {
        SCOPED_TRACE(std::string("key ") + static_cast<char>(key.keyChar));
        const HWND button = ::GetDlgItem(page, key.id);
        Click(button);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(keyText) == Wide(key.keyChar); }));
        // A character the click might have become has been handled by now.
        ASSERT_TRUE(HandledPosted(keyText));
        const KeyTCharPair chars = pelo::scheme::kDefaultKeyTable[KeyCharToIndex(key.keyChar)];
        EXPECT_EQ(TextOf(tchar1), Wide(chars.tchar1));
        EXPECT_EQ(TextOf(tchar2), Wide(chars.tchar2));
        EXPECT_EQ(FocusOf(page), button) << "no label's mnemonic took the focus";
        EXPECT_EQ(folder.ReadBytes(L"config.ini"), config);
        const std::vector<HWND> now = TopLevelWindowsOf(pelo.ProcessId());
        EXPECT_EQ(now, windows) << "no box or dialog opened";
        // What a wrongly pressed button opened is closed, so that the keys after it are tried too.
        for (HWND window : now) {
            if (!std::binary_search(windows.begin(), windows.end(), window)) {
                ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            }
        }
        ASSERT_TRUE(WaitUntil([&] { return TopLevelWindowsOf(pelo.ProcessId()) == windows; }));
    }
}

TEST_F(SettingsTest, LockedSlotFile_SaidAndPreviousSchemeStays_FileUntouchedAndNeverMadeCurrent)
{
    const std::vector<std::uint8_t> german = SchemeBytes(u"德语", u'\u00E4', u'\u00C4'); // ä Ä
    ASSERT_TRUE(folder.WriteBytes(kSchemeFiles[1], german));
    RunningPelo pelo(folder);
    HWND settings = nullptr, page = nullptr;
    ASSERT_TRUE(StartAndOpenSettings(pelo, settings, page));
    const HWND combo = ::GetDlgItem(page, kCombo), keyText = ::GetDlgItem(page, kKeyText),
               tchar1 = ::GetDlgItem(page, kTChar1);
    // Held by another program that lets nobody else open it.
    pelo::UniqueFile lock(::CreateFileW(
        folder.File(kSchemeFiles[1]).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);

    // An unsaved edit of scheme one, then scheme two chosen and the edit given up.
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(tchar1) == L"\u03B1"; }));
    ASSERT_TRUE(ReplaceChar(tchar1, u'\u0436')); // ж
    ASSERT_TRUE(ChooseEntry(combo, 1));
    ASSERT_TRUE(Answer(pelo, kQuestion, IDNO));
    ASSERT_TRUE(Answer(pelo, ReadFailure(2), IDOK));
    ASSERT_TRUE(WaitUntil([&] { return Selection(combo) == 0; }));
    EXPECT_EQ(EntryText(combo, 1), L"德语");
    EXPECT_EQ(TextOf(keyText), L"A") << "scheme one is still shown, with its edit";
    EXPECT_EQ(TextOf(tchar1), L"\u0436");

    // What is made current is scheme one, under slot one.
    Click(::GetDlgItem(page, kUseScheme));
    ASSERT_TRUE(Answer(pelo, L"本键盘方案已保存，并设置为当前方案，退出设置对话框后即可使用。", IDOK));
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), SchemeBytes(u"方案一", u'\u0436'));

    // Without edits the choice is refused the same way; once the file is free it is shown.
    ASSERT_TRUE(ChooseEntry(combo, 1));
    ASSERT_TRUE(Answer(pelo, ReadFailure(2), IDOK));
    ASSERT_TRUE(WaitUntil([&] { return Selection(combo) == 0; }));
    lock.reset();
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[1]), german);
    ASSERT_TRUE(ChooseEntry(combo, 1));
    ASSERT_TRUE(WaitUntil([&] { return Selection(combo) == 1 && TextOf(keyText).empty(); }));
    Click(::GetDlgItem(page, kKeyA));
    EXPECT_TRUE(WaitUntil([&] { return TextOf(tchar1) == L"\u00E4"; }));

    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    Close(pelo);
    EXPECT_EQ(folder.ReadIni(L"SN", L"SN", -1), 1);
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[1]), german);
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), SchemeBytes(u"方案一", u'\u0436'));
}

TEST_F(SettingsTest, ReadOnlySlotFile_EverySaveSaysWhichFileAndKeepsTheEdits_SavedOnceWritable)
{
    RunningPelo pelo(folder);
    HWND settings = nullptr, page = nullptr;
    ASSERT_TRUE(StartAndOpenSettings(pelo, settings, page));
    const HWND combo = ::GetDlgItem(page, kCombo), keyText = ::GetDlgItem(page, kKeyText),
               tchar1 = ::GetDlgItem(page, kTChar1);
    const std::vector<std::uint8_t> slotOne = folder.ReadBytes(kSchemeFiles[0]),
                                    config = folder.ReadBytes(L"config.ini");
    ASSERT_EQ(slotOne, SchemeBytes(u"方案一"));
    Click(::GetDlgItem(page, kKeyA));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(tchar1) == L"\u03B1"; }));
    ASSERT_TRUE(ReplaceChar(tchar1, u'\u0436')); // ж
    ReadOnlyFile readOnly(folder.File(kSchemeFiles[0]));
    ASSERT_TRUE(readOnly.Set());
    const auto keptAsItWas = [&] {
        return folder.ReadBytes(kSchemeFiles[0]) == slotOne && TextOf(keyText) == L"A"
            && TextOf(tchar1) == L"\u0436";
    };

    // Saved on switching: the page stays on the edited scheme.
    ASSERT_TRUE(ChooseEntry(combo, 1));
    ASSERT_TRUE(Answer(pelo, kQuestion, IDYES));
    ASSERT_TRUE(Answer(pelo, SaveFailure(1, L"本页仍显示未保存的键盘方案，可以再试一次或不保存。"), IDOK));
    ASSERT_TRUE(WaitUntil([&] { return Selection(combo) == 0; }));
    EXPECT_TRUE(keptAsItWas());

    // Saved to be made current: it is not made current.
    Click(::GetDlgItem(page, kUseScheme));
    ASSERT_TRUE(Answer(pelo, SaveFailure(1, L"本键盘方案没有设置为当前方案，修改仍保留在本页中。"), IDOK));
    EXPECT_EQ(folder.ReadBytes(L"config.ini"), config);
    EXPECT_TRUE(keptAsItWas());

    // Renamed: the new name is not taken.
    Click(::GetDlgItem(page, kRename));
    const HWND rename = pelo.WaitForWindow(L"重命名方案 - Pelo");
    ASSERT_NE(rename, nullptr);
    Click(::GetDlgItem(rename, kNewName));
    PressKeys({ VK_END });
    TypeText(u"\u7532"); // 甲
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(rename, IDOK)) != FALSE; }));
    Click(::GetDlgItem(rename, IDOK));
    ASSERT_TRUE(Answer(pelo, SaveFailure(1, L"方案名没有更改。"), IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(rename); }));
    EXPECT_EQ(EntryText(combo, 0), L"方案一");
    EXPECT_TRUE(keptAsItWas());

    // Confirmed: the dialog stays open with the edit.
    Click(::GetDlgItem(settings, IDOK));
    const std::wstring notClosed
        = SaveFailure(1, L"设置对话框没有关闭，修改仍保留，可以再试一次或取消修改。");
    ASSERT_TRUE(Answer(pelo, notClosed, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !pelo.WaitForMessageBox(notClosed, 0); }));
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(settings, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored); // the OK has been handled
    EXPECT_TRUE(::IsWindowVisible(settings));
    EXPECT_TRUE(keptAsItWas());

    // Writable again: the same OK saves the edit.
    readOnly.Clear();
    Click(::GetDlgItem(settings, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), SchemeBytes(u"方案一", u'\u0436'));
    Close(pelo);
    EXPECT_EQ(folder.ReadBytes(kSchemeFiles[0]), SchemeBytes(u"方案一", u'\u0436'));
}
