// The real hook library at work: the test installs the hook and hands over tables, a second
// process (PelohookTarget.exe) with a focused edit control receives the keys sent with SendInput
// and records what its edit control sees. Further processes (PelohookOwner.exe) stand for other
// running copies of the program with hooks of their own.
#include "hook/Pelohook.h"

#include "CrossProcess.h"
#include "HookOwner.h"
#include "HookTyping.h"
#include "WatcherHook.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace pelo::crossprocess;
using namespace pelo::hooktest;

TEST_F(PelohookTyping, MappedKeyDown_TypesCharacterOne_AndIsSwallowed)
{
    const auto recs = target().Type(Press({ '0', '9', 'A', 'Z' }));
    const std::vector<Rec> expected { Char(One('0')), Up('0'), Char(One('9')), Up('9'), Char(One('A')),
        Up('A'), Char(One('Z')), Up('Z') };
    EXPECT_EQ(recs, expected);
    EXPECT_EQ(target().EditText(), (std::wstring { One('0'), One('9'), One('A'), One('Z') }));
}

TEST_F(PelohookTyping, Shift_TypesCharacterTwo_PhysicalSoftOrBoth)
{
    const std::vector<INPUT> shiftB { KeyInput(VK_SHIFT, false), KeyInput('B', false), KeyInput('B', true),
        KeyInput(VK_SHIFT, true) };
    const std::vector<Rec> physical { Down(VK_SHIFT), Char(Two('B')), Up('B'), Up(VK_SHIFT) };
    EXPECT_EQ(target().Type(shiftB), physical);

    Dll_Setg_bAxBnShiftDownInHook(1);
    EXPECT_EQ(target().Type(Press({ 'B', '5' })),
        (std::vector<Rec> { Char(Two('B')), Up('B'), Char(Two('5')), Up('5') }));
    EXPECT_EQ(target().Type(shiftB), physical);

    Dll_Setg_bAxBnShiftDownInHook(0);
    EXPECT_EQ(target().Type(Press({ 'B' })), (std::vector<Rec> { Char(One('B')), Up('B') }));
}

TEST_F(PelohookTyping, HeldKey_TypesAgain_OnEveryAutoRepeat)
{
    const std::vector<INPUT> held { KeyInput('7', false), KeyInput('7', false), KeyInput('7', false),
        KeyInput('7', true) };
    EXPECT_EQ(
        target().Type(held), (std::vector<Rec> { Char(One('7')), Char(One('7')), Char(One('7')), Up('7') }));
}

TEST_F(PelohookTyping, KeyUpsKeypadDigitsAndOtherKeys_PassThroughUnchanged)
{
    std::vector<INPUT> inputs { KeyInput('K', true) }; // a key-up without its key-down
    std::vector<WORD> others;
    for (WORD vk = VK_NUMPAD0; vk <= VK_NUMPAD9; ++vk) {
        others.push_back(vk);
    }
    others.insert(others.end(), { VK_SPACE, VK_OEM_COMMA, VK_OEM_4, VK_DECIMAL });
    for (WORD vk : others) {
        inputs.push_back(KeyInput(vk, false));
        inputs.push_back(KeyInput(vk, true));
    }
    const auto recs = target().Type(inputs);

    std::vector<Rec> keys;
    std::copy_if(
        recs.begin(), recs.end(), std::back_inserter(keys), [](const Rec& r) { return r.msg != WM_CHAR; });
    std::vector<Rec> expected { Up('K') };
    for (WORD vk : others) {
        expected.push_back(Down(vk));
        expected.push_back(Up(vk));
    }
    EXPECT_EQ(keys, expected);
    for (WORD vk : others) {
        ExpectPassedThrough(recs, vk);
    }
}

TEST_F(PelohookTyping, CtrlC_IsSwallowed_AndTypesCharacterOfC)
{
    const std::vector<INPUT> ctrlC { KeyInput(VK_CONTROL, false), KeyInput('C', false), KeyInput('C', true),
        KeyInput(VK_CONTROL, true) };
    EXPECT_EQ(target().Type(ctrlC),
        (std::vector<Rec> { Down(VK_CONTROL), Char(One('C')), Up('C'), Up(VK_CONTROL) }));
    EXPECT_EQ(target().EditText(), std::wstring(1, One('C')));
}

