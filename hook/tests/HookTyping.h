// What the tests of the real hook library share: the target process (PelohookTarget.exe) with its
// focused edit control, which records every key and character message it sees, the keys sent to
// it with SendInput, the test table, and the fixtures that start each test from a known state.
#pragma once

#include "hook/Pelohook.h"

#include "CrossProcess.h"
#include "TargetLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace pelo::hooktest {

using crossprocess::CreateSharedObjects;
using crossprocess::KeyInput;
using crossprocess::LaunchBeside;
using crossprocess::SharedObjects;

inline void PrintTo(const TargetRecord& r, std::ostream* os)
{
    const char* name = r.msg == WM_CHAR ? "CHAR"
        : r.msg == WM_KEYDOWN           ? "DOWN"
        : r.msg == WM_KEYUP             ? "UP"
        : r.msg == WM_SYSKEYDOWN        ? "SYSDOWN"
        : r.msg == WM_SYSKEYUP          ? "SYSUP"
        : r.msg == WM_SYSCHAR           ? "SYSCHAR"
                                        : "MSG";
    *os << name << "(0x" << std::hex << r.wParam << std::dec << ")";
}

inline constexpr DWORD kTimeoutMs = 10000;

using Rec = TargetRecord;

inline Rec Char(wchar_t c)
{
    return Rec { WM_CHAR, static_cast<UINT>(c) };
}
inline Rec Down(WORD vk)
{
    return Rec { WM_KEYDOWN, vk };
}
inline Rec Up(WORD vk)
{
    return Rec { WM_KEYUP, vk };
}

inline std::vector<INPUT> Press(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD vk : keys) {
        inputs.push_back(KeyInput(vk, false));
        inputs.push_back(KeyInput(vk, true));
    }
    return inputs;
}

// Test table: every character distinct and outside what the keyboard itself types.
inline wchar_t One(char key)
{
    return static_cast<wchar_t>(0x4E00 + KeyCharToIndex(static_cast<unsigned char>(key)));
}
inline wchar_t Two(char key)
{
    return static_cast<wchar_t>(0x9F00 + KeyCharToIndex(static_cast<unsigned char>(key)));
}

inline void HandOverTable(wchar_t (*one)(char), wchar_t (*two)(char))
{
    CKeyMapFangAn record; // lives only for the call, as the library expects
    for (char key : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
        record.SetKeyTChar(
            KeyCharToIndex(static_cast<unsigned char>(key)), 0, static_cast<char16_t>(one(key)));
        record.SetKeyTChar(
            KeyCharToIndex(static_cast<unsigned char>(key)), 1, static_cast<char16_t>(two(key)));
    }
    Dll_SetFangAnInHook(&record);
}

inline bool IsTableChar(UINT c)
{
    return (c >= 0x4E00 && c < 0x4E00 + KEY_COUNT) || (c >= 0x9F00 && c < 0x9F00 + KEY_COUNT);
}

// The second process and the objects shared with it.
class Target {
public:
    bool Start()
    {
        const std::string base = "PelohookTest." + std::to_string(::GetCurrentProcessId());
        if (!CreateSharedObjects(base, sizeof(TargetLog), "log", "sentinel", m_shared)) {
            return false;
        }
        m_process = LaunchBeside("PelohookTarget.exe", base);
        if (!m_process) {
            return false;
        }
        const HANDLE waits[] = { m_shared.ready.get(), m_process.get() };
        if (::WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0) {
            return false;
        }
        m_top = reinterpret_cast<HWND>(static_cast<UINT_PTR>(Log()->hwndTop));
        m_edit = reinterpret_cast<HWND>(static_cast<UINT_PTR>(Log()->hwndEdit));
        return true;
    }

    ~Target()
    {
        if (m_process) {
            ::PostMessageW(m_top, kMsgQuit, 0, 0);
            if (::WaitForSingleObject(m_process.get(), 5000) != WAIT_OBJECT_0) {
                ::TerminateProcess(m_process.get(), 1);
            }
        }
    }

    HWND Top() const { return m_top; }
    HWND Edit() const { return m_edit; }

