// Where a typed or clicked character goes, natively: the window queries are answered by a fake
// desktop of threads and windows, which records every focus and post it is asked for.
//
// The case that matters most here cannot be produced under Wine: on 64-bit Windows a process of
// the other bitness cannot map the hook library, and the system calls the hook procedure in the
// thread that installed the hook (the program's) instead. Wine 8 does not hook such processes at
// all, so only this fake puts the hook procedure outside the foreground window's thread.
#include "hook/FocusDelivery.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

using pelo::hook::DeliverFromHook;
using pelo::hook::DeliverFromProgram;
using pelo::hook::GuiWindows;

namespace {

using Window = int; // 0: no window
using Post = std::pair<Window, char16_t>;

// Threads: the program (1) with its keyboard window 10, a dialog 12 and a control 11; an
// application (2) with window 20 and its edit control 21; another application (3) with 30 and 31.
constexpr unsigned kProgram = 1, kApp = 2, kOtherApp = 3;
constexpr Window kKeyboard = 10, kProgramControl = 11, kProgramDialog = 12;
constexpr Window kAppWindow = 20, kAppEdit = 21, kOtherAppEdit = 31;

struct FakeDesktop {
    unsigned current = kApp;
    unsigned foreground = kApp; // 0: no foreground window
    std::map<unsigned, GuiWindows<Window>> threads { { kProgram, { kKeyboard, kKeyboard } },
        { kApp, { kAppWindow, kAppEdit } }, { kOtherApp, { 30, kOtherAppEdit } } };

    std::vector<Window> focused;
    std::vector<Post> posted;
    int foregroundQueries = 0;

    GuiWindows<Window> Foreground()
    {
        ++foregroundQueries;
        return foreground != 0 ? threads[foreground] : GuiWindows<Window> {};
    }
    GuiWindows<Window> Current() { return threads[current]; }
    bool IsCurrentThreadWindow(Window w) const { return static_cast<unsigned>(w / 10) == current; }
    void Focus(Window w) { focused.push_back(w); }
    void Post(Window w, char16_t ch) { posted.emplace_back(w, ch); }
};

} // namespace

TEST(FocusDelivery, Hook_InForegroundThread_PostsToItsFocus_AndRemembersIt)
{
    FakeDesktop desktop;
    Window lastFocus = kOtherAppEdit;
    DeliverFromHook(desktop, kKeyboard, lastFocus, u'α');
    EXPECT_EQ(desktop.posted, (std::vector<Post> { { kAppEdit, u'α' } }));
    EXPECT_EQ(lastFocus, kAppEdit);
    EXPECT_EQ(desktop.focused, std::vector<Window> {});
}

TEST(FocusDelivery, Hook_InProgramThread_TypesIntoForegroundApplication_WhateverTheProgramShows)
{
    // The program's thread may show its keyboard window, a dialog, or nothing active at all:
    // the key was typed in the foreground application and goes there.
    for (const GuiWindows<Window> program : { GuiWindows<Window> { kKeyboard, kKeyboard },
             GuiWindows<Window> { kProgramDialog, kProgramControl }, GuiWindows<Window> {} }) {
        FakeDesktop desktop;
        desktop.current = kProgram;
        desktop.threads[kProgram] = program;
        Window lastFocus = kOtherAppEdit;
        DeliverFromHook(desktop, kKeyboard, lastFocus, u'β');
        EXPECT_EQ(desktop.posted, (std::vector<Post> { { kAppEdit, u'β' } })) << program.active;
        EXPECT_EQ(lastFocus, kAppEdit) << program.active;
        EXPECT_EQ(desktop.focused, std::vector<Window> {}) << "focus belongs to the other thread";
    }
}

TEST(FocusDelivery, Hook_OutsideForegroundThread_NoFocusThere_RemembersNoneAndPostsNothing)
{
    FakeDesktop desktop;
    desktop.current = kProgram;
    desktop.threads[kApp].focus = 0;
    Window lastFocus = kOtherAppEdit;
    DeliverFromHook(desktop, kKeyboard, lastFocus, u'γ');
    EXPECT_EQ(desktop.posted, std::vector<Post> {});
    EXPECT_EQ(lastFocus, 0);
}

TEST(FocusDelivery, Hook_OutsideForegroundThread_KeyboardWindowForeground_GoesToRememberedFocus)
{
    FakeDesktop desktop;
    desktop.current = kApp; // a thread sharing the keyboard window's input, not its own
    desktop.foreground = kProgram;
    Window lastFocus = kOtherAppEdit;
    DeliverFromHook(desktop, kKeyboard, lastFocus, u'δ');
    EXPECT_EQ(desktop.posted, (std::vector<Post> { { kOtherAppEdit, u'δ' } }));
    EXPECT_EQ(lastFocus, kOtherAppEdit);
    EXPECT_EQ(desktop.focused, std::vector<Window> {});
}

TEST(FocusDelivery, Hook_NoForegroundWindow_CallingThreadDecides)
{
    FakeDesktop desktop;
    desktop.foreground = 0;
    Window lastFocus = kOtherAppEdit;
    DeliverFromHook(desktop, kKeyboard, lastFocus, u'ε');
    EXPECT_EQ(desktop.posted, (std::vector<Post> { { kAppEdit, u'ε' } }));
    EXPECT_EQ(lastFocus, kAppEdit);
}

TEST(FocusDelivery, Program_KeepsCallingThreadRule_WhileAnApplicationIsForeground)
{
    // A click on the keyboard window: the character goes to the remembered focus, which is
    // focused from here and stays remembered; the foreground application is not asked.
    FakeDesktop desktop;
    desktop.current = kProgram;
    Window lastFocus = kOtherAppEdit;
    DeliverFromProgram(desktop, kKeyboard, lastFocus, u'ζ');
    EXPECT_EQ(desktop.posted, (std::vector<Post> { { kOtherAppEdit, u'ζ' } }));
    EXPECT_EQ(desktop.focused, std::vector<Window> { kOtherAppEdit });
    EXPECT_EQ(lastFocus, kOtherAppEdit);
    EXPECT_EQ(desktop.foregroundQueries, 0);

    // Any other active window of the calling thread is an application of its own.
    desktop.threads[kProgram] = { kProgramDialog, kProgramControl };
    DeliverFromProgram(desktop, kKeyboard, lastFocus, u'η');
    EXPECT_EQ(desktop.posted.back(), (Post { kProgramControl, u'η' }));
    EXPECT_EQ(desktop.focused.size(), 1u);
    EXPECT_EQ(lastFocus, kProgramControl);
}