TEST_F(PelohookTyping, TableHandedOverHere_IsTheOneTheHookUsesThere)
{
    auto hiragana = [](char key) -> wchar_t { return key == 'Q' ? 0 : 0x3041 + KeyCharToIndex(key); };
    HandOverTable(hiragana, Two);
    // An entry of 0 still swallows the key and posts character 0.
    EXPECT_EQ(target().Type(Press({ 'H', 'Q' })),
        (std::vector<Rec> { Char(hiragana('H')), Up('H'), Char(0), Up('Q') }));
    EXPECT_EQ(Dll_ConvertKeyCharToTChar('H', 0), hiragana('H'));

    // Replacing the table while the hook is installed takes effect at the next key.
    HandOverTable(One, Two);
    EXPECT_EQ(target().Type(Press({ 'H', 'Q' })),
        (std::vector<Rec> { Char(One('H')), Up('H'), Char(One('Q')), Up('Q') }));
}

using PelohookLifecycle = HookTest;

TEST_F(PelohookLifecycle, StopHook_ReturnsZero_WithoutHookAndWhenRepeated)
{
    CKeyboardHook hook;
    EXPECT_EQ(hook.StopHook(), 0);
    ASSERT_EQ(hook.StartHook(), 1);
    EXPECT_NE(hook.StopHook(), 0);
    EXPECT_EQ(hook.StopHook(), 0);
    ExpectPassedThrough(target().Type(Press({ 'A' })), 'A');
}

TEST_F(PelohookLifecycle, StartHook_Twice_KeepsOneHook)
{
    CKeyboardHook first;
    CKeyboardHook second; // every object refers to the one hook
    ASSERT_EQ(first.StartHook(), 1);
    EXPECT_EQ(second.StartHook(), 1);
    EXPECT_EQ(target().Type(Press({ 'A' })), (std::vector<Rec> { Char(One('A')), Up('A') }));

    // One removal leaves no hook behind: a second hook would still type table characters.
    EXPECT_NE(first.StopHook(), 0);
    ExpectPassedThrough(target().Type(Press({ 'A' })), 'A');
    EXPECT_EQ(second.StopHook(), 0);
}

TEST_F(PelohookLifecycle, Destructor_RemovesHook_AndStartHookInstallsAgain)
{
    auto* owner = new CKeyboardHook; // heap object, deleted through the virtual destructor
    ASSERT_EQ(owner->StartHook(), 1);
    EXPECT_EQ(target().Type(Press({ 'D' })), (std::vector<Rec> { Char(One('D')), Up('D') }));
    delete static_cast<CObject*>(owner);
    ExpectPassedThrough(target().Type(Press({ 'D' })), 'D');

    CKeyboardHook hook;
    EXPECT_EQ(hook.StopHook(), 0);
    ASSERT_EQ(hook.StartHook(), 1);
    EXPECT_EQ(target().Type(Press({ 'D' })), (std::vector<Rec> { Char(One('D')), Up('D') }));
    EXPECT_NE(hook.StopHook(), 0);
}

namespace {

// Another running copy of the program, as the hook library sees it: PelohookOwner.exe with its
// own CKeyboardHook, started and stopped on command.
class OtherCopy {
public:
    explicit OtherCopy(const char* name)
        : m_name(name)
    {
    }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;
    // A copy still running ends through its normal exit, which removes its hook: under Wine the
    // keyboard hook of a killed process lives on until the desktop closes, and would keep typing
    // in the tests that follow. So no test here kills a copy with its hook on.
    ~OtherCopy()
    {
        if (m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT && !Exit()) {
            ::TerminateProcess(m_process.get(), 1);
        }
    }

