// The key button's property page driven through IPropertyPage, editing fake key objects that
// record every GetIDsOfNames and Invoke; and the about box.
#include "AboutBox.h"
#include "PelokeyPropPage.h"
#include "PelokeyPropPageImpl.h"
#include "PropPageIds.h"

#include "MessageBoxRecorder.h"
#include "TestWindow.h"
#include "framework/ComPtr.h"
#include "framework/com/ComObject.h"
#include "framework/com/Module.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// The fakes implement COM interfaces, which have no virtual destructor.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

using pelo::ComPtr;
using pelo::testing::MessageBoxRecorder;

namespace {

// What a key object was asked: "names bSendMsg", "get 1", "put 3 BSTR B", ...
class FakeKey final : public IDispatch {
public:
    FakeKey()
    {
        SetBool(L"bSendMsg", true);
        SetBool(L"bInConfigDlg", false);
        SetBool(L"bShift", false);
        V_VT(&m_values[L"nKeyStyle"]) = VT_I2;
        V_I2(&m_values[L"nKeyStyle"]) = 1;
        SetText(L"strKeyChar", L"A");
        SetText(L"strKeyString", L"Enter");
    }
    ~FakeKey()
    {
        for (auto& [name, value] : m_values) {
            ::VariantClear(&value);
        }
    }
    void SetBool(const wchar_t* name, bool value)
    {
        VARIANT& v = m_values[name];
        ::VariantClear(&v);
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    void SetShort(const wchar_t* name, short value)
    {
        VARIANT& v = m_values[name];
        ::VariantClear(&v);
        V_VT(&v) = VT_I2;
        V_I2(&v) = value;
    }
    void SetText(const wchar_t* name, const wchar_t* value)
    {
        VARIANT& v = m_values[name];
        ::VariantClear(&v);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = ::SysAllocString(value);
    }
    std::vector<std::wstring> calls;
    // Only the puts, for short assertions.
    std::vector<std::wstring> Puts() const
    {
        std::vector<std::wstring> puts;
        for (const std::wstring& c : calls) {
            if (c.rfind(L"put ", 0) == 0) {
                puts.push_back(c);
            }
        }
        return puts;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return pelo::com::QueryFromTable({ { IID_IUnknown, this }, { IID_IDispatch, this } }, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (count != 1) {
            return E_INVALIDARG;
        }
        calls.push_back(std::wstring(L"names ") + names[0]);
        for (std::size_t i = 0; i < std::size(Names); ++i) {
            if (names[0] == std::wstring(Names[i])) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(
        DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (id < 1 || id > static_cast<DISPID>(std::size(Names))) {
            return DISP_E_MEMBERNOTFOUND;
        }
        const std::wstring name = Names[id - 1];
        if (flags & DISPATCH_PROPERTYGET) {
            calls.push_back(L"get " + std::to_wstring(id));
            return ::VariantCopy(result, &m_values[name]);
        }
        if (flags == DISPATCH_PROPERTYPUT && params->cArgs == 1 && params->cNamedArgs == 1
            && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT) {
            VARIANT text;
            ::VariantInit(&text);
            ::VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR);
            calls.push_back(L"put " + std::to_wstring(id) + L" " + TypeName(V_VT(&params->rgvarg[0])) + L" "
                + V_BSTR(&text));
            ::VariantClear(&text);
            return ::VariantCopy(&m_values[name], &params->rgvarg[0]);
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    // The key control's property names by dispatch identifier 1 to 6.
    static constexpr const wchar_t* Names[]
        = { L"bSendMsg", L"nKeyStyle", L"strKeyChar", L"strKeyString", L"bShift", L"bInConfigDlg" };

private:
    static std::wstring TypeName(VARTYPE vt)
    {
        switch (vt) {
        case VT_BOOL:
            return L"BOOL";
        case VT_I2:
            return L"I2";
        case VT_I4:
            return L"I4";
        case VT_BSTR:
            return L"BSTR";
        default:
            return L"vt" + std::to_wstring(vt);
        }
    }
    ULONG m_refs = 1;
    std::map<std::wstring, VARIANT> m_values;
};

class FakeSite final : public IPropertyPageSite {
public:
    std::vector<DWORD> statusChanges;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return pelo::com::QueryFromTable(
            { { IID_IUnknown, this }, { IID_IPropertyPageSite, this } }, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP OnStatusChange(DWORD flags) override
    {
        statusChanges.push_back(flags);
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID* lcid) override
    {
        *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
    ULONG m_refs = 1;
};

using Parent = pelo::testing::TopWindow;

using pelo::dialog::ControlText;

// The page opened on the given objects, as a property frame does it.
class PageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        pelo::com::SetModuleInstance(::GetModuleHandleW(nullptr));
        ASSERT_HRESULT_SUCCEEDED(CreatePelokeyPropPage(IID_IPropertyPage, page.put_void()));
    }
    void Open(std::vector<FakeKey*> keys)
    {
        ASSERT_HRESULT_SUCCEEDED(page->SetPageSite(&site));
        std::vector<IUnknown*> objects(keys.begin(), keys.end());
        ASSERT_HRESULT_SUCCEEDED(page->SetObjects(static_cast<ULONG>(objects.size()), objects.data()));
        RECT rc { 5, 5, 400, 300 };
        ASSERT_HRESULT_SUCCEEDED(page->Activate(parent.get(), &rc, TRUE));
        ASSERT_HRESULT_SUCCEEDED(page->Show(SW_SHOW));
        hwnd = ::GetWindow(parent.get(), GW_CHILD);
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override
    {
        if (page) {
            page->Deactivate();
            page->SetPageSite(nullptr);
            page->SetObjects(0, nullptr);
        }
    }
    HWND Item(int id) const { return ::GetDlgItem(hwnd, id); }
    // Typing into a field: the edit changes its text and notifies the page.
    void Type(int id, const wchar_t* text)
    {
        ::SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }

    // The edited objects outlive the page, which holds them until it is released.
    FakeKey key, first, second;
    Parent parent;
    FakeSite site;
    ComPtr<IPropertyPage> page;
    HWND hwnd = nullptr;
};

} // namespace

TEST_F(PageFixture, PageInfo_CaptionAndTemplateSize)
{
    PROPPAGEINFO info {};
    ASSERT_HRESULT_SUCCEEDED(page->GetPageInfo(&info));
    EXPECT_EQ(info.cb, sizeof info);
    ASSERT_NE(info.pszTitle, nullptr);
    EXPECT_STREQ(info.pszTitle, L"General");
    ::CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(info.pszHelpFile, nullptr);

    // The size is the template's 271 x 179 dialog units in pixels of its font.
    IUnknown* object = &key;
    ASSERT_HRESULT_SUCCEEDED(page->SetObjects(1, &object));
    ASSERT_HRESULT_SUCCEEDED(page->Activate(parent.get(), nullptr, TRUE));
    hwnd = ::GetWindow(parent.get(), GW_CHILD);
    RECT units { 0, 0, 271, 179 };
    ::MapDialogRect(hwnd, &units);
    EXPECT_EQ(info.size.cx, units.right);
    EXPECT_EQ(info.size.cy, units.bottom);
    EXPECT_EQ(page->Activate(parent.get(), nullptr, TRUE), E_UNEXPECTED) << "already active";
}

TEST_F(PageFixture, Template_ControlsInOrderWithStylesAndRectangles)
{
    Open({ &key });
    struct Expected {
        int id;
        const wchar_t* cls;
        const wchar_t* text;
        RECT units;
        bool disabled;
    };
    const Expected expected[] = {
        { 0xFFFF, L"Static", L"是否发送消息", { 32, 17, 45, 8 }, false },
        { 205, L"Edit", nullptr, { 117, 16, 40, 14 }, false },
        { 0xFFFF, L"Static", L"按钮风格", { 39, 72, 47, 8 }, false },
        { 206, L"Edit", nullptr, { 104, 69, 40, 14 }, false },
        { 0xFFFF, L"Static", L"按键字母", { 39, 91, 44, 8 }, false },
        { 0xFFFF, L"Static", L"按键字符串", { 39, 134, 49, 8 }, false },
        { 0xFFFF, L"Button", L"", { 30, 58, 140, 95 }, false },
        { 207, L"Edit", nullptr, { 104, 90, 39, 12 }, false },
        { 208, L"Edit", nullptr, { 104, 132, 39, 12 }, true },
        { 0xFFFF, L"Static", L"是否Shift键", { 39, 113, 43, 8 }, false },
        { 209, L"Edit", nullptr, { 104, 109, 40, 14 }, true },
        { 0xFFFF, L"Static", L"是否用于设置对话框", { 34, 38, 73, 8 }, false },
        { 210, L"Edit", nullptr, { 118, 36, 40, 14 }, false },
    };
    HWND child = ::GetWindow(hwnd, GW_CHILD);
    for (const Expected& e : expected) {
        ASSERT_NE(child, nullptr);
        wchar_t cls[32] = {};
        ::GetClassNameW(child, cls, 32);
        EXPECT_EQ(::CompareStringOrdinal(cls, -1, e.cls, -1, TRUE), CSTR_EQUAL) << e.id;
        EXPECT_EQ(::GetDlgCtrlID(child), e.id);
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        if (e.text) {
            EXPECT_EQ(ControlText(child), e.text);
        }
        if (std::wstring(e.cls) == L"Edit") {
            EXPECT_TRUE(style & ES_AUTOHSCROLL) << e.id;
            EXPECT_TRUE(style & WS_TABSTOP) << e.id;
            EXPECT_FALSE(style & ES_MULTILINE) << e.id;
            EXPECT_TRUE((style & WS_BORDER) || (::GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE))
                << e.id;
        } else if (std::wstring(e.cls) == L"Static") {
            EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT) << e.id;
            EXPECT_TRUE(style & WS_GROUP) << e.id;
        } else {
            EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        }
        EXPECT_EQ(::IsWindowEnabled(child) == FALSE, e.disabled) << e.id;
        // Position and size convert separately, as the dialog manager does.
        RECT want = e.units;
        ::MapDialogRect(hwnd, &want);
        want.right += want.left;
        want.bottom += want.top;
        RECT got {};
        ::GetWindowRect(child, &got);
        ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left) << e.id;
        EXPECT_EQ(got.top, want.top) << e.id;
        EXPECT_EQ(got.right, want.right) << e.id;
        EXPECT_EQ(got.bottom, want.bottom) << e.id;
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no other controls";
    EXPECT_FALSE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD);
}

TEST_F(PageFixture, Open_FieldsFromFirstObject_NoMessagesNotDirty)
{
    first.SetBool(L"bShift", true);
    first.SetShort(L"nKeyStyle", 2);
    first.SetText(L"strKeyChar", L"Q");
    first.SetText(L"strKeyString", L"Shift");
    MessageBoxRecorder boxes;
    Open({ &first, &second });

    EXPECT_EQ(ControlText(Item(205)), L"1") << "a true BOOL shows as 1";
    EXPECT_EQ(ControlText(Item(209)), L"1");
    EXPECT_EQ(ControlText(Item(207)), L"Q");
    EXPECT_EQ(ControlText(Item(208)), L"Shift");
    EXPECT_EQ(ControlText(Item(206)), L"2");
    EXPECT_EQ(ControlText(Item(210)), L"0");
    EXPECT_EQ(::SendMessageW(Item(207), EM_GETLIMITTEXT, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(Item(208), EM_GETLIMITTEXT, 0, 0), 5);
    // 208 and 209 stay as the template has them whatever the style.
    EXPECT_TRUE(Enabled(207));
    EXPECT_FALSE(Enabled(208));
    EXPECT_FALSE(Enabled(209));

    EXPECT_TRUE(boxes.boxes.empty()) << "opening runs no change handler";
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_TRUE(site.statusChanges.empty());
    const std::vector<std::wstring> expected = { L"names bSendMsg", L"get 1", L"names bShift", L"get 5",
        L"names strKeyChar", L"get 3", L"names strKeyString", L"get 4", L"names nKeyStyle", L"get 2",
        L"names bInConfigDlg", L"get 6" };
    EXPECT_EQ(first.calls, expected);
    EXPECT_TRUE(second.calls.empty()) << "only the first object fills the fields";
}

TEST_F(PageFixture, KeyStyleField_Edited_MessagesAndEnablesFollowValue)
{
    Open({ &key });
    MessageBoxRecorder boxes;

    Type(206, L"2");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"KEYSTYLE_STRING");
    EXPECT_EQ(boxes.boxes[0].caption, L"General");
    EXPECT_EQ(boxes.boxes[0].owner, hwnd);
    EXPECT_EQ(boxes.boxes[0].type, static_cast<UINT>(MB_OK)) << "an OK box without icon";
    boxes.boxes.clear();
    EXPECT_FALSE(Enabled(207));
    EXPECT_TRUE(Enabled(208));
    EXPECT_TRUE(Enabled(209));
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    ASSERT_EQ(site.statusChanges.size(), 1u);
    EXPECT_TRUE(site.statusChanges[0] & PROPPAGESTATUS_DIRTY);

    Type(206, L"1");
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::wstring> { L"KEYSTYLE_CHAR" });
    EXPECT_TRUE(Enabled(207));
    EXPECT_FALSE(Enabled(208));
    EXPECT_FALSE(Enabled(209));

    // No number: the framework says so, then the page acts on the value it still holds.
    Type(206, L"");
    EXPECT_EQ(
        boxes.TakeTexts(), (std::vector<std::wstring> { L"Please enter an integer.", L"KEYSTYLE_CHAR" }));

    Type(206, L"3");
    EXPECT_EQ(boxes.TakeTexts(),
        (std::vector<std::wstring> {
            L"Please enter an integer between 1 and 2.", L"请输入的值界于1和2之间" }));
    EXPECT_TRUE(Enabled(207)) << "an out-of-range style changes nothing else";
    EXPECT_FALSE(Enabled(208));

    // Other fields' changes trigger nothing.
    Type(205, L"0");
    Type(210, L"1");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PageFixture, ShiftField_Edited_SetsKeyStringWithoutReentry)
{
    Open({ &key });
    MessageBoxRecorder boxes;
    Type(209, L"1");
    EXPECT_FALSE(Enabled(208));
    EXPECT_EQ(ControlText(Item(208)), L"Shift");
    Type(209, L"0");
    EXPECT_TRUE(Enabled(208));
    EXPECT_EQ(ControlText(Item(208)), L"Enter");
    Type(209, L"7");
    EXPECT_EQ(ControlText(Item(208)), L"Shift") << "any nonzero integer";
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PageFixture, Apply_WritesOnlyChangedFieldsToEveryObject)
{
    Open({ &first, &second });
    first.calls.clear();
    Type(205, L"0");
    Type(207, L"B");
    ASSERT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_EQ(page->Apply(), S_OK);
    const std::vector<std::wstring> expected = { L"put 1 BOOL 0", L"put 3 BSTR B" };
    EXPECT_EQ(first.Puts(), expected);
    EXPECT_EQ(second.Puts(), expected);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);

    // Applying again writes nothing; a BOOL set to any integer is written as true.
    first.calls.clear();
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_TRUE(first.Puts().empty());
    Type(210, L"2");
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(first.Puts(), std::vector<std::wstring> { L"put 6 BOOL -1" });
}

TEST_F(PageFixture, Apply_StyleOutOfRange_WritesNothing)
{
    Open({ &key });
    MessageBoxRecorder boxes;
    Type(207, L"Z");
    Type(206, L"3");
    boxes.boxes.clear();
    key.calls.clear();
    EXPECT_EQ(page->Apply(), E_FAIL);
    EXPECT_TRUE(key.Puts().empty());
    EXPECT_EQ(boxes.TakeTexts(), std::vector<std::wstring> { L"Please enter an integer between 1 and 2." });
    EXPECT_EQ(page->IsPageDirty(), S_OK);

    Type(206, L"2");
    boxes.boxes.clear();
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(key.Puts(), (std::vector<std::wstring> { L"put 3 BSTR Z", L"put 2 I2 2" }));
}

TEST_F(PageFixture, Apply_KeyStringSetByShiftHandler_IsWritten)
{
    Open({ &key });
    MessageBoxRecorder boxes;
    Type(209, L"1");
    key.calls.clear();
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(key.Puts(), (std::vector<std::wstring> { L"put 5 BOOL -1", L"put 4 BSTR Shift" }));
}

TEST_F(PageFixture, Reopen_AfterDeactivate_ReadsObjectsAgain)
{
    Open({ &key });
    EXPECT_HRESULT_SUCCEEDED(page->Deactivate());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(page->Show(SW_SHOW), E_UNEXPECTED);
    key.SetText(L"strKeyChar", L"K");
    RECT rc { 0, 0, 300, 200 };
    ASSERT_HRESULT_SUCCEEDED(page->Activate(parent.get(), &rc, TRUE));
    hwnd = ::GetWindow(parent.get(), GW_CHILD);
    EXPECT_EQ(ControlText(Item(207)), L"K");
    RECT moved { 10, 20, 310, 220 };
    EXPECT_HRESULT_SUCCEEDED(page->Move(&moved));
    RECT got {};
    ::GetWindowRect(hwnd, &got);
    ::MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&got), 2);
    EXPECT_EQ(got.left, 10);
    EXPECT_EQ(got.top, 20);
}

