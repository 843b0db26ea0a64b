// The dialog layer driven through real dialogs created from this program's templates.
#include "framework/dialog/Dialog.h"

#include "MessageBoxRecorder.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

using namespace pelo::dialog;
using pelo::testing::LiveMessageBoxRecorder;
using pelo::testing::MessageBoxRecorder;

namespace {

// A notification code of our own (common controls are not needed here).
constexpr UINT TestNotifyCode = 0x7F01;

class TestDialog : public DialogT<TestDialog> {
public:
    explicit TestDialog(UINT templateId = 100)
        : DialogT(::GetModuleHandleW(nullptr), templateId)
    {
    }

    static const std::vector<ExchangeRow<TestDialog>>& ExchangeRows()
    {
        static const std::vector<ExchangeRow<TestDialog>> rows = {
            ExchangeRow<TestDialog>::Int(1001, &TestDialog::m_int),
            ExchangeRow<TestDialog>::Short(1002, &TestDialog::m_short, 1, 2),
            ExchangeRow<TestDialog>::Text(1003, &TestDialog::m_text, 3),
        };
        return rows;
    }
    static const HandlerTable<TestDialog>& Handlers()
    {
        static const HandlerTable<TestDialog> table = {
            { { WM_APP, &TestDialog::OnApp } },
            { { 1001, EN_CHANGE, &TestDialog::OnChangeInt }, { 1004, BN_CLICKED, &TestDialog::OnGo } },
            { { 1001, TestNotifyCode, &TestDialog::OnNotifyClick } },
        };
        return table;
    }

    int m_int = 7;
    short m_short = 1;
    std::wstring m_text = L"ab";

    std::vector<std::wstring> calls;
    BOOL okOnInit = FALSE;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL r = DialogT::OnInitDialog();
        if (okOnInit) {
            ::SetWindowTextW(Item(1001), L"  -42 ");
            ::PostMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return r;
    }

private:
    LRESULT OnApp(WPARAM w, LPARAM l)
    {
        calls.push_back(L"app " + std::to_wstring(w) + L" " + std::to_wstring(l));
        return TRUE;
    }
    void OnChangeInt() { calls.push_back(L"change " + ControlText(Item(1001))); }
    void OnGo() { calls.push_back(L"go"); }
    LRESULT OnNotifyClick(NMHDR* header)
    {
        calls.push_back(L"notify " + std::to_wstring(header->idFrom));
        return 42;
    }
};

using Parent = pelo::testing::TopWindow;

void Type(HWND edit, const wchar_t* text)
{
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

} // namespace

TEST(Dialog, Create_Modeless_PutsMembersAndOwnsWindow)
{
    Parent parent;
    HWND hwnd = nullptr;
    {
        TestDialog dlg;
        ASSERT_TRUE(dlg.Create(parent.get()));
        hwnd = dlg.Hwnd();
        ASSERT_TRUE(::IsWindow(hwnd));
        EXPECT_EQ(ControlText(dlg.Item(1001)), L"7");
        EXPECT_EQ(ControlText(dlg.Item(1002)), L"1");
        EXPECT_EQ(ControlText(dlg.Item(1003)), L"ab");
        EXPECT_EQ(::SendMessageW(dlg.Item(1003), EM_GETLIMITTEXT, 0, 0), 3);
        // Putting unchanged values sends no change notification.
        dlg.calls.clear();
        EXPECT_TRUE(dlg.UpdateData(false));
        EXPECT_TRUE(dlg.calls.empty());
    }
    EXPECT_FALSE(::IsWindow(hwnd)) << "the object destroys its window";

    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(parent.get()));
    ::DestroyWindow(dlg.Hwnd());
    EXPECT_EQ(dlg.Hwnd(), nullptr) << "a window destroyed from outside unbinds";
    EXPECT_FALSE(dlg.UpdateData(true));
}

