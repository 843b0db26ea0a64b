// How messages reach a dialog's rows: binding from the first message, default processing on a
// handler's request, registered messages, the command route with ranges and the application's
// rows, command states of popup menus, and the modal loop's keyboard and owner rules.
#include "framework/dialog/Dialog.h"
#include "framework/window/Application.h"

#include "TestWindow.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace pelo::dialog;
using pelo::window::AppCommandRow;
using pelo::window::ApplicationT;

namespace {

constexpr UINT WM_THROW = WM_APP + 1;
constexpr UINT WM_END = WM_APP + 2;

class TestApp : public ApplicationT<TestApp> {
public:
    static const std::vector<AppCommandRow<TestApp>>& Commands()
    {
        static const std::vector<AppCommandRow<TestApp>> rows = { { 57670, &TestApp::OnHelp } };
        return rows;
    }
    int helps = 0;

private:
    void OnHelp() { ++helps; }
};

// Rows of every kind, each recording that it ran.
class Routed : public DialogT<Routed> {
public:
    explicit Routed(UINT templateId = 101)
        : DialogT(::GetModuleHandleW(nullptr), templateId)
    {
    }
    static const HandlerTable<Routed>& Handlers()
    {
        static const HandlerTable<Routed> table = [] {
            HandlerTable<Routed> t;
            t.messages = { { WM_MOVE, &Routed::OnMove }, { WM_SETTEXT, &Routed::OnSetText },
                { WM_NCHITTEST, &Routed::OnHitTest }, { WM_THROW, &Routed::OnThrow },
                { WM_END, &Routed::OnEnd } };
            t.registeredMessages = { { L"PeloDialogTestMessage", &Routed::OnRegistered } };
            t.commands = { { 500, 0, &Routed::OnHandled } };
            t.commandRanges = { { 600, 609, &Routed::OnRange } };
            t.commandStates = { { 500, 500, &Routed::CheckIt }, { 700, 700, &Routed::Rename },
                { 800, 800, &Routed::CheckIt }, { 900, 900, &Routed::Rename } };
            return t;
        }();
        return table;
    }
    static const std::vector<ExchangeRow<Routed>>& ExchangeRows()
    {
        static const std::vector<ExchangeRow<Routed>> none;
        return none;
    }

    std::vector<std::wstring> calls;
    bool endOnInit = false;
    HWND ownerAtInit = nullptr;
    BOOL ownerEnabledAtInit = TRUE;

protected:
    BOOL OnInitDialog() override
    {
        calls.push_back(L"init");
        ownerAtInit = ::GetWindow(Hwnd(), GW_OWNER);
        ownerEnabledAtInit = ownerAtInit ? ::IsWindowEnabled(ownerAtInit) : TRUE;
        if (endOnInit) {
            EndDialog(5);
        }
        return TRUE;
    }

private:
    LRESULT OnMove(WPARAM, LPARAM)
    {
        calls.push_back(Hwnd() ? L"move" : L"move unbound");
        return Default();
    }
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        const std::wstring before = ControlText(Hwnd());
        const LRESULT result = Default();
        calls.push_back(L"text " + before + L" -> " + ControlText(Hwnd()));
        return result;
    }
    LRESULT OnHitTest(WPARAM, LPARAM) { return HTCAPTION; }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failure"); }
    LRESULT OnEnd(WPARAM code, LPARAM)
    {
        EndDialog(static_cast<INT_PTR>(code));
        return 0;
    }
    LRESULT OnRegistered(WPARAM w, LPARAM)
    {
        calls.push_back(L"registered " + std::to_wstring(w));
        return 9;
    }
    void OnHandled() { calls.push_back(L"500"); }
    void OnRange(int id) { calls.push_back(L"range " + std::to_wstring(id)); }
    void CheckIt(CommandState& state) { state.SetCheck(true); }
    void Rename(CommandState& state)
    {
        state.SetText(L"Renamed");
        state.Enable(true);
    }
};

std::wstring ItemText(HMENU menu, UINT index)
{
    wchar_t text[64] = L"";
    ::GetMenuStringW(menu, index, text, 64, MF_BYPOSITION);
    return text;
}

} // namespace

TEST(DialogRouting, Binding_WmMoveDuringCreation_HandledBeforeInit)
{
    Routed dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    ASSERT_GE(dlg.calls.size(), 2u);
    EXPECT_EQ(dlg.calls.front(), L"move") << "the first move arrives while the window is created";
    EXPECT_EQ(dlg.calls.back(), L"init");
}

TEST(DialogRouting, Rows_DefaultOnRequestResultsRegisteredAndThrowing)
{
    Routed dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.calls.clear();
    ::SetWindowTextW(dlg.Hwnd(), L"new");
    EXPECT_EQ(::SendMessageW(dlg.Hwnd(), WM_NCHITTEST, 0, 0), HTCAPTION);
    EXPECT_EQ(::SendMessageW(dlg.Hwnd(), ::RegisterWindowMessageW(L"PeloDialogTestMessage"), 4, 0), 9);
    EXPECT_EQ(::SendMessageW(dlg.Hwnd(), WM_THROW, 0, 0), 0) << "nothing thrown leaves the window procedure";
    ::SetWindowTextW(dlg.Hwnd(), L"again");
    EXPECT_EQ(dlg.calls,
        (std::vector<std::wstring> { L"text Modal test -> new", L"registered 4", L"text new -> again" }));
}