    bool Start()
    {
        const std::string base = "PelohookOwner." + std::to_string(::GetCurrentProcessId()) + "." + m_name;
        if (!CreateSharedObjects(base, sizeof(OwnerControl), "control", "command", m_shared)) {
            return false;
        }
        m_process = LaunchBeside("PelohookOwner.exe", base);
        return m_process && Answered();
    }
    int StartHook() { return Call(kOwnerStartHook); }
    int StopHook() { return Call(kOwnerStopHook); }

    // Ends through the program's normal exit, which destroys its CKeyboardHook.
    bool Exit()
    {
        m_shared.As<OwnerControl>()->command = kOwnerExit;
        ::SetEvent(m_shared.signal.get());
        return ::WaitForSingleObject(m_process.get(), kTimeoutMs) == WAIT_OBJECT_0;
    }

private:
    static constexpr int kNoAnswer = -2;

    int Call(LONG command)
    {
        OwnerControl* control = m_shared.As<OwnerControl>();
        control->command = command;
        control->result = kNoAnswer;
        ::SetEvent(m_shared.signal.get());
        return Answered() ? control->result : kNoAnswer;
    }
    bool Answered() const
    {
        const HANDLE waits[] = { m_shared.ready.get(), m_process.get() };
        return ::WaitForMultipleObjects(2, waits, FALSE, kTimeoutMs) == WAIT_OBJECT_0;
    }

    std::string m_name;
    SharedObjects m_shared;
    pelo::UniqueKernelHandle m_process;
};

} // namespace

// Two copies of the program at once, each with its own hook: a copy only ever removes the hook it
// installed itself, whatever the other did to the shared handle.
using PelohookCopies = HookTest;

TEST_F(PelohookCopies, SecondCopyExits_FirstCopysOffAndOnStillWork)
{
    OtherCopy first("first"), second("second");
    ASSERT_TRUE(first.Start() && second.Start());
    ASSERT_EQ(first.StartHook(), 1);
    ASSERT_EQ(second.StartHook(), 1);
    ASSERT_TRUE(second.Exit());
    ExpectTyped();

    EXPECT_EQ(first.StartHook(), 1) << "on again keeps the one hook it has";
    EXPECT_NE(first.StopHook(), 0);
    ExpectPassedThrough(target().Type(Press({ 'A' })), 'A');
    EXPECT_EQ(first.StopHook(), 0);
}

TEST_F(PelohookCopies, FirstCopyExits_SecondCopyStillTypes_AndItsOffWorks)
{
    // Also the rule that the shared handle never stands for a hook of this process: had the
    // second copy's on trusted the handle the first one left there, it would type nothing now.
    OtherCopy first("first"), second("second");
    ASSERT_TRUE(first.Start() && second.Start());
    ASSERT_EQ(first.StartHook(), 1);
    ASSERT_EQ(second.StartHook(), 1);
    ASSERT_TRUE(first.Exit());
    ExpectTyped();

    EXPECT_NE(second.StopHook(), 0);
    ExpectPassedThrough(target().Type(Press({ 'A' })), 'A');
}

using PelohookChain = HookTest;

TEST_F(PelohookChain, KeysNotTakenOver_ReachTheNextHook_TakenKeyDownsDoNot)
{
    // Hooks are called newest first: the watcher installed before is the next one after Pelohook's.
    const pelo::UniqueHhook watcher(WatcherStart());
    ASSERT_TRUE(watcher);
    CKeyboardHook hook;
    ASSERT_EQ(hook.StartHook(), 1);

    EXPECT_EQ(target().Type(Press({ 'A', VK_SPACE })).front(), Char(One('A')));
    WatchedKey keys[16] = {};
    const LONG count = WatcherKeys(keys, 16);
    std::vector<std::pair<UINT, UINT>> seen;
    for (LONG i = 0; i < count; ++i) {
        seen.emplace_back(keys[i].key, keys[i].released);
    }
    const std::vector<std::pair<UINT, UINT>> expected { { 'A', 1 }, { VK_SPACE, 0 }, { VK_SPACE, 1 },
        { kSentinelKey, 0 }, { kSentinelKey, 1 } };
    EXPECT_EQ(seen, expected);
}