TEST(PelokeyPropPage, Create_InterfacesAndModuleLock)
{
    const LONG before = pelo::com::ModuleLockCount();
    ComPtr<IUnknown> unknown;
    ASSERT_HRESULT_SUCCEEDED(CreatePelokeyPropPage(IID_IUnknown, unknown.put_void()));
    EXPECT_EQ(pelo::com::ModuleLockCount(), before + 1);
    ComPtr<IPropertyPage> page;
    EXPECT_HRESULT_SUCCEEDED(unknown.As(page));
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreatePelokeyPropPage(IID_IDispatch, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(CreatePelokeyPropPage(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(page->Apply(), S_OK) << "nothing to apply before the page opens";
    page.reset();
    unknown.reset();
    EXPECT_EQ(pelo::com::ModuleLockCount(), before);
}

namespace {
// Watches this thread's dialogs: records the about box as it initialises and presses OK.
struct AboutWatch {
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* msg = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && msg->message == WM_INITDIALOG) {
            owner = ::GetWindow(msg->hwnd, GW_OWNER);
            style = ::GetWindowLongW(msg->hwnd, GWL_STYLE);
            // Nothing leaves the hook; the box is closed either way.
            try {
                seen.push_back(ControlText(msg->hwnd));
                for (HWND c = ::GetWindow(msg->hwnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                    const bool icon = ::SendMessageW(c, STM_GETICON, 0, 0) != 0;
                    seen.push_back(icon ? L"<icon>" : ControlText(c));
                }
            } catch (...) {
            }
            ::PostMessageW(msg->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    inline static std::vector<std::wstring> seen;
    inline static HWND owner = nullptr;
    inline static LONG style = 0;
};
} // namespace

TEST(PelokeyAboutBox, Show_ModalWithoutParent_ClosesWithOk)
{
    pelo::com::SetModuleInstance(::GetModuleHandleW(nullptr));
    pelo::UniqueHhook hook(
        ::SetWindowsHookExW(WH_CALLWNDPROCRET, &AboutWatch::Hook, nullptr, ::GetCurrentThreadId()));
    ASSERT_TRUE(hook);
    ShowPelokeyAboutBox();
    EXPECT_EQ(AboutWatch::seen,
        (std::vector<std::wstring> { L"About Pelokey Control", L"<icon>", L"Pelokey Control, Version 1.0",
            L"Copyright (C) 2026 the Pelo developers", L"OK" }));
    EXPECT_EQ(AboutWatch::owner, nullptr);
    EXPECT_TRUE(AboutWatch::style & WS_POPUP);
    EXPECT_TRUE(AboutWatch::style & WS_SYSMENU);
    EXPECT_EQ(AboutWatch::style & WS_CAPTION, WS_CAPTION);
}