TEST(DialogRouting, Commands_RowsThenRangesThenApplication)
{
    TestApp app;
    Routed dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.calls.clear();
    for (const int id : { 500, 600, 609, 610, 57670 }) {
        ::SendMessageW(dlg.Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    // Notifications of controls other than clicks do not reach ranges.
    ::SendMessageW(dlg.Hwnd(), WM_COMMAND, MAKEWPARAM(605, EN_CHANGE), reinterpret_cast<LPARAM>(dlg.Hwnd()));
    EXPECT_EQ(dlg.calls, (std::vector<std::wstring> { L"500", L"range 600", L"range 609" }));
    EXPECT_EQ(app.helps, 1);
}

TEST(DialogRouting, InitMenuPopup_UnhandledItemsGreyedSubmenusAndSystemMenuLeftAlone)
{
    TestApp app;
    Routed dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    for (const BOOL systemMenu : { FALSE, TRUE }) {
        pelo::UniqueHmenu menu(::CreatePopupMenu());
        const HMENU sub = ::CreatePopupMenu();
        ::AppendMenuW(sub, MF_STRING, 900, L"First");
        ::AppendMenuW(sub, MF_STRING, 901, L"Second");
        const std::pair<UINT, const wchar_t*> items[] = { { 500, L"Handled" }, { 605, L"Range" },
            { 700, L"Updated" }, { 0, nullptr }, { 800, L"Checked only" }, { 57670, L"Help" },
            { 501, L"Unhandled" }, { SC_MINIMIZE, L"System range" } };
        for (const auto& [id, text] : items) {
            ::AppendMenuW(menu.get(), text ? MF_STRING : MF_SEPARATOR, id, text);
        }
        ::AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"Sub");
        ::SendMessageW(
            dlg.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.get()), MAKELPARAM(0, systemMenu));

        std::vector<std::wstring> seen;
        for (UINT i = 0; i < static_cast<UINT>(::GetMenuItemCount(menu.get())); ++i) {
            const UINT state = ::GetMenuState(menu.get(), i, MF_BYPOSITION);
            if (state & MF_SEPARATOR) {
                seen.push_back(L"-");
                continue;
            }
            seen.push_back(ItemText(menu.get(), i) + ((state & MF_GRAYED) ? L" grey" : L"")
                + ((state & MF_CHECKED) ? L" checked" : L""));
        }
        const std::vector<std::wstring> updated = { L"Handled checked", L"Range", L"Renamed", L"-",
            L"Checked only grey checked", L"Help", L"Unhandled grey", L"System range", L"Sub" };
        const std::vector<std::wstring> untouched = { L"Handled", L"Range", L"Updated", L"-", L"Checked only",
            L"Help", L"Unhandled", L"System range", L"Sub" };
        EXPECT_EQ(seen, systemMenu ? untouched : updated);
    }
}

TEST(DialogRouting, DoModal_EnterAndEscInChildPage_ReachThePage)
{
    class Page : public Dialog {
    public:
        Page()
            : Dialog(::GetModuleHandleW(nullptr), 103)
        {
        }
        int ok = 0, cancel = 0;

    protected:
        void OnOK() override { ++ok; }
        void OnCancel() override { ++cancel; }
    };
    class Parent : public Routed {
    public:
        Parent()
            : Routed(102)
        {
        }
        Page page;
        int ok = 0, cancel = 0;

    protected:
        BOOL OnInitDialog() override
        {
            if (!page.Create(Hwnd())) {
                EndDialog(-2);
                return TRUE;
            }
            const HWND edit = page.Item(1101);
            ::SetFocus(edit);
            ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
            ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
            ::PostMessageW(Hwnd(), WM_END, 77, 0);
            return FALSE;
        }
        void OnOK() override { ++ok; }
        void OnCancel() override { ++cancel; }
    };
    Parent parent;
    EXPECT_EQ(parent.DoModal(nullptr), 77);
    EXPECT_EQ(parent.page.ok, 1);
    EXPECT_EQ(parent.page.cancel, 1);
    EXPECT_EQ(parent.ok, 0) << "the parent's default button is not pressed";
    EXPECT_EQ(parent.cancel, 0);
}

TEST(DialogRouting, DoModal_WithoutParent_OwnedByMainWindowDisabledMeanwhile)
{
    TestApp app;
    pelo::testing::TopWindow main;
    app.SetMainWindow(main.get());
    Routed dlg;
    dlg.endOnInit = true;
    EXPECT_EQ(dlg.DoModal(), 5);
    EXPECT_EQ(dlg.ownerAtInit, main.get());
    EXPECT_FALSE(dlg.ownerEnabledAtInit);
    EXPECT_TRUE(::IsWindowEnabled(main.get()));
    EXPECT_EQ(dlg.Hwnd(), nullptr);
}

TEST(DialogRouting, DoModal_QuitWhileRunning_EndsAndPostsQuitAgain)
{
    Routed dlg;
    ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), WM_QUIT, 3, 0));
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.Hwnd(), nullptr);
    MSG msg {};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}