namespace {

// A window of the test's own thread standing in for the keyboard window. Hidden: it can be active
// all the same, and a shown one takes seconds to destroy where no window manager answers.
class OwnWindow {
public:
    OwnWindow()
        : m_hwnd(::CreateWindowExW(0, L"STATIC", L"keyboard", WS_POPUP, 400, 400, 100, 50, nullptr, nullptr,
            ::GetModuleHandleW(nullptr), nullptr))
    {
    }
    HWND get() const { return m_hwnd.get(); }
    bool Activate() const
    {
        ::SetForegroundWindow(get());
        ::SetActiveWindow(get());
        ::SetFocus(get());
        return ::GetActiveWindow() == get() && ::GetFocus() == get();
    }
    // Characters posted to this thread's windows.
    std::vector<UINT> TakeChars() const
    {
        std::vector<UINT> chars;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE)) {
            EXPECT_EQ(msg.hwnd, get());
            chars.push_back(static_cast<UINT>(msg.wParam));
        }
        return chars;
    }

private:
    pelo::UniqueHwnd m_hwnd;
};

} // namespace

using PelohookDelivery = PelohookTyping;

TEST_F(PelohookDelivery, KeyboardWindowActive_DeliversToFocusRememberedInOtherProcess)
{
    EXPECT_EQ(target().Type(Press({ 'A' })), (std::vector<Rec> { Char(One('A')), Up('A') }));

    OwnWindow keyboard;
    ASSERT_TRUE(keyboard.Activate());
    Dll_Setg_hWndMainInDll(keyboard.get());
    target().Clear();
    Dll_SendTCharToFocus(L'\x263A', 0);
    EXPECT_EQ(target().Sync(), (std::vector<Rec> { Char(L'\x263A') }));
    EXPECT_EQ(keyboard.TakeChars(), std::vector<UINT> {});
    EXPECT_EQ(::GetFocus(), keyboard.get()) << "focus of the keyboard window's thread changed";

    // Any other active window is an application of its own: its focus gets the character
    // and becomes the remembered one.
    Dll_Setg_hWndMainInDll(target().Top());
    Dll_SendTCharToFocus(L'x', 0);
    EXPECT_EQ(keyboard.TakeChars(), std::vector<UINT> { L'x' });
    Dll_Setg_hWndMainInDll(keyboard.get());
    Dll_SendTCharToFocus(L'y', 0);
    EXPECT_EQ(keyboard.TakeChars(), std::vector<UINT> { L'y' });
    EXPECT_EQ(target().Sync(), std::vector<Rec> {});
}

TEST_F(PelohookDelivery, ThreadWithoutActiveWindow_RemembersNoWindowAndPostsNothing)
{
    EXPECT_EQ(target().Type(Press({ 'A' })), (std::vector<Rec> { Char(One('A')), Up('A') }));
    target().Clear();

    // No keyboard window is known yet either: a thread with no active window is still not it.
    std::thread([] { Dll_SendTCharToFocus(L'y', 0); }).join();
    EXPECT_EQ(target().Sync(), std::vector<Rec> {});

    OwnWindow keyboard;
    ASSERT_TRUE(keyboard.Activate());
    Dll_Setg_hWndMainInDll(keyboard.get());
    Dll_SendTCharToFocus(L'z', 0);
    EXPECT_EQ(target().Sync(), std::vector<Rec> {});
    EXPECT_EQ(keyboard.TakeChars(), std::vector<UINT> {});
}

namespace {

// Waits for the handle while answering the messages that windows of other threads send to this
// thread's windows.
bool WaitPumping(HANDLE handle)
{
    const DWORD until = ::GetTickCount() + kTimeoutMs;
    for (;;) {
        const DWORD now = ::GetTickCount();
        const DWORD left = static_cast<LONG>(until - now) > 0 ? until - now : 0;
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) {
            return woken == WAIT_OBJECT_0;
        }
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&msg);
        }
    }
}