TEST(Dialog, UpdateData_Save_TakesValidValues)
{
    Parent parent;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(parent.get()));
    MessageBoxRecorder boxes;
    Type(dlg.Item(1001), L" -2147483648 ");
    Type(dlg.Item(1002), L"+2");
    Type(dlg.Item(1003), L"xyz");
    EXPECT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_int, INT_MIN);
    EXPECT_EQ(dlg.m_short, 2);
    EXPECT_EQ(dlg.m_text, L"xyz");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(Dialog, UpdateData_InvalidFields_WarnAndStopAtFirstFailure)
{
    Parent parent;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(parent.get()));
    MessageBoxRecorder boxes;

    for (const wchar_t* bad : { L"", L"abc", L"12x", L"2147483648", L"- 1" }) {
        Type(dlg.Item(1001), bad);
        Type(dlg.Item(1002), L"2");
        dlg.m_short = 1;
        EXPECT_FALSE(dlg.UpdateData(true)) << bad;
        EXPECT_EQ(dlg.m_int, 7) << bad;
        EXPECT_EQ(dlg.m_short, 1) << "rows after the failure are not taken";
        ASSERT_EQ(boxes.boxes.size(), 1u) << bad;
        EXPECT_EQ(boxes.boxes[0].text, L"Please enter an integer.");
        EXPECT_EQ(boxes.boxes[0].owner, dlg.Hwnd());
        EXPECT_EQ(boxes.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(boxes.boxes[0].caption, L"pelo_framework_dialog_tests");
        boxes.boxes.clear();
    }

    // Out of range: the value is held, then the range warning.
    Type(dlg.Item(1001), L"5");
    Type(dlg.Item(1002), L"3");
    EXPECT_FALSE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_short, 3);
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::wstring> { L"Please enter an integer between 1 and 2." });
    Type(dlg.Item(1002), L"70000");
    EXPECT_FALSE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_short, 3);
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::wstring> { L"Please enter an integer." });

    // Text past its limit (WM_SETTEXT is not limited by EM_LIMITTEXT).
    Type(dlg.Item(1002), L"1");
    Type(dlg.Item(1003), L"abcd");
    EXPECT_FALSE(dlg.UpdateData(true));
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::wstring> { L"Please enter no more than 3 characters." });
    EXPECT_EQ(::GetFocus(), dlg.Item(1003));
}

TEST(Dialog, ValidationWarning_SystemBox_ShownOwnedWithCaption)
{
    Parent parent;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(parent.get()));
    LiveMessageBoxRecorder boxes;
    ASSERT_TRUE(boxes.Installed());
    Type(dlg.Item(1001), L"x");
    EXPECT_FALSE(dlg.UpdateData(true));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Please enter an integer.");
    EXPECT_EQ(boxes.boxes[0].caption, L"pelo_framework_dialog_tests");
    EXPECT_EQ(boxes.boxes[0].owner, parent.get()) << "a box is owned by the top-level window of its owner";
    EXPECT_TRUE(boxes.boxes[0].hasIcon);
}

TEST(Dialog, HandlerRows_MessagesCommandsNotifications_CallMembers)
{
    Parent parent;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(parent.get()));
    dlg.calls.clear();
    ::SendMessageW(dlg.Hwnd(), WM_APP, 3, 4);
    Type(dlg.Item(1001), L"9");
    ::SendMessageW(
        dlg.Hwnd(), WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), reinterpret_cast<LPARAM>(dlg.Item(1004)));
    ::SendMessageW(
        dlg.Hwnd(), WM_COMMAND, MAKEWPARAM(1004, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(dlg.Item(1004)));
    NMHDR header { dlg.Item(1001), 1001, TestNotifyCode };
    EXPECT_EQ(::SendMessageW(dlg.Hwnd(), WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&header)), 42);
    NMHDR other { dlg.Item(1002), 1002, TestNotifyCode };
    ::SendMessageW(dlg.Hwnd(), WM_NOTIFY, 1002, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(dlg.calls, (std::vector<std::wstring> { L"app 3 4", L"change 9", L"go", L"notify 1001" }));
}

TEST(Dialog, DoModal_OkTakesDataAndEnds)
{
    TestDialog dlg(101);
    dlg.okOnInit = TRUE;
    EXPECT_EQ(dlg.DoModal(nullptr), IDOK);
    EXPECT_EQ(dlg.m_int, -42);
    EXPECT_EQ(dlg.Hwnd(), nullptr);

    TestDialog missing(999);
    EXPECT_EQ(missing.DoModal(nullptr), -1);
}

TEST(Dialog, Template_SizeAndFont_ReadFromResource)
{
    TemplateInfo info;
    ASSERT_TRUE(ReadDialogTemplate(::GetModuleHandleW(nullptr), 100, info));
    EXPECT_TRUE(info.child);
    EXPECT_EQ(info.cx, 200);
    EXPECT_EQ(info.cy, 100);
    EXPECT_EQ(info.pointSize, 9);
    EXPECT_EQ(info.faceName, L"MS Sans Serif");
    ASSERT_TRUE(ReadDialogTemplate(::GetModuleHandleW(nullptr), 101, info));
    EXPECT_FALSE(info.child);
    EXPECT_EQ(info.pointSize, 8);
    EXPECT_FALSE(ReadDialogTemplate(::GetModuleHandleW(nullptr), 999, info));

    // The computed pixel size is the size the dialog manager gives the child window.
    SIZE size {};
    ASSERT_TRUE(DialogTemplatePixelSize(::GetModuleHandleW(nullptr), 100, size));
    Parent parent;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(parent.get()));
    RECT rc {};
    ::GetClientRect(dlg.Hwnd(), &rc);
    EXPECT_EQ(size.cx, rc.right);
    EXPECT_EQ(size.cy, rc.bottom);
}
