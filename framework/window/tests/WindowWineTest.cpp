// Windows bound to their objects, the popup menu and the tray icon, driven through real windows.
#include "framework/window/Application.h"
#include "framework/window/PopupMenu.h"
#include "framework/window/TrayIcon.h"
#include "framework/window/Window.h"

#include <shellapi.h>

#include <gtest/gtest.h>

using namespace pelo::window;

namespace {

constexpr wchar_t ClassName[] = L"PeloTestWindow";

class Probe : public WindowT<Probe> {
public:
    static const HandlerTable<Probe>& Handlers()
    {
        static const HandlerTable<Probe> table
            = { { { WM_NCCREATE, &Probe::OnNcCreate }, { WM_INITMENUPOPUP, &Probe::OnInitMenuPopup },
                    { WM_TIMER, &Probe::OnTimer } },
                  {}, {} };
        return table;
    }
    bool Create()
    {
        return RegisterWindowClass(::GetModuleHandleW(nullptr), { ClassName })
            && Window::Create(::GetModuleHandleW(nullptr), ClassName, L"probe", WS_POPUP | WS_VISIBLE, 0,
                { 10, 10, 110, 60 }, nullptr);
    }

    HWND boundAtNcCreate = nullptr;
    HMENU popupShown = nullptr;
    int finalMessages = 0;

protected:
    void OnFinalMessage() override { ++finalMessages; }

private:
    LRESULT OnNcCreate(WPARAM, LPARAM)
    {
        boundAtNcCreate = Hwnd();
        return Default();
    }
    LRESULT OnInitMenuPopup(WPARAM menu, LPARAM)
    {
        popupShown = reinterpret_cast<HMENU>(menu);
        ::SetTimer(Hwnd(), 1, 20, nullptr); // the menu closes from its own loop
        return Default();
    }
    LRESULT OnTimer(WPARAM, LPARAM)
    {
        ::KillTimer(Hwnd(), 1);
        ::EndMenu();
        return 0;
    }
};

// Whether the shell still knows an icon: a modification of it succeeds.
bool ShellKnows(HWND hwnd, UINT id)
{
    NOTIFYICONDATAW data {};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = hwnd;
    data.uID = id;
    data.uFlags = NIF_TIP;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

} // namespace

TEST(Window, Create_BoundFromNcCreateUntilDestroyed)
{
    Probe probe;
    ASSERT_TRUE(probe.Create());
    const HWND hwnd = probe.Hwnd();
    EXPECT_EQ(probe.boundAtNcCreate, hwnd);
    EXPECT_EQ(Window::FromHandle(hwnd), &probe);
    EXPECT_FALSE(probe.Create()) << "one window per object";

    ::DestroyWindow(hwnd);
    EXPECT_EQ(probe.Hwnd(), nullptr) << "a window destroyed from outside unbinds";
    EXPECT_EQ(probe.finalMessages, 1);

    HWND owned = nullptr;
    {
        Probe scoped;
        ASSERT_TRUE(scoped.Create());
        owned = scoped.Hwnd();
    }
    EXPECT_FALSE(::IsWindow(owned)) << "the object destroys its window";
}

TEST(PopupMenu, Track_ShowsFirstSubmenuToOwnerAndDestroysMenuAfterwards)
{
    Probe owner;
    ASSERT_TRUE(owner.Create());
    HMENU shown = nullptr;
    {
        const PopupMenu menu(::GetModuleHandleW(nullptr), 135);
        ASSERT_TRUE(menu.Loaded());
        shown = menu.Submenu();
        EXPECT_EQ(::GetMenuItemID(shown, 0), 32772u);
        EXPECT_TRUE(menu.Track({ 20, 20 }, owner.Hwnd()));
        EXPECT_EQ(owner.popupShown, shown);
    }
    EXPECT_FALSE(::IsMenu(shown));
    const PopupMenu missing(::GetModuleHandleW(nullptr), 999);
    EXPECT_FALSE(missing.Loaded());
    EXPECT_FALSE(missing.Track({ 20, 20 }, owner.Hwnd()));
}

TEST(TrayIcon, AddModifyDelete_ShellKnowsTheIconUntilTheOwnerGoes)
{
    Probe owner;
    ASSERT_TRUE(owner.Create());
    const HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    {
        TrayIcon tray;
        EXPECT_FALSE(tray.Modify(icon, L"off")) << "nothing added yet";
        if (!tray.Add(owner.Hwnd(), 103, WM_USER + 5, icon, L"on")) {
            GTEST_SKIP() << "this Wine prefix has no notification area";
        }
        EXPECT_TRUE(tray.Modify(icon, L"off"));
        EXPECT_TRUE(ShellKnows(owner.Hwnd(), 103));
        EXPECT_TRUE(tray.Add(owner.Hwnd(), 103, WM_USER + 5, icon, L"on")) << "adding again keeps it added";
        EXPECT_TRUE(tray.Added());
    }
    EXPECT_FALSE(ShellKnows(owner.Hwnd(), 103)) << "removed with its owner";
}

namespace {
class RunApp : public Application {
public:
    BOOL loop = TRUE;
    std::vector<std::string> steps;

protected:
    BOOL InitInstance() override
    {
        steps.push_back("init");
        ::PostQuitMessage(7);
        return loop;
    }
    int ExitInstance() override
    {
        steps.push_back("exit " + std::to_string(ExitCode()));
        return ExitCode() + 1;
    }
};
} // namespace

TEST(Application, Run_LoopUntilQuitOnlyWhenInitSaysSo_ExitInstanceGivesTheCode)
{
    RunApp app;
    EXPECT_EQ(Application::Current(), &app);
    EXPECT_EQ(app.Run(::GetModuleHandleW(nullptr)), 8);
    EXPECT_EQ(app.steps, (std::vector<std::string> { "init", "exit 7" }));

    RunApp once;
    once.loop = FALSE;
    EXPECT_EQ(once.Run(::GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(once.steps, (std::vector<std::string> { "init", "exit 0" }));
    MSG msg {};
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no loop ran to take the quit";
}