    // Gives the target the foreground and the focus, types the keys, and returns the key and
    // character messages its edit control received, without the closing sentinel key.
    std::vector<Rec> Type(std::vector<INPUT> inputs)
    {
        if (!Activate()) {
            ADD_FAILURE() << "the target could not take the focus";
            return {};
        }
        inputs.push_back(KeyInput(kSentinelKey, false));
        inputs.push_back(KeyInput(kSentinelKey, true));
        const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        EXPECT_EQ(sent, inputs.size());
        return Collect();
    }

    // The messages received since the log was cleared, once a posted sync message came through.
    std::vector<Rec> Sync()
    {
        ::PostMessageW(m_top, kMsgSync, 0, 0);
        std::vector<Rec> recs = Collect();
        Clear();
        return recs;
    }

    void Clear() { ::SendMessageW(m_top, kMsgClear, 0, 0); }

    bool Activate()
    {
        DWORD_PTR focused = 0;
        return ::SendMessageTimeoutW(m_top, kMsgActivate, 0, 0, SMTO_BLOCK, kTimeoutMs, &focused) && focused;
    }

    std::wstring EditText() const
    {
        wchar_t text[256] = {};
        ::SendMessageW(m_edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        return text;
    }

private:
    TargetLog* Log() const { return m_shared.As<TargetLog>(); }

    std::vector<Rec> Collect()
    {
        if (::WaitForSingleObject(m_shared.signal.get(), kTimeoutMs) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the target did not see the end of the input";
        }
        std::vector<Rec> recs;
        const LONG count = Log()->count;
        for (LONG i = 0; i < count; ++i) {
            const TargetRecord& r = Log()->records[i];
            if (r.wParam != kSentinelKey || r.msg == WM_CHAR) {
                recs.push_back(r);
            }
        }
        return recs;
    }

    SharedObjects m_shared;
    pelo::UniqueKernelHandle m_process;
    HWND m_top = nullptr;
    HWND m_edit = nullptr;
};

// One target process per test program; the test table is handed over before each test.
class HookTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_target = new Target;
        if (!s_target->Start()) {
            delete s_target;
            s_target = nullptr;
        }
    }
    static void TearDownTestSuite()
    {
        delete s_target;
        s_target = nullptr;
    }
    // Every test starts from the test table, no soft Shift, no keyboard window and the options
    // off, and leaves the soft Shift and the options off for whatever runs after it.
    void SetUp() override
    {
        ASSERT_NE(s_target, nullptr) << "PelohookTarget.exe did not start";
        HandOverTable(One, Two);
        Dll_Setg_hWndMainInDll(nullptr);
        ResetFlags();
    }
    void TearDown() override { ResetFlags(); }
    static void ResetFlags()
    {
        Dll_Setg_bAxBnShiftDownInHook(0);
        Dll_SetbPassShortcutsInHook(0);
        EXPECT_EQ(Dll_SetExcludedProgramsInHook(nullptr, 0), 1);
    }

    Target& target() { return *s_target; }

    // A hook of the library is installed: key 'A' types its character one.
    void ExpectTyped()
    {
        EXPECT_EQ(target().Type(Press({ 'A' })), (std::vector<Rec> { Char(One('A')), Up('A') }));
    }

    // The hook passed the key on: the target saw its key-down, and no table character.
    void ExpectPassedThrough(const std::vector<Rec>& recs, WORD vk)
    {
        EXPECT_NE(std::find(recs.begin(), recs.end(), Down(vk)), recs.end()) << "key " << vk;
        for (const Rec& r : recs) {
            EXPECT_FALSE(r.msg == WM_CHAR && IsTableChar(r.wParam)) << "typed 0x" << std::hex << r.wParam;
        }
    }

    inline static Target* s_target = nullptr;
};

// Tests that run with the hook installed.
class PelohookTyping : public HookTest {
protected:
    void SetUp() override
    {
        HookTest::SetUp();
        ASSERT_EQ(m_hook.StartHook(), 1);
    }
    CKeyboardHook m_hook;
};

} // namespace pelo::hooktest