// A second thread of this process whose child window of a window of the main thread has the
// focus: the two threads share one input, so this thread reads the keys while the foreground
// window belongs to the other. Focus changes send messages to the main thread's window, so the
// main thread waits for this one while answering them.
class AttachedFocusThread {
public:
    explicit AttachedFocusThread(HWND parent)
        : m_created(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
        , m_sync(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
        , m_done(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
        , m_thread([this, parent, main = ::GetCurrentThreadId()] { Run(parent, main); })
    {
        WaitPumping(m_created.get());
    }
    AttachedFocusThread(const AttachedFocusThread&) = delete;
    AttachedFocusThread& operator=(const AttachedFocusThread&) = delete;
    ~AttachedFocusThread()
    {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        WaitPumping(m_done.get());
        m_thread.join();
    }

    HWND focus() const { return m_focus; }

    // Types the keys and returns the characters its window received, once the sentinel key came.
    std::vector<UINT> Type(std::vector<INPUT> inputs)
    {
        inputs.push_back(KeyInput(kSentinelKey, false));
        inputs.push_back(KeyInput(kSentinelKey, true));
        EXPECT_EQ(::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
        return TakeChars();
    }

    // The characters posted to its window, once a message posted after them came through.
    std::vector<UINT> Sync()
    {
        ::PostMessageW(m_focus, kMsgSync, 0, 0);
        return TakeChars();
    }

private:
    std::vector<UINT> TakeChars()
    {
        EXPECT_TRUE(WaitPumping(m_sync.get()));
        return std::exchange(m_chars, {}); // written by the thread before it set the event
    }

    void Run(HWND parent, DWORD mainThread)
    {
        m_threadId = ::GetCurrentThreadId();
        ::AttachThreadInput(m_threadId, mainThread, TRUE);
        {
            const pelo::UniqueHwnd window(::CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"STATIC", L"",
                WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr));
            ::SetFocus(window.get());
            m_focus = ::GetFocus() == window.get() ? window.get() : nullptr;
            ::SetEvent(m_created.get());
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.hwnd == m_focus && msg.message == WM_CHAR) {
                    m_chars.push_back(static_cast<UINT>(msg.wParam));
                } else if (msg.message == kMsgSync
                    || (msg.message == WM_KEYUP && msg.wParam == kSentinelKey)) {
                    ::SetEvent(m_sync.get());
                }
                ::DispatchMessageW(&msg);
            }
        }
        ::SetEvent(m_done.get());
    }

    pelo::UniqueKernelHandle m_created;
    pelo::UniqueKernelHandle m_sync;
    pelo::UniqueKernelHandle m_done;
    DWORD m_threadId = 0;
    HWND m_focus = nullptr;
    std::vector<UINT> m_chars;
    std::thread m_thread;
};

} // namespace

TEST_F(PelohookDelivery, HookOutsideForegroundWindowsThread_TypesIntoItsFocus_AndRemembersIt)
{
    // Under Windows the hook procedure also runs outside the foreground window's thread for
    // processes of the other bitness: the system calls it in the thread that installed the hook.
    // Wine 8 does not hook such processes at all, so that case is tested with a fake desktop
    // (FocusDeliveryTest.cpp); the nearest real case is a thread sharing the foreground input.
    OwnWindow foreground;
    ASSERT_TRUE(foreground.Activate());
    AttachedFocusThread reader(foreground.get());
    ASSERT_NE(reader.focus(), nullptr);
    ASSERT_EQ(::GetForegroundWindow(), foreground.get());

    EXPECT_EQ(reader.Type(Press({ 'K' })), std::vector<UINT> { One('K') });

    // The window typed in became the remembered focus: a click on the keyboard window goes there.
    Dll_Setg_hWndMainInDll(foreground.get());
    Dll_SendTCharToFocus(L'\x263A', 0);
    EXPECT_EQ(reader.Sync(), std::vector<UINT> { L'\x263A' });
    EXPECT_EQ(target().Sync(), std::vector<Rec> {});
}
